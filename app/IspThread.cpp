// SPDX-License-Identifier: MIT
// A processing thread: turns queued raw frames into displayable images with the image pipeline.
#include "IspThread.h"

#include <QDateTime>

#include "AppGlobals.h"
#include "FrameBufferPool.h"
#include "FrameLayout.h"
#include "FrameQueue.h"
#include "base/ThreadHandOver.h"
#include "vidscope/camera_api.h"

namespace {
constexpr unsigned long kEmptyQueuePollMs = 1;
constexpr int kRaw8 = 1;
}  // namespace

IspThread::IspThread(FrameQueue& queue, FrameBufferPool& pool, QObject* parent)
    : WorkerThread(parent), queue_(queue), pool_(pool) {}

IspThread::~IspThread() {
    stop();
    join();
}

void IspThread::resume() {
    std::lock_guard lock(ispMutex_);
    running_.store(true);
}

void IspThread::pause() {
    std::lock_guard lock(ispMutex_);
    running_.store(false);
}

void IspThread::stop() {
    quit_.store(true);
}

void IspThread::run() {
    do {
        processPass();
    } while (!quit_.load());
}

void IspThread::processPass() {
    const std::optional<RawFrame> frame = queue_.takeOldest();
    if (!frame) {
        sleepMs(kEmptyQueuePollMs);
        return;
    }
    if (!running_.load()) {
        pool_.release(frame->buffer);  // paused: waiting frames are dropped silently
        return;
    }
    const int format = imageFormat.load();
    if (format == kRaw8) {
        emitRaw(*frame);  // the raw buffer now belongs to the receiver
        return;
    }
    convert(*frame, format);
    pool_.release(frame->buffer);
}

void IspThread::emitRaw(const RawFrame& frame) {
    emitImage(frame.buffer, frame, FrameLayout::forOutput(currentCamera.load(), 0, 0, kRaw8));
}

void IspThread::convert(const RawFrame& frame, int format) {
    const int camera = currentCamera.load();
    const FrameLayout layout = FrameLayout::forOutput(camera, frame.width, frame.height, format);
    unsigned int size = 0;
    if (!CameraGetImageBufferSizeFor(camera, &size, frame.width, frame.height, layout.format)) {
        emit toTable(QStringLiteral("CameraGetImageBufferSize"), CameraGetLastError());
        return;
    }
    // Sized from the layout itself: the API's size rule does not know every output layout.
    const std::size_t outSize =
        std::size_t(frame.width) * std::size_t(frame.height) * std::size_t(layout.bytesPerPixel);
    unsigned char* out = pool_.acquire(outSize);
    std::unique_lock lock(ispMutex_);
    if (!running_.load()) {
        lock.unlock();
        pool_.release(out);  // paused meanwhile: nothing to report
        return;
    }
    const bool converted =
        CameraISP(camera, frame.buffer, out, frame.width, frame.height, layout.format);
    const int error = converted ? 0 : CameraGetLastError();
    lock.unlock();
    if (!converted) {
        pool_.release(out);
        emit toTable(QStringLiteral("CameraISP"), error);
        return;
    }
    emitImage(out, frame, layout);
}

void IspThread::emitImage(unsigned char* buffer, const RawFrame& frame, const FrameLayout& layout) {
    const QImage image = pool_.wrap(buffer, frame.width, frame.height,
                                    qsizetype(frame.width) * layout.bytesPerPixel, layout.qtFormat);
    // The queued signal is the hand-over: the receiver reads the pixels written here.
    vidscope::base::handOver(buffer);
    emit captured(image, buffer, QDateTime::currentMSecsSinceEpoch(), 0);
}
