// SPDX-License-Identifier: MIT
// The frame queue between capture and processing: order, backlog bound and drop counts.
#include <gtest/gtest.h>

#include "FrameQueue.h"

namespace {

unsigned char* fakeBuffer(std::uintptr_t n) {
    return reinterpret_cast<unsigned char*>(n * 16);
}

TEST(FrameQueue, FramesLeaveInArrivalOrder) {
    FrameQueue queue;
    for (int i = 1; i <= 3; ++i)
        ASSERT_TRUE(queue.push({fakeBuffer(i), i, i}, 2));
    for (int i = 1; i <= 3; ++i) {
        const auto frame = queue.takeOldest();
        ASSERT_TRUE(frame.has_value());
        EXPECT_EQ(frame->buffer, fakeBuffer(i));
        EXPECT_EQ(frame->width, i);
    }
    EXPECT_FALSE(queue.takeOldest().has_value());
}

TEST(FrameQueue, BacklogBoundsWaitingFramesAndCountsRefusals) {
    FrameQueue queue;
    // Backlog 2: three frames may wait, the fourth is refused.
    for (int i = 1; i <= 3; ++i)
        EXPECT_TRUE(queue.push({fakeBuffer(i), 1, 1}, 2));
    EXPECT_FALSE(queue.push({fakeBuffer(4), 1, 1}, 2));
    EXPECT_FALSE(queue.push({fakeBuffer(5), 1, 1}, 2));
    EXPECT_EQ(queue.size(), 3u);
    EXPECT_EQ(queue.takeDroppedSinceLast(), 2);
    EXPECT_EQ(queue.takeDroppedSinceLast(), 0);
    EXPECT_EQ(queue.droppedTotal(), 2);

    // Backlog 0: a frame is queued only into an empty queue.
    FrameQueue strict;
    EXPECT_TRUE(strict.push({fakeBuffer(1), 1, 1}, 0));
    EXPECT_FALSE(strict.push({fakeBuffer(2), 1, 1}, 0));
    strict.takeOldest();
    EXPECT_TRUE(strict.push({fakeBuffer(3), 1, 1}, 0));
}

TEST(FrameQueue, TakeAllEmptiesTheQueue) {
    FrameQueue queue;
    queue.push({fakeBuffer(1), 1, 1}, 5);
    queue.push({fakeBuffer(2), 1, 1}, 5);
    const std::vector<RawFrame> all = queue.takeAll();
    EXPECT_EQ(all.size(), 2u);
    EXPECT_EQ(queue.size(), 0u);
    EXPECT_TRUE(queue.takeAll().empty());
}

}  // namespace
