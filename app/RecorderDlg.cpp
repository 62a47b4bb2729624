// SPDX-License-Identifier: MIT
// The "Recorder" window: records a burst of live frames into memory, browses and saves them.
#include "RecorderDlg.h"

#include <QIntValidator>
#include <QProgressDialog>
#include <algorithm>

#include "AppSettings.h"
#include "AviThread.h"
#include "RecordingController.h"
#include "TranslatableWindows.h"
#include "UserPrompts.h"
#include "ui_RecorderDlg.h"

namespace {
constexpr int kMaxBufferCount = 9999;
}

RecorderDlg::RecorderDlg(AviThread& store, RecordingController& recording, QWidget* parent)
    : QDialog(parent),
      ui_(std::make_unique<Ui::RecorderDlg>()),
      store_(store),
      recording_(recording) {
    ui_->setupUi(this);
    ui_->leCount->setValidator(new QIntValidator(0, kMaxBufferCount, ui_->leCount));
    TranslatableWindows::instance().add(this, [this] { ui_->retranslateUi(this); });
    connect(&recording_, &RecordingController::imageGeometry, this, &RecorderDlg::setImageGeometry);
    connect(&recording_, &RecordingController::sequenceOffered, this, &RecorderDlg::updateGauge);
    connect(&store_, &AviThread::progress, this, &RecorderDlg::saveProgress);
    connect(&store_, &AviThread::sequenceSaved, this, &RecorderDlg::sequenceSaved);
    connect(&store_, &AviThread::finished, this, &RecorderDlg::aviSaved);
}

RecorderDlg::~RecorderDlg() = default;

int RecorderDlg::bufferLimit(int width, int height, int bytesPerPixel) {
    if (width <= 0 || height <= 0 || bytesPerPixel <= 0)
        return 0;
    return static_cast<int>(kMemoryLimitBytes / width / height / bytesPerPixel);
}

void RecorderDlg::setImageGeometry(int width, int height, int bytesPerPixel) {
    width_ = width;
    height_ = height;
    bytesPerPixel_ = bytesPerPixel;
}

void RecorderDlg::updateGauge() {
    const int max = std::max(store_.maxFrames(), 1);
    ui_->pbBuffer->setValue(std::min(100, (store_.frameCount() * 100 + 1) / max));
}

void RecorderDlg::warn(const QString& text) {
    UserPrompts::instance().warning(this, tr("Warning"), text);
}

void RecorderDlg::on_btnSet_clicked() {
    bool number = false;
    int n = ui_->leCount->text().toInt(&number);
    if (width_ * height_ == 0) {
        warn(tr("Please play to video to determine the image size."));
        return;
    }
    if (!number || n < 1) {
        // A store of no frames would also leave the AVI queue no room at all.
        warn(tr("Enter a buffer count from 1 to %1.").arg(kMaxBufferCount));
        return;
    }
    const int limit = bufferLimit(width_, height_, bytesPerPixel_);
    if (n > limit) {
        n = limit;
        ui_->leCount->setText(QString::number(n));
        warn(tr("Maximun buffer count limited to %1 within 1.5GB memory.").arg(limit));
    }
    ui_->hsFrame->setValue(0);
    ui_->hsFrame->setRange(0, n - 1);
    ui_->lblCount->setText(QString::number(n));
    store_.setMaxFrames(n);
    updateGauge();
}

void RecorderDlg::on_btnFree_clicked() {
    store_.clearFrames();
    updateGauge();
}

void RecorderDlg::on_btnRecord_clicked() {
    if (recording_.aviCapturing() || store_.isRecording()) {
        warn(tr("A video is being recorded. Stop Capture first."));
        return;
    }
    if (store_.frameCount() >= store_.maxFrames()) {
        warn(tr("Buffer is full!"));
        return;
    }
    recording_.streamVideo();
    recording_.setSequenceRecording(true);
}

void RecorderDlg::on_hsFrame_valueChanged(int value) {
    const int count = store_.frameCount();
    if (count == 0)
        return;
    // Browsing and recording exclude each other: a played-back frame is never stored again.
    recording_.setSequenceRecording(false);
    recording_.pauseIfStreaming();
    if (value < 0 || value >= count)
        return;
    store_.showFrame(value);
    ui_->lblFrame->setText(QString::number(value));
    const qint64 ms =
        std::max<qint64>(0, store_.frameAt(value).timestamp - store_.frameAt(0).timestamp);
    ui_->lblTime->setText(QStringLiteral("%1:%2:%3")
                              .arg(ms / 60000, 2, 10, QLatin1Char('0'))
                              .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
                              .arg(ms % 1000, 3, 10, QLatin1Char('0')));
}

void RecorderDlg::beginSave(const QString& title, int count) {
    delete progress_;
    progress_ = new QProgressDialog(title, tr("Cancel"), 0, count, this);
    progress_->setWindowTitle(windowTitle());
    progress_->setMinimumDuration(300);
    connect(progress_, &QProgressDialog::canceled, this, [this] { store_.cancelSave(); });
    for (QWidget* button :
         {static_cast<QWidget*>(ui_->btnRecord), static_cast<QWidget*>(ui_->btnSaveSequence),
          static_cast<QWidget*>(ui_->btnSaveAvi), static_cast<QWidget*>(ui_->btnFree),
          static_cast<QWidget*>(ui_->btnSet)})
        button->setEnabled(false);
}

void RecorderDlg::endSave() {
    delete progress_;
    for (QWidget* button :
         {static_cast<QWidget*>(ui_->btnRecord), static_cast<QWidget*>(ui_->btnSaveSequence),
          static_cast<QWidget*>(ui_->btnSaveAvi), static_cast<QWidget*>(ui_->btnFree),
          static_cast<QWidget*>(ui_->btnSet)})
        button->setEnabled(true);
    recording_.streamVideo();
}

void RecorderDlg::saveProgress(int done, int count) {
    if (progress_) {
        progress_->setMaximum(count);
        progress_->setValue(done);
    }
}

void RecorderDlg::on_btnSaveSequence_clicked() {
    recording_.pauseIfStreaming();
    const QString folder =
        UserPrompts::instance().existingDirectory(this, tr("Open Directory"), QString());
    if (folder.isEmpty()) {
        recording_.streamVideo();
        return;
    }
    const AppSettings& settings = recording_.settings();
    if (!store_.saveSequence(folder, settings.fileType(), settings.fileQuality())) {
        recording_.streamVideo();
        return;
    }
    beginSave(tr("Saving pictures..."), store_.frameCount());
}

void RecorderDlg::sequenceSaved(int /*saved*/, QString error) {
    endSave();
    if (!error.isEmpty())
        warn(error + QLatin1Char('\n') + tr("Choose a folder you can write to and save again."));
}

void RecorderDlg::on_btnSaveAvi_clicked() {
    recording_.pauseIfStreaming();
    const QString name = UserPrompts::instance().saveFileName(
        this, tr("Save Avi File"), QStringLiteral("sample.avi"), QString());
    if (name.isEmpty() || !store_.saveAvi(name)) {
        recording_.streamVideo();
        return;
    }
    savingAvi_ = true;
    beginSave(tr("Saving AVI..."), store_.frameCount());
}

void RecorderDlg::aviSaved() {
    // finished() also ends live recordings; only a save started here is answered.
    if (!savingAvi_)
        return;
    savingAvi_ = false;
    endSave();
}
