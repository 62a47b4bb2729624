// SPDX-License-Identifier: MIT
// The common prologue and epilogue of every per-camera API function.
#pragma once

#include <memory>

#include "cameraapi/device/CameraContext.h"

namespace vidscope::api {

enum class LockMode { None, Shared, Exclusive };

// What the function needs besides an open camera: a device with a valid driver handle, or
// that plus a control endpoint.
enum class Needs { Slot, Device, ControlEndpoint };

// Constructed first thing in an API function:
//
//     ApiCall call(index, LockMode::Shared, Needs::ControlEndpoint);
//     if (!call) return false;
//
// The constructor checks the index (last error 1), the slot (3), takes the camera's lock,
// then checks that the camera was not closed meanwhile (3 again), the device (4) and control
// endpoint (9), releasing the lock again on failure.
// The destructor releases the lock. A call nested inside another API call on the same camera
// in the same thread runs under the outer call's hold: it neither locks nor unlocks.
class ApiCall {
public:
    ApiCall(int index, LockMode mode, Needs needs = Needs::Slot);
    ~ApiCall();
    ApiCall(const ApiCall&) = delete;
    ApiCall& operator=(const ApiCall&) = delete;

    explicit operator bool() const { return context_ != nullptr; }
    // Only valid when the prologue succeeded.
    CameraContext& context() const { return *context_; }

    // Takes the lock after a prologue with LockMode::None, for a call that must act before it
    // waits (closing a camera signals its abort event first).
    void hold(LockMode mode);
    // Ends this call's own hold early, e.g. before the context it protects is destroyed.
    void release();

    // Records `code` as the thread's last error and returns the failure value.
    static bool fail(int code);
    static int failNumber(int code);
    // Checks an index for functions that need no slot: false with last error 1 when bad.
    static bool acceptIndex(int index);

private:
    bool checkDevice(Needs needs);

    // Keeps the context alive until this call has released its lock, even when another
    // thread closes the camera meanwhile; destroyed after the destructor's release().
    std::shared_ptr<CameraContext> pinned_;
    CameraContext* context_ = nullptr;
    bool holding_ = false;  // this call took the lock and owes the unlock
};

}  // namespace vidscope::api
