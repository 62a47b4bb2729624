// SPDX-License-Identifier: MIT
// Reusable heap buffers for raw and processed frames, handed along the road of a frame.
#include "FrameBufferPool.h"

#include <QLoggingCategory>
#include <algorithm>
#include <cstring>

#include "LiveLog.h"
#include "base/ThreadHandOver.h"

namespace {

// What an image's clean-up function needs to give its reference back. Allocated by wrap()
// and deleted by imageReleased(), which Qt calls once when the image's last copy goes.
struct ImageReference {
    FrameBufferPool* pool;
    unsigned char* buffer;
};

}  // namespace

FrameBufferPool& FrameBufferPool::instance() {
    static FrameBufferPool* const pool = new FrameBufferPool;
    return *pool;
}

FrameBufferPool::FrameBufferPool(std::size_t maxIdle) : maxIdle_(maxIdle) {}

FrameBufferPool::~FrameBufferPool() {
    if (!live_.empty())
        qCWarning(liveLog) << "frame buffer pool destroyed with" << live_.size()
                           << "buffers still in use";
}

unsigned char* FrameBufferPool::acquire(std::size_t size) {
    if (size == 0)
        return nullptr;
    std::lock_guard lock(mutex_);
    lastAsked_[size] = ++acquisitions_;
    forgetUnaskedSizes();
    auto reusable = std::find_if(idle_.rbegin(), idle_.rend(),
                                 [size](const Block& b) { return b.size == size; });
    Block block;
    if (reusable != idle_.rend()) {
        block = std::move(*reusable);
        idle_.erase(std::next(reusable).base());
        // The last reader may have dropped its image copy on another thread through Qt's
        // reference count; its reads come before the new owner's writes.
        vidscope::base::takeOver(block.data.get());
    } else {
        block.data = std::make_unique<unsigned char[]>(size);
        std::memset(block.data.get(), 0xFF, size);
        block.size = size;
        ++allocations_;
    }
    block.references = 1;
    unsigned char* buffer = block.data.get();
    live_.emplace(buffer, std::move(block));
    return buffer;
}

void FrameBufferPool::forgetUnaskedSizes() {
    // Raw and processed frames take turns with two sizes, so a size is old only once nobody
    // has asked for it for a while: then it belonged to a resolution left behind, and its
    // idle buffers go rather than hold hundreds of megabytes.
    const auto forgotten = [this](std::size_t size) {
        return lastAsked_[size] + kForgetAfterAcquisitions < acquisitions_;
    };
    std::erase_if(idle_, [&](const Block& b) { return forgotten(b.size); });
    std::erase_if(lastAsked_, [this](const auto& entry) {
        return entry.second + kForgetAfterAcquisitions < acquisitions_;
    });
}

void FrameBufferPool::release(unsigned char* buffer) {
    if (buffer == nullptr)
        return;
    std::lock_guard lock(mutex_);
    auto it = live_.find(buffer);
    if (it == live_.end()) {
        qCWarning(liveLog) << "release of a buffer the frame pool does not know";
        return;
    }
    if (--it->second.references > 0)
        return;
    idle_.push_back(std::move(it->second));
    live_.erase(it);
    if (idle_.size() > maxIdle_)
        idle_.erase(idle_.begin());
}

void FrameBufferPool::addReference(unsigned char* buffer) {
    std::lock_guard lock(mutex_);
    auto it = live_.find(buffer);
    if (it != live_.end())
        ++it->second.references;
}

QImage FrameBufferPool::wrap(unsigned char* buffer, int width, int height, qsizetype bytesPerLine,
                             QImage::Format format) {
    // Made before the reference is counted under the lock, and deleted after it is dropped
    // under the lock: the lock then orders the two threads' use of it.
    auto reference = std::make_unique<ImageReference>(ImageReference{this, buffer});
    addReference(buffer);
    QImage image(buffer, width, height, bytesPerLine, format, &FrameBufferPool::imageReleased,
                 reference.get());
    if (image.isNull()) {
        // Qt refused the geometry and will never call the clean-up function.
        release(buffer);
        return image;
    }
    reference.release();  // now owned by the image's clean-up
    return image;
}

void FrameBufferPool::imageReleased(void* info) {
    auto* reference = static_cast<ImageReference*>(info);
    reference->pool->release(reference->buffer);
    delete reference;
}

std::size_t FrameBufferPool::idleCount() const {
    std::lock_guard lock(mutex_);
    return idle_.size();
}

std::size_t FrameBufferPool::liveCount() const {
    std::lock_guard lock(mutex_);
    return live_.size();
}

std::size_t FrameBufferPool::allocationCount() const {
    std::lock_guard lock(mutex_);
    return allocations_;
}
