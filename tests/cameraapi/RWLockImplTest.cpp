// SPDX-License-Identifier: MIT
// Writer preference, reader sharing and failure reporting of the camera reader/writer lock.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "WaitUntil.h"
#include "cameraapi/device/RWLockImpl.h"

namespace vidscope::api {
namespace {

using test::kGracePeriod;
using test::waitUntil;

void expectIdle(const RWLockImpl& lock) {
    RWLockImpl::Counters c = lock.counters();
    EXPECT_EQ(c.holders + c.waitingWriters + c.writers, 0);
}

// Two readers hold the lock, a writer queues, a third reader arrives: the writer enters only
// after both readers left, and the late reader only after the writer left.
TEST(RWLockImpl, WriterWaitsForReadersAndNewReadersWaitForWriter) {
    RWLockImpl lock;
    std::atomic<int> step{0};  // 1 writer in, 2 writer out, 3 late reader in
    std::atomic<bool> writerMayLeave{false};
    ASSERT_TRUE(lock.lockShared());
    ASSERT_TRUE(lock.lockShared());

    std::thread writer([&] {
        lock.lockExclusive();
        EXPECT_EQ(lock.counters().writers, 1);
        step = 1;
        waitUntil([&] { return writerMayLeave.load(); });
        step = 2;
        lock.unlock();
    });
    ASSERT_TRUE(waitUntil([&] { return lock.counters().waitingWriters == 1; }));
    std::thread lateReader([&] {
        lock.lockShared();
        EXPECT_EQ(step.exchange(3), 2);
        lock.unlock();
    });

    ASSERT_TRUE(lock.unlock());
    std::this_thread::sleep_for(kGracePeriod);
    EXPECT_EQ(step.load(), 0) << "someone entered while a reader still held the lock";

    ASSERT_TRUE(lock.unlock());
    EXPECT_TRUE(waitUntil([&] { return step.load() == 1; }));
    std::this_thread::sleep_for(kGracePeriod);
    EXPECT_EQ(step.load(), 1) << "a reader entered while the writer held the lock";

    writerMayLeave = true;
    writer.join();
    lateReader.join();
    EXPECT_EQ(step.load(), 3);
    expectIdle(lock);
}

TEST(RWLockImpl, WaitingReadersResumeTogetherAfterTheWriter) {
    RWLockImpl lock;
    constexpr int kReaders = 3;
    std::atomic<int> inside{0};
    std::atomic<bool> shared{true};
    ASSERT_TRUE(lock.lockExclusive());
    std::vector<std::thread> readers;
    for (int i = 0; i < kReaders; ++i) {
        readers.emplace_back([&] {
            lock.lockShared();
            ++inside;
            // Each reader stays until all are in: only possible if they really share.
            if (!waitUntil([&] { return inside.load() == kReaders; }))
                shared = false;
            lock.unlock();
        });
    }
    std::this_thread::sleep_for(kGracePeriod);
    EXPECT_EQ(inside.load(), 0);
    ASSERT_TRUE(lock.unlock());
    for (std::thread& t : readers)
        t.join();
    EXPECT_TRUE(shared);
    expectIdle(lock);
}

TEST(RWLockImpl, UnlockWithoutHoldIsReportedAndChangesNothing) {
    RWLockImpl lock;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(lock.unlock());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "cannot unlock reader/writer lock\n");
    expectIdle(lock);
    ASSERT_TRUE(lock.lockExclusive());
    ASSERT_TRUE(lock.unlock());
}

// Also run under ThreadSanitizer, which reports any access the lock fails to order.
TEST(RWLockImpl, StressKeepsWritersAlone) {
    RWLockImpl lock;
    constexpr int kRounds = 3000;
    std::atomic<int> readersInside{0};
    std::atomic<int> writersInside{0};
    std::atomic<int> violations{0};
    int guarded = 0;  // written by writers, read by readers

    std::vector<std::thread> threads;
    for (int r = 0; r < 4; ++r) {
        threads.emplace_back([&] {
            for (int i = 0; i < kRounds; ++i) {
                lock.lockShared();
                ++readersInside;
                if (writersInside.load() != 0)
                    ++violations;
                volatile int seen = guarded;
                (void)seen;
                --readersInside;
                lock.unlock();
            }
        });
    }
    for (int w = 0; w < 2; ++w) {
        threads.emplace_back([&] {
            for (int i = 0; i < kRounds; ++i) {
                lock.lockExclusive();
                if (++writersInside != 1 || readersInside.load() != 0)
                    ++violations;
                ++guarded;
                --writersInside;
                lock.unlock();
            }
        });
    }
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(violations.load(), 0);
    EXPECT_EQ(guarded, 2 * kRounds);
    expectIdle(lock);
}

}  // namespace
}  // namespace vidscope::api
