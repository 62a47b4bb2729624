// SPDX-License-Identifier: MIT
// Which camera locks the calling thread already holds through an outer API call.
#pragma once

namespace vidscope::api {

class RWLockImpl;

// API functions call one another while they hold a camera's lock (a trigger shot sets a GPIO,
// a frame query resets the stream). Taking the lock a second time would queue the inner call
// behind any writer that arrived in between, and that writer in turn waits for the outer
// call: a deadlock. So the outermost call of a thread records its hold here, and inner calls
// on the same lock run under it without locking or unlocking.
class HeldLocks {
public:
    static bool contains(const RWLockImpl& lock);
    static void add(const RWLockImpl& lock);
    static void remove(const RWLockImpl& lock);
};

}  // namespace vidscope::api
