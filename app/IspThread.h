// SPDX-License-Identifier: MIT
// A processing thread: turns queued raw frames into displayable images with the image pipeline.
#pragma once

#include <QImage>
#include <QString>
#include <atomic>
#include <mutex>

#include "WorkerThread.h"

#include "RawFrame.h"

class FrameBufferPool;
class FrameQueue;
struct FrameLayout;

// Two of these share one queue. Each emits `captured` with an image laid over a pool buffer;
// the receiver owns one reference to `buffer` and gives it back with FrameBufferPool::release
// unless bit 0 of `meta` is set. Colour frames come as Format_RGB32 (blue, green, red, unused
// byte in memory; a YUV camera's as Format_RGB888), grey and raw frames as Format_Grayscale8:
// layouts the painter draws without converting.
class IspThread : public WorkerThread {
    Q_OBJECT

public:
    IspThread(FrameQueue& queue, FrameBufferPool& pool, QObject* parent = nullptr);
    ~IspThread() override;

    // Both wait for a conversion in progress, so that after pause() no conversion runs.
    void resume();
    void pause();
    void stop();
    bool isResumed() const { return running_.load(); }

signals:
    void captured(QImage img, unsigned char* buffer, qint64 timestamp, qint64 meta);
    void toTable(QString type, int num_error);

protected:
    void run() override;

private:
    void processPass();
    void emitRaw(const RawFrame& frame);
    void convert(const RawFrame& frame, int format);
    void emitImage(unsigned char* buffer, const RawFrame& frame, const FrameLayout& layout);

    FrameQueue& queue_;
    FrameBufferPool& pool_;
    std::atomic<bool> running_{true};
    std::atomic<bool> quit_{false};
    std::mutex ispMutex_;
};
