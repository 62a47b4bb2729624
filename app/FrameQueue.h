// SPDX-License-Identifier: MIT
// The bounded queue of raw frames between the capture thread and the processing threads.
#pragma once

#include <atomic>
#include <deque>
#include <mutex>
#include <optional>
#include <vector>

#include "RawFrame.h"

// Frames enter at the front and leave from the back, so they leave in arrival order. The
// mutex is held for one queue operation at a time and never across a camera call. A frame
// that finds more than `backlog` frames waiting is refused and counted: the capture thread
// must never wait for processing to catch up.
class FrameQueue {
public:
    // True when queued (the queue now owns the buffer); false when refused for a full queue
    // (the caller still owns it) - the refusal is counted.
    bool push(const RawFrame& frame, int backlog);
    // The oldest frame, which now belongs to the caller; nothing when the queue is empty.
    std::optional<RawFrame> takeOldest();
    // Empties the queue and hands every waiting frame to the caller.
    std::vector<RawFrame> takeAll();
    std::size_t size() const;

    // Refusals since the last call (the per-second count of the status line).
    int takeDroppedSinceLast() { return droppedSinceLast_.exchange(0); }
    // Refusals since construction.
    long long droppedTotal() const { return droppedTotal_.load(); }

private:
    mutable std::mutex mutex_;
    std::deque<RawFrame> frames_;
    std::atomic<int> droppedSinceLast_{0};
    std::atomic<long long> droppedTotal_{0};
};
