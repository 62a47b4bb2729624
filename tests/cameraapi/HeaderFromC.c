// SPDX-License-Identifier: MIT
// Uses the public camera API header from plain C; HeaderFromCTest.cpp runs it.
#include "vidscope/camera_api.h"

#include <stddef.h>
#include <string.h>

/* Returns 0 when every call behaved as documented, otherwise the number of the failed step. */
int vidscopeHeaderFromC(void) {
    int major = 0;
    int minor = 0;
    CameraGetApiVersion(&major, &minor);
    if (major != 2016 || minor != 9)
        return 1;

    enum CameraErrorCode code = CAMERA_ERROR_DATA_TIMEOUT;
    if (strcmp(CameraGetErrorName(code), "CAMERA_ERROR_DATA_TIMEOUT") != 0)
        return 2;

    if (CameraGetID(300) != -1)
        return 3;
    if (CameraGetLastError() != CAMERA_ERROR_INDEX_OUT_OF_RANGE)
        return 4;
    bool empty = CameraGetID(17) == -1;
    if (!empty || CameraGetLastError() != CAMERA_ERROR_NOT_INITIALIZED)
        return 5;
    return 0;
}
