// SPDX-License-Identifier: MIT
// Index, slot, lock and device checks shared by the per-camera API functions.
#include "cameraapi/api/ApiCall.h"

#include "cameraapi/ApiLog.h"
#include "cameraapi/api/HeldLocks.h"
#include "cameraapi/api/LastError.h"
#include "cameraapi/device/CameraSlots.h"
#include "usb/UsbDevice.h"
#include "vidscope/camera_api.h"

namespace vidscope::api {

ApiCall::ApiCall(int index, LockMode mode, Needs needs) {
    if (!acceptIndex(index))
        return;
    pinned_ = CameraSlots::acquire(index);
    if (pinned_ == nullptr) {
        fail(CAMERA_ERROR_NOT_INITIALIZED);
        return;
    }
    context_ = pinned_.get();
    hold(mode);
    if (context_->closing) {
        release();
        context_ = nullptr;
        fail(CAMERA_ERROR_NOT_INITIALIZED);
        return;
    }
    if (!checkDevice(needs)) {
        release();
        context_ = nullptr;
    }
}

ApiCall::~ApiCall() {
    release();
}

void ApiCall::hold(LockMode mode) {
    if (mode == LockMode::None || holding_ || context_ == nullptr)
        return;
    RWLockImpl& lock = context_->lock;
    if (HeldLocks::contains(lock)) {
        // An upgrade cannot be granted without waiting for ourselves; the outer hold must do.
        if (mode == LockMode::Exclusive) {
            VS_LOG(apiLog(), Warning) << "exclusive camera call nested in a call on the same "
                                         "camera runs under the outer hold";
        }
        return;
    }
    bool locked = mode == LockMode::Shared ? lock.lockShared() : lock.lockExclusive();
    // A lock that failed has been reported; the call goes on unlocked rather than stall.
    if (!locked)
        return;
    HeldLocks::add(lock);
    holding_ = true;
}

void ApiCall::release() {
    if (!holding_)
        return;
    holding_ = false;
    HeldLocks::remove(context_->lock);
    context_->lock.unlock();
}

bool ApiCall::checkDevice(Needs needs) {
    if (needs == Needs::Slot)
        return true;
    const usb::UsbDevice* device = context_->device.get();
    if (device == nullptr || device->handle() == host::kInvalidHandle) {
        return fail(CAMERA_ERROR_USB_DISCONNECTED);
    }
    if (needs == Needs::ControlEndpoint && device->controlEndPoint() == nullptr) {
        return fail(CAMERA_ERROR_CONTROL_PIPE);
    }
    return true;
}

bool ApiCall::fail(int code) {
    LastError::set(code);
    return false;
}

int ApiCall::failNumber(int code) {
    LastError::set(code);
    return -1;
}

bool ApiCall::acceptIndex(int index) {
    if (CameraSlots::isValidIndex(index))
        return true;
    return fail(CAMERA_ERROR_INDEX_OUT_OF_RANGE);
}

}  // namespace vidscope::api
