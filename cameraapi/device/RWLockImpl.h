// SPDX-License-Identifier: MIT
// The per-camera writer-preferring reader/writer lock.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>

namespace vidscope::api {

// Readers share the lock; a writer holds it alone. Once a writer has announced itself, no new
// reader enters until that writer has entered and left, so a steady stream of frame queries
// cannot starve closing the camera. Readers waiting behind a writer resume as soon as no
// writer waits or holds the lock.
//
// The two signalled-or-not states (no writer waiting, no holders) change only under `mutex`,
// so each is a flag plus a condition variable that is notified whenever the flag is set.
//
// The lock is not re-entrant: a thread that holds it and asks again waits like anyone else.
// Nested API calls avoid that through HeldLocks. Failures never throw: they print a line to
// standard output and leave the counters as they were, and the caller goes on unlocked.
class RWLockImpl {
public:
    RWLockImpl();
    RWLockImpl(const RWLockImpl&) = delete;
    RWLockImpl& operator=(const RWLockImpl&) = delete;
    // Nobody may hold or wait for the lock any more.
    ~RWLockImpl() = default;

    // Each returns false when the lock could not be taken (the failure has been printed).
    bool lockShared();
    bool lockExclusive();
    // Ends one shared or exclusive hold; false (printed) when there was none to end.
    bool unlock();

    struct Counters {
        int32_t holders;
        int32_t waitingWriters;
        int32_t writers;
    };
    // A consistent snapshot, for diagnostics and tests.
    Counters counters() const;

private:
    // Condition variables can fail to construct; the lock then exists but every wait fails.
    struct Wakeups {
        std::condition_variable noWriterWaitingSet;
        std::condition_variable noHoldersSet;
    };

    void setNoWriterWaiting();
    void setNoHolders();
    // Undoes a writer's announcement when its wait could not complete.
    void withdrawWaitingWriter();

    mutable std::mutex mutex;
    std::optional<Wakeups> wakeups;
    bool noWriterWaiting = true;
    bool noHolders = true;
    int32_t holders = 0;
    int32_t waitingWriters = 0;
    int32_t m_writers = 0;
};

}  // namespace vidscope::api
