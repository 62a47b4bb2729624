// SPDX-License-Identifier: MIT
// Polls a condition with a deadline, for tests that watch other threads.
#pragma once

#include <chrono>
#include <thread>

namespace vidscope::api::test {

// True as soon as `condition` holds; false when it still does not after `limit`.
template <typename Condition>
bool waitUntil(Condition condition, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Long enough for a thread that is free to proceed to have done so; used to show that a
// thread is still blocked.
inline constexpr std::chrono::milliseconds kGracePeriod{60};

}  // namespace vidscope::api::test
