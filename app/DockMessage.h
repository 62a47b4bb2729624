// SPDX-License-Identifier: MIT
// The message log dock: one row per failed camera call or window event, newest first.
#pragma once

#include <QDockWidget>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <memory>

class QMenu;
class QTableWidget;

namespace Ui {
class DockMessage;
}

class DockMessage : public QDockWidget {
    Q_OBJECT

public:
    // Event numbers the main window logs besides the camera API's error codes.
    enum Event {
        kStartVideo = 18,
        kStopVideo = 19,
        kCameraPluggedIn = 20,
        kCameraPluggedOut = 21,
        kNoCameraFound = 22,
    };
    static constexpr int kRowHeight = 15;
    static constexpr const char* kTimeFormat = "yyyy-MM-dd hh:mm:ss:zzz";

    explicit DockMessage(QWidget* parent = nullptr);
    ~DockMessage() override;

    QTableWidget* table() const;
    // The text shown in the message column for an API error code, or empty for other numbers.
    static QString errorText(int code);

signals:
    void CloseDockMessage(int object);

public slots:
    // An API failure (function name, error 1 to 17) or an event (its text, number 18 to 22).
    // Any other number adds nothing, so that a success code leaves no trace.
    void logMessage(QString function, int num_error);
    // A row that is neither an API failure nor a numbered event: what happened to a
    // recording or a save, in words, with the part that reports it.
    void logText(QString message, QString reporter);

private slots:
    void on_twMessage_customContextMenuRequested(QPoint pos);
    void clearAllMessage();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::unique_ptr<Ui::DockMessage> ui_;
    QPointer<QMenu> menu_;
};
