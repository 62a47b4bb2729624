// SPDX-License-Identifier: MIT
// The bounded queue of raw frames between the capture thread and the processing threads.
#include "FrameQueue.h"

bool FrameQueue::push(const RawFrame& frame, int backlog) {
    {
        std::lock_guard lock(mutex_);
        if (static_cast<long long>(frames_.size()) <= backlog) {
            frames_.push_front(frame);
            return true;
        }
    }
    droppedSinceLast_.fetch_add(1);
    droppedTotal_.fetch_add(1);
    return false;
}

std::optional<RawFrame> FrameQueue::takeOldest() {
    std::lock_guard lock(mutex_);
    if (frames_.empty())
        return std::nullopt;
    RawFrame frame = frames_.back();
    frames_.pop_back();
    return frame;
}

std::vector<RawFrame> FrameQueue::takeAll() {
    std::lock_guard lock(mutex_);
    std::vector<RawFrame> all(frames_.begin(), frames_.end());
    frames_.clear();
    return all;
}

std::size_t FrameQueue::size() const {
    std::lock_guard lock(mutex_);
    return frames_.size();
}
