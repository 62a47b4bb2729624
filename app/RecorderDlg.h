// SPDX-License-Identifier: MIT
// The "Recorder" window: records a burst of live frames into memory, browses and saves them.
#pragma once

#include <QDialog>
#include <QPointer>
#include <memory>

class AviThread;
class QProgressDialog;
class RecordingController;

namespace Ui {
class RecorderDlg;
}

// The frames live in AviThread's store, shared with (and excluded by) AVI recording. Browsing
// ends a sequence recording first and shows stored frames through the live view as played-back
// frames, which are never stored again. Saving runs on the recording thread with a progress
// window; the video stays paused until the save has ended.
class RecorderDlg : public QDialog {
    Q_OBJECT

public:
    // Memory the store may fill, counted as 3 bytes per colour pixel (1 per grey pixel).
    static constexpr double kMemoryLimitBytes = 1.5e9;

    RecorderDlg(AviThread& store, RecordingController& recording, QWidget* parent = nullptr);
    ~RecorderDlg() override;

    // Largest buffer count for frames of this geometry within the memory limit.
    static int bufferLimit(int width, int height, int bytesPerPixel);

public slots:
    void setImageGeometry(int width, int height, int bytesPerPixel);
    void updateGauge();

private slots:
    void on_btnSet_clicked();
    void on_btnFree_clicked();
    void on_btnRecord_clicked();
    void on_btnSaveSequence_clicked();
    void on_btnSaveAvi_clicked();
    void on_hsFrame_valueChanged(int value);
    void saveProgress(int done, int count);
    void sequenceSaved(int saved, QString error);
    void aviSaved();

private:
    void warn(const QString& text);
    void beginSave(const QString& title, int count);
    void endSave();

    std::unique_ptr<Ui::RecorderDlg> ui_;
    AviThread& store_;
    RecordingController& recording_;
    QPointer<QProgressDialog> progress_;
    bool savingAvi_ = false;
    int width_ = 0;
    int height_ = 0;
    int bytesPerPixel_ = 0;
};
