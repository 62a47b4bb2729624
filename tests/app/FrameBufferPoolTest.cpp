// SPDX-License-Identifier: MIT
// Frame buffer reuse and the references images hold on their buffers.
#include <gtest/gtest.h>

#include "FrameBufferPool.h"

namespace {

TEST(FrameBufferPool, ReleasedBuffersAreReusedWithoutAllocating) {
    FrameBufferPool pool;
    unsigned char* first = pool.acquire(4096);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first[0], 0xFF);
    EXPECT_EQ(first[4095], 0xFF);
    pool.release(first);
    unsigned char* second = pool.acquire(4096);
    EXPECT_EQ(second, first);
    EXPECT_EQ(pool.allocationCount(), 1u);
    pool.release(second);
    EXPECT_EQ(pool.liveCount(), 0u);
    EXPECT_EQ(pool.acquire(0), nullptr);
}

TEST(FrameBufferPool, ImageKeepsItsBufferUntilTheLastCopyGoes) {
    FrameBufferPool pool;
    unsigned char* buffer = pool.acquire(8 * 4);
    QImage copy;
    {
        QImage image = pool.wrap(buffer, 4, 2, 16, QImage::Format_RGB32);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.constBits(), buffer);  // laid over the buffer, not copied
        copy = image;
        pool.release(buffer);  // the owner is done; the images still hold it
        EXPECT_EQ(pool.liveCount(), 1u);
    }
    EXPECT_EQ(pool.liveCount(), 1u);
    copy = QImage();
    EXPECT_EQ(pool.liveCount(), 0u);
    EXPECT_EQ(pool.idleCount(), 1u);
}

TEST(FrameBufferPool, ImpossibleImageGivesItsReferenceBack) {
    FrameBufferPool pool;
    unsigned char* buffer = pool.acquire(64);
    EXPECT_TRUE(pool.wrap(buffer, 0, 0, 0, QImage::Format_RGB32).isNull());
    pool.release(buffer);
    EXPECT_EQ(pool.liveCount(), 0u);
}

// Raw and processed frames take turns with two sizes: both stay pooled. A size nobody asks
// for any more (an old resolution) is freed.
TEST(FrameBufferPool, SizesInTurnAreReusedAndAbandonedOnesFreed) {
    FrameBufferPool pool(4);
    // The view keeps showing the last image while the next frame is captured and converted.
    unsigned char* shown = nullptr;
    for (int frame = 0; frame < 50; ++frame) {
        unsigned char* raw = pool.acquire(100);
        unsigned char* image = pool.acquire(400);
        pool.release(raw);
        pool.release(shown);
        shown = image;
    }
    pool.release(shown);
    EXPECT_EQ(pool.allocationCount(), 3u);
    EXPECT_EQ(pool.idleCount(), 3u);
    // A burst (a loaded host) needs one more image buffer: the raw ones stay pooled.
    unsigned char* burst[3] = {pool.acquire(400), pool.acquire(400), pool.acquire(400)};
    pool.release(pool.acquire(100));
    for (unsigned char* b : burst)
        pool.release(b);
    EXPECT_EQ(pool.allocationCount(), 4u);

    for (uint64_t i = 0; i <= FrameBufferPool::kForgetAfterAcquisitions; ++i)
        pool.release(pool.acquire(200));
    EXPECT_EQ(pool.idleCount(), 1u) << "only the size still asked for stays";
    // More idle buffers than the limit are not kept.
    std::vector<unsigned char*> many;
    for (int i = 0; i < 6; ++i)
        many.push_back(pool.acquire(200));
    for (unsigned char* b : many)
        pool.release(b);
    EXPECT_EQ(pool.idleCount(), 4u);
}

TEST(FrameBufferPool, UnknownPointersAreIgnored) {
    FrameBufferPool pool;
    unsigned char outside[4] = {};
    pool.release(nullptr);
    pool.release(outside);
    EXPECT_EQ(pool.liveCount(), 0u);
    EXPECT_EQ(pool.idleCount(), 0u);
}

}  // namespace
