// SPDX-License-Identifier: MIT
// The capture thread: pulls raw frames out of the camera API into the frame queue.
#pragma once

#include <QString>
#include <atomic>
#include <mutex>

#include "WorkerThread.h"

class FrameBufferPool;
class FrameQueue;

// Streams while resumed; while paused it only polls its state every 50 ms. Failures are
// reported through toTable and the loop goes on with the next frame: nothing stops the thread
// but stop(). A query still waiting at close returns when the camera is freed.
class CaptureThread : public WorkerThread {
    Q_OBJECT

public:
    CaptureThread(FrameQueue& queue, FrameBufferPool& pool, QObject* parent = nullptr);
    ~CaptureThread() override;

    void resume();
    void pause();
    // Stops streaming and asks the loop to end, in one write.
    void stop();
    bool isStreaming() const { return state_.load() == State::Streaming; }
    // Whether the thread is in a streaming pass, and so possibly inside a camera call. Once
    // paused or stopped it leaves the pass when its current call returns.
    bool isInsidePass() const { return insidePass_.load(); }

    // Folder of the ".raw" files written when saveRawRequested is set ("File/Path").
    void setRawFolder(const QString& folder);
    // Frames the camera delivered (before any drop at the queue).
    long long capturedFrames() const { return captured_.load(); }

signals:
    void toTable(QString type, int num_error);

protected:
    void run() override;

private:
    enum class State { Paused, Streaming, Quit };

    // One pass of the loop; false when the loop must end at once.
    bool capturePass();
    bool streamingPass();
    void reportFailure(const char* function);
    void saveRaw(const unsigned char* buffer, qsizetype bytes);

    FrameQueue& queue_;
    FrameBufferPool& pool_;
    std::atomic<State> state_{State::Paused};
    std::atomic<long long> captured_{0};
    std::atomic<bool> insidePass_{false};
    mutable std::mutex folderMutex_;
    QString rawFolder_{"."};
};
