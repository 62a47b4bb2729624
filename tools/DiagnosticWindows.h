// SPDX-License-Identifier: MIT
// The main window's diagnostic dialogs: histogram, register access and IO control.
#pragma once

#include <QObject>

class CameraController;
class Histogram;
class IOControl;
class MainWindow;
class RWRegister;

// Builds the three dialogs (hidden, owned by the main window as their parent) and connects their
// reports to the message log and their actions to the menus. Built before the window's first
// translation, so that the dialogs are translated with it; connectCamera() must follow before
// the first camera opens, so that the IO settings are applied to it.
class DiagnosticWindows : public QObject {
    Q_OBJECT

public:
    explicit DiagnosticWindows(MainWindow& window);
    void connectCamera(CameraController& controller);

    Histogram* histogram() const { return histogram_; }
    RWRegister* rwRegister() const { return rwRegister_; }
    IOControl* ioControl() const { return ioControl_; }

public slots:
    // "Histogram": the displayed picture goes to the dialog, or the operator is told to play.
    void showHistogram();

private:
    void connectAction(const char* name, QWidget* dialog);

    MainWindow& window_;
    Histogram* histogram_ = nullptr;
    RWRegister* rwRegister_ = nullptr;
    IOControl* ioControl_ = nullptr;
};
