// SPDX-License-Identifier: MIT
// Writer preference, reader sharing and failure reporting of the camera reader/writer lock.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "WaitUntil.h"
#include "cameraapi/RWLockImpl.h"

namespace vidscope::api {
namespace {

using test::kGracePeriod;
using test::waitUntil;

// Thread-safe record of what happened in which order.
class Journal {
public:
    void add(const std::string& event) {
        std::lock_guard guard(mutex_);
        events_.push_back(event);
    }
    std::vector<std::string> events() const {
        std::lock_guard guard(mutex_);
        return events_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> events_;
};

void expectIdle(const RWLockImpl& lock) {
    RWLockImpl::Counters c = lock.counters();
    EXPECT_EQ(c.holders, 0);
    EXPECT_EQ(c.waitingWriters, 0);
    EXPECT_EQ(c.writers, 0);
}

TEST(RWLockImpl, CountersFollowSharedAndExclusiveHolds) {
    RWLockImpl lock;
    ASSERT_TRUE(lock.lockShared());
    ASSERT_TRUE(lock.lockShared());  // readers share
    EXPECT_EQ(lock.counters().holders, 2);
    EXPECT_EQ(lock.counters().writers, 0);
    ASSERT_TRUE(lock.unlock());
    ASSERT_TRUE(lock.unlock());
    expectIdle(lock);

    ASSERT_TRUE(lock.lockExclusive());
    EXPECT_EQ(lock.counters().holders, 1);
    EXPECT_EQ(lock.counters().writers, 1);
    ASSERT_TRUE(lock.unlock());
    expectIdle(lock);
}

TEST(RWLockImpl, NewReaderWaitsForWaitingWriterAndEntersAfterIt) {
    RWLockImpl lock;
    Journal journal;
    std::atomic<bool> writerIn{false};
    std::atomic<bool> writerMayLeave{false};
    std::atomic<bool> readerIn{false};

    ASSERT_TRUE(lock.lockShared());  // the first reader
    std::thread writer([&] {
        lock.lockExclusive();
        journal.add("writer in");
        writerIn = true;
        waitUntil([&] { return writerMayLeave.load(); });
        journal.add("writer out");
        lock.unlock();
    });
    ASSERT_TRUE(waitUntil([&] { return lock.counters().waitingWriters == 1; }));

    std::thread lateReader([&] {
        lock.lockShared();
        journal.add("late reader in");
        readerIn = true;
        lock.unlock();
    });
    std::this_thread::sleep_for(kGracePeriod);
    EXPECT_FALSE(readerIn) << "a reader overtook the waiting writer";
    EXPECT_FALSE(writerIn) << "the writer entered while a reader held the lock";

    lock.unlock();
    EXPECT_TRUE(waitUntil([&] { return writerIn.load(); }));
    std::this_thread::sleep_for(kGracePeriod);
    EXPECT_FALSE(readerIn) << "a reader entered while the writer held the lock";

    writerMayLeave = true;
    writer.join();
    lateReader.join();
    EXPECT_EQ(journal.events(),
              (std::vector<std::string>{"writer in", "writer out", "late reader in"}));
    expectIdle(lock);
}

TEST(RWLockImpl, WaitingReadersResumeTogetherAfterTheWriter) {
    RWLockImpl lock;
    constexpr int kReaders = 3;
    std::atomic<int> inside{0};
    std::atomic<bool> allWereInsideAtOnce{true};

    ASSERT_TRUE(lock.lockExclusive());
    std::vector<std::thread> readers;
    for (int i = 0; i < kReaders; ++i) {
        readers.emplace_back([&] {
            lock.lockShared();
            ++inside;
            // Every reader stays until all are in: only possible if they really share.
            if (!waitUntil([&] { return inside.load() == kReaders; }))
                allWereInsideAtOnce = false;
            lock.unlock();
        });
    }
    std::this_thread::sleep_for(kGracePeriod);
    EXPECT_EQ(inside.load(), 0);

    ASSERT_TRUE(lock.unlock());
    for (std::thread& t : readers)
        t.join();
    EXPECT_EQ(inside.load(), kReaders);
    EXPECT_TRUE(allWereInsideAtOnce);
    expectIdle(lock);
}

TEST(RWLockImpl, QueuedWriterGoesBeforeReadersThatArrivedAfterIt) {
    RWLockImpl lock;
    Journal journal;
    ASSERT_TRUE(lock.lockExclusive());

    std::thread secondWriter([&] {
        lock.lockExclusive();
        journal.add("second writer");
        lock.unlock();
    });
    ASSERT_TRUE(waitUntil([&] { return lock.counters().waitingWriters == 1; }));
    std::thread reader([&] {
        lock.lockShared();
        journal.add("reader");
        lock.unlock();
    });
    std::this_thread::sleep_for(kGracePeriod);
    EXPECT_TRUE(journal.events().empty());

    ASSERT_TRUE(lock.unlock());
    secondWriter.join();
    reader.join();
    EXPECT_EQ(journal.events(), (std::vector<std::string>{"second writer", "reader"}));
    expectIdle(lock);
}

TEST(RWLockImpl, WriterWaitsForEveryReader) {
    RWLockImpl lock;
    std::atomic<bool> writerIn{false};
    ASSERT_TRUE(lock.lockShared());
    ASSERT_TRUE(lock.lockShared());
    std::thread writer([&] {
        lock.lockExclusive();
        writerIn = true;
        lock.unlock();
    });
    ASSERT_TRUE(waitUntil([&] { return lock.counters().waitingWriters == 1; }));

    ASSERT_TRUE(lock.unlock());
    std::this_thread::sleep_for(kGracePeriod);
    EXPECT_FALSE(writerIn) << "the writer entered while one reader still held the lock";

    ASSERT_TRUE(lock.unlock());
    writer.join();
    EXPECT_TRUE(writerIn);
    expectIdle(lock);
}

TEST(RWLockImpl, UnlockWithoutHoldIsReportedAndChangesNothing) {
    RWLockImpl lock;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(lock.unlock());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "cannot unlock reader/writer lock\n");
    expectIdle(lock);

