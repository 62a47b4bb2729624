// SPDX-License-Identifier: MIT
// Test bulk source: hands out queued chunks one per read, blocking until one is given or cancelled.
#pragma once

#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <vector>

#include "sim/BulkInSource.h"

namespace vidscope::test {

class ScriptedBulkSource : public sim::BulkInSource {
public:
    void push(std::vector<uint8_t> chunk, sim::BulkOutcome outcome = sim::BulkOutcome::Data) {
        {
            std::lock_guard lock(mutex_);
            chunks_.push_back({std::move(chunk), outcome});
        }
        changed_.notify_all();
    }

    // Reads that have started and are now blocked or done.
    int readsStarted() const {
        std::lock_guard lock(mutex_);
        return started_;
    }

    // Blocks until `count` reads have started (the worker is inside readBulk).
    void waitForReads(int count) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return started_ >= count; });
    }

    sim::BulkResult readBulk(std::span<uint8_t> buffer, std::stop_token cancel) override {
        std::unique_lock lock(mutex_);
        ++started_;
        changed_.notify_all();
        changed_.wait(lock, cancel, [&] { return !chunks_.empty(); });
        if (chunks_.empty())
            return {sim::BulkOutcome::Cancelled, 0};
        Chunk chunk = std::move(chunks_.front());
        chunks_.pop_front();
        // A scripted length beyond the buffer models a device sending too much.
        const size_t copied = std::min(chunk.bytes.size(), buffer.size());
        if (copied > 0)
            std::memcpy(buffer.data(), chunk.bytes.data(), copied);
        return {chunk.outcome, static_cast<uint32_t>(chunk.bytes.size())};
    }

private:
    struct Chunk {
        std::vector<uint8_t> bytes;
        sim::BulkOutcome outcome;
    };
    mutable std::mutex mutex_;
    std::condition_variable_any changed_;
    std::deque<Chunk> chunks_;
    int started_ = 0;
};

}  // namespace vidscope::test
