// SPDX-License-Identifier: MIT
// Thread-local list of the camera locks held by the calling thread's outermost API calls.
#include "cameraapi/api/HeldLocks.h"

#include <algorithm>
#include <vector>

namespace vidscope::api {
namespace {

// One entry per camera the thread is inside; rarely more than one.
thread_local std::vector<const RWLockImpl*> tHeld;

}  // namespace

bool HeldLocks::contains(const RWLockImpl& lock) {
    return std::find(tHeld.begin(), tHeld.end(), &lock) != tHeld.end();
}

void HeldLocks::add(const RWLockImpl& lock) {
    tHeld.push_back(&lock);
}

void HeldLocks::remove(const RWLockImpl& lock) {
    auto it = std::find(tHeld.begin(), tHeld.end(), &lock);
    if (it != tHeld.end())
        tHeld.erase(it);
}

}  // namespace vidscope::api
