// SPDX-License-Identifier: MIT
// Thread-local storage of the camera API's last-error code.
#include "cameraapi/api/LastError.h"

namespace vidscope::api {
namespace {

thread_local int tLastError = LastError::kNone;

}  // namespace

int LastError::get() {
    return tLastError;
}

void LastError::set(int code) {
    tLastError = code;
}

}  // namespace vidscope::api
