// SPDX-License-Identifier: MIT
// Steady millisecond tick that wraps at 2^32, for frame timing and timeouts.
#pragma once

#include <chrono>
#include <cstdint>

namespace vidscope::base {

inline uint32_t tickCountMs() {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace vidscope::base
