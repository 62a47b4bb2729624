// SPDX-License-Identifier: MIT
// Reusable heap buffers for raw and processed frames, handed along the road of a frame.
#pragma once

#include <QImage>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

// A fresh block of tens of megabytes costs about 100 ms of page faults each time, so frame
// buffers are kept and reused instead of freed. Each buffer is reference-counted: acquire()
// hands out one reference (the owner's), wrap() adds one for every QImage laid over the buffer
// (the last copy of that image drops it), and release() drops the owner's. A buffer whose last
// reference is gone goes back to the idle list; idle buffers of a size nobody asked for in the
// last kForgetAfterAcquisitions acquisitions (an old resolution) are freed. Thread-safe.
class FrameBufferPool {
public:
    static constexpr std::size_t kDefaultMaxIdle = 12;
    static constexpr std::uint64_t kForgetAfterAcquisitions = 32;

    // The process-wide pool. Never destroyed, because image copies may outlive any owner.
    static FrameBufferPool& instance();

    explicit FrameBufferPool(std::size_t maxIdle = kDefaultMaxIdle);
    // Every buffer must have been released and every image over one destroyed by now.
    ~FrameBufferPool();
    FrameBufferPool(const FrameBufferPool&) = delete;
    FrameBufferPool& operator=(const FrameBufferPool&) = delete;

    // A buffer of exactly `size` bytes holding one reference. Fresh buffers are filled with
    // 0xFF, so the unused fourth byte of 32-bit pixels reads as opaque. Null for size 0.
    unsigned char* acquire(std::size_t size);
    // Drops one reference; null is ignored, and so (with a warning) is a foreign pointer.
    void release(unsigned char* buffer);
    // An image over `buffer` without a copy; it keeps the buffer alive while it, or any copy
    // of it, exists. `buffer` must be a live buffer of this pool large enough for the image.
    QImage wrap(unsigned char* buffer, int width, int height, qsizetype bytesPerLine,
                QImage::Format format);

    std::size_t idleCount() const;
    std::size_t liveCount() const;
    // Buffers allocated so far (not reused ones): what the pool exists to keep low.
    std::size_t allocationCount() const;

private:
    struct Block {
        std::unique_ptr<unsigned char[]> data;
        std::size_t size = 0;
        int references = 0;
    };

    static void imageReleased(void* info);
    void addReference(unsigned char* buffer);
    void forgetUnaskedSizes();

    const std::size_t maxIdle_;
    mutable std::mutex mutex_;
    std::unordered_map<unsigned char*, Block> live_;
    std::vector<Block> idle_;  // most recently released last
    std::size_t allocations_ = 0;
    std::uint64_t acquisitions_ = 0;
    std::unordered_map<std::size_t, std::uint64_t> lastAsked_;  // size -> its last acquisition
};
