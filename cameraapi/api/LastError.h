// SPDX-License-Identifier: MIT
// The calling thread's last-error code of the camera API boundary.
#pragma once

namespace vidscope::api {

// Written only by the public API functions when they fail, so that a caller reading it after a
// failed call sees that call's reason even if later calls of the same thread succeeded.
class LastError {
public:
    static constexpr int kNone = -1;

    static int get();
    static void set(int code);
};

}  // namespace vidscope::api
