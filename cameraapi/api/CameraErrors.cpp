// SPDX-License-Identifier: MIT
// Public access to the last-error code and the names of the error codes.
#include <array>
#include <cstddef>

#include "cameraapi/api/LastError.h"
#include "vidscope/camera_api.h"

namespace {

// Indexed by code; the names double as the texts of the application's message log.
constexpr std::array<const char*, 18> kErrorNames = {
    "CAMERA_ERROR_NONE",
    "CAMERA_ERROR_INDEX_OUT_OF_RANGE",
    "CAMERA_ERROR_PARAMETER_UNREASONABLE",
    "CAMERA_ERROR_NOT_INITIALIZED",
    "CAMERA_ERROR_USB_DISCONNECTED",
    "CAMERA_ERROR_NO_CAMERA_FOUND",
    "CAMERA_ERROR_INITIALIZED_ALREADY",
    "CAMERA_ERROR_RECONNECT_FAILURE",
    "CAMERA_ERROR_NOT_SUPPORTED",
    "CAMERA_ERROR_CONTROL_PIPE",
    "CAMERA_ERROR_READ_PIPE",
    "CAMERA_ERROR_WRITE_PIPE",
    "CAMERA_ERROR_IMAGE_SIZE",
    "CAMERA_ERROR_DATA_PIPE",
    "CAMERA_ERROR_BAD_FRAME",
    "CAMERA_ERROR_USER_ABORT",
    "CAMERA_ERROR_DATA_XFER",
    "CAMERA_ERROR_DATA_TIMEOUT",
};

}  // namespace

extern "C" int CameraGetLastError(void) {
    return vidscope::api::LastError::get();
}

extern "C" const char* CameraGetErrorName(int code) {
    if (code == vidscope::api::LastError::kNone)
        return kErrorNames[0];
    if (code < 0 || static_cast<std::size_t>(code) >= kErrorNames.size())
        return "CAMERA_ERROR_UNKNOWN";
    return kErrorNames[static_cast<std::size_t>(code)];
}
