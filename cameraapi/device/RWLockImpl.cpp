// SPDX-License-Identifier: MIT
// Writer-preferring reader/writer lock on one mutex and two condition variables.
#include "cameraapi/device/RWLockImpl.h"

#include <cstdio>
#include <system_error>

namespace vidscope::api {
namespace {

void printFailure(const char* text) {
    std::puts(text);
    std::fflush(stdout);
}

constexpr const char* kCannotCreate = "cannot create reader/writer lock";
constexpr const char* kCannotLock = "cannot lock reader/writer lock";
constexpr const char* kCannotUnlock = "cannot unlock reader/writer lock";

}  // namespace

RWLockImpl::RWLockImpl() {
    try {
        wakeups.emplace();
    } catch (const std::system_error&) {
        printFailure(kCannotCreate);
    }
}

bool RWLockImpl::lockShared() {
    try {
        std::unique_lock guard(mutex);
        if (!wakeups) {
            printFailure(kCannotLock);
            return false;
        }
        wakeups->noWriterWaitingSet.wait(guard, [this] { return noWriterWaiting; });
        ++holders;
        noHolders = false;
        return true;
    } catch (const std::system_error&) {
        printFailure(kCannotLock);
        return false;
    }
}

bool RWLockImpl::lockExclusive() {
    try {
        std::unique_lock guard(mutex);
        if (++waitingWriters == 1)
            noWriterWaiting = false;
        // From here on no new reader enters.
        if (!wakeups) {
            guard.unlock();
            withdrawWaitingWriter();
            printFailure(kCannotLock);
            return false;
        }
        wakeups->noHoldersSet.wait(guard, [this] { return noHolders; });
        --waitingWriters;
        ++holders;
        ++m_writers;
        noWriterWaiting = false;
        noHolders = false;
        return true;
    } catch (const std::system_error&) {
        // Only locking the mutex throws, and then the announcement was not counted either.
        printFailure(kCannotLock);
        return false;
    }
}

bool RWLockImpl::unlock() {
    try {
        std::lock_guard guard(mutex);
        if (holders <= 0) {
            printFailure(kCannotUnlock);
            return false;
        }
        m_writers = 0;
        if (waitingWriters == 0)
            setNoWriterWaiting();
        if (--holders == 0)
            setNoHolders();
        return true;
    } catch (const std::system_error&) {
        printFailure(kCannotUnlock);
        return false;
    }
}

RWLockImpl::Counters RWLockImpl::counters() const {
    std::lock_guard guard(mutex);
    return Counters{holders, waitingWriters, m_writers};
}

void RWLockImpl::setNoWriterWaiting() {
    noWriterWaiting = true;
    if (wakeups)
        wakeups->noWriterWaitingSet.notify_all();
}

void RWLockImpl::setNoHolders() {
    noHolders = true;
    if (wakeups)
        wakeups->noHoldersSet.notify_all();
}

void RWLockImpl::withdrawWaitingWriter() {
    try {
        std::lock_guard guard(mutex);
        if (--waitingWriters == 0 && m_writers == 0)
            setNoWriterWaiting();
    } catch (const std::system_error&) {
        printFailure(kCannotLock);
    }
}

}  // namespace vidscope::api
