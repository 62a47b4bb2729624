// SPDX-License-Identifier: MIT
// Tells the GUI's own interruptions of a camera call apart from failures worth a log row.
#pragma once

#include "vidscope/camera_api.h"

// A query the GUI itself ended (its pause, stream reset or close signals the abort) and a
// question about a camera the GUI has already freed fail by design; the message log shows
// only what the user did not cause.
inline bool isOwnInterruption(int lastError) {
    return lastError == CAMERA_ERROR_USER_ABORT || lastError == CAMERA_ERROR_NOT_INITIALIZED;
}
