// SPDX-License-Identifier: MIT
// The two ways a command fails: bad usage (exit 2) or a camera API call that failed (exit 1).
#include "cli/CliError.h"

#include "vidscope/camera_api.h"

namespace vidscope::cli {

ApiError ApiError::fromLastError(const std::string& what) {
    const int code = CameraGetLastError();
    return ApiError(what + " failed: " + CameraGetErrorName(code) + " (" + std::to_string(code) +
                    ")");
}

void require(bool ok, const char* what) {
    if (!ok)
        throw ApiError::fromLastError(what);
}

}  // namespace vidscope::cli
