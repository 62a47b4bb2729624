// SPDX-License-Identifier: MIT
// The flat vidScope camera API: every Camera... function and the error codes, for C and C++.
#ifndef VIDSCOPE_CAMERA_API_H
#define VIDSCOPE_CAMERA_API_H

/*
 * Cameras are named by their index, 0 to 255: index n is the n-th attached camera (vendor id
 * 0xA7B7) in driver enumeration order. An index outside 0..255, negative ones included, is
 * rejected with CAMERA_ERROR_INDEX_OUT_OF_RANGE and touches no camera.
 *
 * Failure values: functions with a bool result return false on failure; functions with an
 * int result return -1. The reason is kept in the calling thread's last-error code, read with
 * CameraGetLastError(). That code starts at -1 in every thread, is written only when a call
 * fails and is left unchanged by a successful call, so it always names the most recent failure
 * of this thread. No function throws or aborts on bad input.
 *
 * Threading: any thread may call any function. Each open camera has a writer-preferring
 * reader/writer lock: opening and closing a camera take it exclusively, the other per-camera
 * calls share it, and a few identity queries take none (each declaration says which). A call
 * made from inside another API call on the same camera runs under its caller's hold. Opening
 * and closing a camera must not overlap other use of that same camera.
 */

#include <stdbool.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Last-error codes. -1 means no call of this thread has failed yet. */
enum CameraErrorCode {
    CAMERA_ERROR_INDEX_OUT_OF_RANGE = 1,     /* camera index outside 0..255 */
    CAMERA_ERROR_PARAMETER_UNREASONABLE = 2, /* an argument is out of range or mis-sized */
    CAMERA_ERROR_NOT_INITIALIZED = 3,        /* no open camera at that index */
    CAMERA_ERROR_USB_DISCONNECTED = 4,       /* the camera has no usable driver handle */
    CAMERA_ERROR_NO_CAMERA_FOUND = 5,        /* no camera at the requested position */
    CAMERA_ERROR_INITIALIZED_ALREADY = 6,    /* the index is already open */
    CAMERA_ERROR_RECONNECT_FAILURE = 7,      /* the port cycle failed */
    CAMERA_ERROR_NOT_SUPPORTED = 8,          /* the sensor family has no such function */
    CAMERA_ERROR_CONTROL_PIPE = 9,           /* the device has no control endpoint */
    CAMERA_ERROR_READ_PIPE = 10,             /* a control request from the device failed */
    CAMERA_ERROR_WRITE_PIPE = 11,            /* a control request to the device failed */
    CAMERA_ERROR_IMAGE_SIZE = 12,            /* width x height x bytes per pixel is not positive */
    CAMERA_ERROR_DATA_PIPE = 13,             /* the device has no bulk-in endpoint */
    CAMERA_ERROR_BAD_FRAME = 14,             /* trigger mode: a frame ended at the wrong size */
    CAMERA_ERROR_USER_ABORT = 15,            /* a frame wait was aborted */
    CAMERA_ERROR_DATA_XFER = 16,             /* a frame transfer failed */
    CAMERA_ERROR_DATA_TIMEOUT = 17           /* no frame data within the frame timeout */
};

/* The calling thread's last-error code: -1 until a call of this thread fails. Takes no index,
 * no lock, and never changes the code itself. */
int CameraGetLastError(void);

/* The name of an error code ("CAMERA_ERROR_NOT_INITIALIZED" for 3), "CAMERA_ERROR_NONE" for -1
 * and 0, "CAMERA_ERROR_UNKNOWN" for any other value. Never null; the text is static. Leaves no
 * last-error code. */
const char* CameraGetErrorName(int code);

/* Writes the API version, 2016 and 9, to whichever pointer is not null. Leaves no last-error
 * code. */
void CameraGetApiVersion(int* major, int* minor);

/* The device code (USB product id) of the camera's model, or -1. Takes no lock.
 * Last errors: CAMERA_ERROR_INDEX_OUT_OF_RANGE, CAMERA_ERROR_NOT_INITIALIZED (also when the
 * open camera's model is unknown). */
int CameraGetID(int index);

/* ---- Virtual cameras ---------------------------------------------------------------------- */

/* Attaches virtual cameras, given as comma-separated hexadecimal device codes ("3E00,0500");
 * they enumerate after the real cameras, like those asked for by VIDSCOPE_VIRTUAL_CAMERAS at
 * start-up. Unknown or malformed codes are logged and skipped. Returns how many were
 * attached, or -1.
 * Last errors: CAMERA_ERROR_PARAMETER_UNREASONABLE (null text), CAMERA_ERROR_NO_CAMERA_FOUND
 * (no code named a known model). */
int CameraAttachVirtual(const char* deviceCodes);

#ifdef __cplusplus
}
#endif

#endif /* VIDSCOPE_CAMERA_API_H */
