// SPDX-License-Identifier: MIT
// The capture thread: pulls raw frames out of the camera API into the frame queue.
#include "CaptureThread.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include "AppGlobals.h"
#include "FrameBufferPool.h"
#include "FrameQueue.h"
#include "LiveLog.h"
#include "OwnInterruption.h"
#include "vidscope/camera_api.h"

namespace {
constexpr unsigned long kPausedPollMs = 50;
constexpr unsigned long kFailurePauseMs = 1;
constexpr int kContinuousMode = 1;
}  // namespace

CaptureThread::CaptureThread(FrameQueue& queue, FrameBufferPool& pool, QObject* parent)
    : WorkerThread(parent), queue_(queue), pool_(pool) {}

CaptureThread::~CaptureThread() {
    stop();
    join();
}

void CaptureThread::resume() {
    State expected = State::Paused;
    state_.compare_exchange_strong(expected, State::Streaming);
}

void CaptureThread::pause() {
    State expected = State::Streaming;
    state_.compare_exchange_strong(expected, State::Paused);
}

void CaptureThread::stop() {
    state_.store(State::Quit);
}

void CaptureThread::setRawFolder(const QString& folder) {
    std::lock_guard lock(folderMutex_);
    rawFolder_ = folder;
}

void CaptureThread::run() {
    while (capturePass() && state_.load() != State::Quit) {
    }
}

void CaptureThread::reportFailure(const char* function) {
    emit toTable(QString::fromLatin1(function), CameraGetLastError());
}

bool CaptureThread::capturePass() {
    if (state_.load() != State::Streaming) {
        sleepMs(kPausedPollMs);
        return true;
    }
    // Marked before the state is looked at again, so that whoever pauses and then finds the
    // mark clear knows that no camera call of this thread is running or about to run.
    insidePass_.store(true);
    const bool goOn = state_.load() != State::Streaming || streamingPass();
    insidePass_.store(false);
    return goOn;
}

bool CaptureThread::streamingPass() {
    const int camera = currentCamera.load();
    unsigned int width = 0;
    unsigned int height = 0;
    if (!CameraGetImageSize(camera, &width, &height)) {
        reportFailure("CameraGetImageSize");
        sleepMs(kFailurePauseMs);
        return true;
    }
    unsigned int size = 0;
    if (!CameraGetImageBufferSize(camera, &size, CAMERA_FORMAT_RAW8)) {
        reportFailure("CameraGetImageBufferSize");
        sleepMs(kFailurePauseMs);
        return true;
    }
    unsigned char* buffer = pool_.acquire(size);
    const unsigned int flags =
        CAMERA_FORMAT_RAW8 | (autoTrigger.load() ? unsigned(CAMERA_QUERY_TRIGGER) : 0u);
    if (!CameraQueryImage(camera, buffer, size, flags)) {
        const int error = CameraGetLastError();
        sleepMs(kFailurePauseMs);
        pool_.release(buffer);
        // In trigger mode a failed query only means that no trigger came, and a query ended
        // by our own pause, reset or close (so that the camera can be closed) is no failure
        // either.
        if (state_.load() == State::Streaming && !isOwnInterruption(error) &&
            CameraGetSnapMode(camera) == kContinuousMode)
            emit toTable(QStringLiteral("CameraQueryImage"), error);
        return true;
    }
    if (state_.load() == State::Quit) {
        pool_.release(buffer);
        return false;
    }
    captured_.fetch_add(1);
    if (saveRawRequested.exchange(false))
        saveRaw(buffer, qsizetype(width) * height);
    if (!queue_.push({buffer, int(width), int(height)}, frameBacklog.load()))
        pool_.release(buffer);
    return true;
}

void CaptureThread::saveRaw(const unsigned char* buffer, qsizetype bytes) {
    QString folder;
    {
        std::lock_guard lock(folderMutex_);
        folder = rawFolder_;
    }
    const QString name =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddhhmmsszzz")) + ".raw";
    QFile file(QDir(folder).filePath(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char*>(buffer), bytes) != bytes) {
        qCWarning(captureLog) << "could not write the raw frame" << file.fileName() << ":"
                              << file.errorString();
    }
}