    // The lock still works normally afterwards.
    ASSERT_TRUE(lock.lockExclusive());
    ASSERT_TRUE(lock.unlock());
    expectIdle(lock);
}

// Run under ThreadSanitizer as well: any unsynchronised access inside the lock shows up there.
TEST(RWLockImpl, StressKeepsWritersAlone) {
    RWLockImpl lock;
    constexpr int kReaders = 4;
    constexpr int kWriters = 2;
    constexpr int kRounds = 3000;
    std::atomic<int> readersInside{0};
    std::atomic<int> writersInside{0};
    std::atomic<int> violations{0};
    int guardedCounter = 0;  // written only by writers, read by readers: a race if exclusion fails

    std::vector<std::thread> threads;
    for (int r = 0; r < kReaders; ++r) {
        threads.emplace_back([&] {
            for (int i = 0; i < kRounds; ++i) {
                lock.lockShared();
                ++readersInside;
                if (writersInside.load() != 0)
                    ++violations;
                volatile int seen = guardedCounter;
                (void)seen;
                --readersInside;
                lock.unlock();
            }
        });
    }
    for (int w = 0; w < kWriters; ++w) {
        threads.emplace_back([&] {
            for (int i = 0; i < kRounds; ++i) {
                lock.lockExclusive();
                if (++writersInside != 1 || readersInside.load() != 0)
                    ++violations;
                ++guardedCounter;
                --writersInside;
                lock.unlock();
            }
        });
    }
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(violations.load(), 0);
    EXPECT_EQ(guardedCounter, kWriters * kRounds);
    expectIdle(lock);
}

}  // namespace
}  // namespace vidscope::api
