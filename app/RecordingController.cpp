// SPDX-License-Identifier: MIT
// The main window's side of recording: the capture actions, lblCapture, and handing frames over.
#include "RecordingController.h"

#include <QAction>
#include <QDateTime>
#include <QLabel>

#include "AppSettings.h"
#include "AviThread.h"
#include "UserPrompts.h"
#include "VideoPipeline.h"
#include "record/FrameImage.h"

namespace {
constexpr qint64 kDoNotFree = 1;  // bit 0 of `meta`: a played-back frame
}

RecordingController::RecordingController(AviThread& thread, VideoPipeline& pipeline,
                                         AppSettings& settings, const RecordingWidgets& widgets,
                                         QObject* parent)
    : QObject(parent),
      thread_(thread),
      pipeline_(pipeline),
      settings_(settings),
      widgets_(widgets) {
    connect(&thread_, &AviThread::finished, this, &RecordingController::captureFinished);
    connect(&thread_, &AviThread::failed, this, &RecordingController::recordingFailed);
    connect(&pipeline_, &VideoPipeline::frameShown, this, &RecordingController::frameShown);
}

void RecordingController::setVideoControl(std::function<void()> pause,
                                          std::function<void()> stream) {
    pause_ = std::move(pause);
    stream_ = std::move(stream);
}

void RecordingController::pauseVideo() {
    if (pause_)
        pause_();
}

void RecordingController::pauseIfStreaming() {
    if (widgets_.pauseAction && widgets_.pauseAction->isEnabled())
        pauseVideo();
}

void RecordingController::streamVideo() {
    if (stream_)
        stream_();
}

void RecordingController::setCaptureAllowed(bool allowed) {
    captureAllowed_ = allowed;
    if (!aviCapturing_ && !thread_.isRecording())
        setIdleActions();
}

void RecordingController::setIdleActions() {
    widgets_.startAction->setEnabled(captureAllowed_);
    widgets_.stopAction->setEnabled(false);
}

void RecordingController::startCapture() {
    if (aviCapturing_ || thread_.isRecording() || !captureAllowed_)
        return;  // a click that arrives while the last file is still being finished
    if (thread_.frameCount() > 0 || sequenceRecording_) {
        UserPrompts::instance().warning(
            widgets_.window, tr("Warning"),
            tr("The sequence recorder holds %1 frames. Save or free them in the Recorder "
               "window before recording a video.")
                .arg(thread_.frameCount()));
        return;
    }
    failure_.clear();
    newAviFile_ = true;
    aviCapturing_ = true;
    widgets_.captureLabel->setText(tr("Start Capture ..."));
    widgets_.startAction->setEnabled(false);
    widgets_.stopAction->setEnabled(true);
}

void RecordingController::stopCapture() {
    if (!aviCapturing_)
        return;
    aviCapturing_ = false;
    widgets_.stopAction->setEnabled(false);
    if (newAviFile_) {
        // No frame arrived: no file was opened, so there is nothing to finish.
        newAviFile_ = false;
        widgets_.captureLabel->setText(tr("Stopped before the first frame: no file written."));
        setIdleActions();
        return;
    }
    widgets_.captureLabel->setText(tr("Saving..."));
    thread_.requestStop();
}

void RecordingController::endCapture(const QString& reason) {
    emit note(reason);
    failure_ = reason;
    stopCapture();
}

void RecordingController::frameShown(QImage img, qint64 meta) {
    if (meta & kDoNotFree)
        return;  // played back from the store: never recorded again
    emit imageGeometry(img.width(), img.height(), vidscope::record::logicalBytesPerPixel(img));
    const double fps = pipeline_.averageFps();
    if (aviCapturing_) {
        if (newAviFile_) {
            newAviFile_ = false;
            const QString path =
                settings_.filePath() + QLatin1Char('/') +
                QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddhhmmss")) +
                QStringLiteral(".avi");
            if (thread_.startFile(path, img, int(fps))) {
                emit note(tr("Recording to %1").arg(path));
            } else {
                endCapture(tr("The recording could not start: the recorder is busy."));
            }
            return;
        }
        if (thread_.pushFrame(img, fps) == AviThread::Offer::kSizeChanged) {
            endCapture(tr("The frame size changed to %1x%2: the recording ended, because a "
                          "file holds one frame size. Start a new recording for the new size.")
                           .arg(img.width())
                           .arg(img.height()));
        }
        return;
    }
    if (sequenceRecording_) {
        if (!thread_.storeFrame(img, QDateTime::currentMSecsSinceEpoch(), fps)) {
            sequenceRecording_ = false;
            pauseVideo();
        }
        emit sequenceOffered();
    }
}

void RecordingController::captureFinished(int total, int dropped) {
    aviCapturing_ = false;
    newAviFile_ = false;
    setIdleActions();
    const QString counts = tr("Saved. total %1 dropped %2").arg(total).arg(dropped);
    widgets_.captureLabel->setText(failure_.isEmpty() ? counts
                                                      : failure_ + QStringLiteral(" ") + counts);
    failure_.clear();
}

void RecordingController::recordingFailed(QString message) {
    emit note(message);
    failure_ = message;
    aviCapturing_ = false;  // frames of the ended file are no longer handed over
    newAviFile_ = false;
}

void RecordingController::cameraChanged(int index) {
    if (index < 0 && aviCapturing_)
        endCapture(tr("The camera was closed: the recording ended."));
}
