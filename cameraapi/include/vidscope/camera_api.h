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

/* ---- Control channel ----------------------------------------------------------------------- */

/* Sensor registers ("SCCB") and EEPROM bytes, one vendor request each. These four take the
 * camera's lock shared and its control mutex around the request, so that the request and its
 * reply are never interleaved with another thread's access. The reserved arguments are
 * ignored; pass 0.
 * Last errors of all four: CAMERA_ERROR_INDEX_OUT_OF_RANGE, CAMERA_ERROR_NOT_INITIALIZED,
 * CAMERA_ERROR_USB_DISCONNECTED, CAMERA_ERROR_CONTROL_PIPE, and as listed below. */

/* Writes a sensor register. Last error: CAMERA_ERROR_WRITE_PIPE. */
bool CameraWriteSCCB(int index, int reserved1, unsigned short address, unsigned short value,
                     int reserved2);

/* Reads a sensor register: a two-byte reply is a big-endian 16-bit value, otherwise the first
 * reply byte is the value. *value is written only on success. Last errors:
 * CAMERA_ERROR_PARAMETER_UNREASONABLE (value is null; nothing is sent),
 * CAMERA_ERROR_READ_PIPE. */
bool CameraReadSCCB(int index, int reserved1, unsigned short address, unsigned int* value,
                    int reserved2);

/* Writes one EEPROM byte and then waits the EEPROM's write time (5 ms) still holding the
 * control mutex. Last error: CAMERA_ERROR_WRITE_PIPE. */
bool CameraWriteEEPROM(int index, int reserved1, unsigned short address, unsigned char value,
                       int reserved2);

/* Reads one EEPROM byte; *value is written only on success. Last errors:
 * CAMERA_ERROR_PARAMETER_UNREASONABLE (value is null; nothing is sent),
 * CAMERA_ERROR_READ_PIPE. */
bool CameraReadEEPROM(int index, int reserved1, unsigned short address, unsigned char* value,
                      int reserved2);

/* The 12-byte user identifier at EEPROM 0x1D00..0x1D0B, one byte call at a time in ascending
 * address order (no lock of their own). length must be 12. They stop at the first failing
 * byte and leave its code; bytes already written stay written, bytes already read are in
 * data. Last errors: CAMERA_ERROR_INDEX_OUT_OF_RANGE, CAMERA_ERROR_PARAMETER_UNREASONABLE
 * (length not 12 or data null; nothing is sent), and those of CameraReadEEPROM /
 * CameraWriteEEPROM. */
bool CameraReadUserData(int index, unsigned char* data, int length);
bool CameraWriteUserData(int index, const unsigned char* data, int length);

/* The colour matrix kept in the EEPROM at 0x1D20: 9 coefficients, row by row, each stored as
 * trunc(100 x coefficient) in 16 signed bits, high byte first.
 *
 * CameraReadEEPROMCCM fills matrix[9]. It stops reading at the first failing byte, counts that
 * byte and all later ones as 0, fills matrix from what it has and returns false. A complete
 * read whose diagonal entries are not all within 0.1 .. 5.0 gives the identity matrix and
 * returns true. Last errors: CAMERA_ERROR_INDEX_OUT_OF_RANGE,
 * CAMERA_ERROR_PARAMETER_UNREASONABLE (matrix null), and those of CameraReadEEPROM.
 *
 * CameraWriteEEPROMCCM stores matrix[9]; after the first failing byte nothing more is written.
 * An entry that is not a number or whose scaled value does not fit 16 signed bits (outside
 * about -327.68 .. 327.67) is refused before anything is written. Last errors:
 * CAMERA_ERROR_INDEX_OUT_OF_RANGE, CAMERA_ERROR_PARAMETER_UNREASONABLE (matrix null or an entry
 * out of range), and those of CameraWriteEEPROM. */
bool CameraReadEEPROMCCM(int index, double* matrix);
bool CameraWriteEEPROMCCM(int index, const double* matrix);

/* ---- Trigger, strobe and GPIO -------------------------------------------------------------- */

/* GPIO bits as the camera reports them: 0x02 input level (read only), 0x08 software trigger
 * (a pulse; reads back as 0), 0x80 output level. Which connector pin each bit drives is the
 * camera's own affair.
 *
 * The trigger and strobe functions choose their registers by the sensor family of the
 * camera's model and work by read-modify-write through the sensor-register access above; a
 * failed read writes nothing. All take the camera's lock shared. */

/* The GPIO state byte (0..255), or -1. Last errors: CAMERA_ERROR_INDEX_OUT_OF_RANGE,
 * CAMERA_ERROR_NOT_INITIALIZED, CAMERA_ERROR_USB_DISCONNECTED, CAMERA_ERROR_CONTROL_PIPE,
 * CAMERA_ERROR_READ_PIPE. */
int CameraGetGPIO(int index);

/* Sets the GPIO bits selected by mask to those of value; returns the camera's reply byte
 * (0..255), or -1. Last errors: as CameraGetGPIO. */
int CameraSetGPIO(int index, unsigned short mask, unsigned short value);

/* Mode 2 puts the camera into trigger mode, where it sends a frame only when triggered; any
 * other mode selects continuous streaming (1 is the mode after CameraInit). The mode is
 * stored as given before the camera is told, so CameraGetSnapMode reports it even when the
 * camera then refused it. Entering trigger mode throws away the frame data the transfer ring
 * already holds, waiting for a frame query in progress to give up. Leaving trigger mode on a
 * camera that is not in it writes nothing. Last errors: CAMERA_ERROR_INDEX_OUT_OF_RANGE,
 * CAMERA_ERROR_NOT_INITIALIZED, CAMERA_ERROR_NOT_SUPPORTED (the sensor family has no trigger
 * mode; the stored mode is unchanged), CAMERA_ERROR_USB_DISCONNECTED,
 * CAMERA_ERROR_CONTROL_PIPE, CAMERA_ERROR_READ_PIPE, CAMERA_ERROR_WRITE_PIPE. */
bool CameraSetSnapMode(int index, int mode);

/* The stored snap mode, or -1. Last errors: CAMERA_ERROR_INDEX_OUT_OF_RANGE,
 * CAMERA_ERROR_NOT_INITIALIZED. */
int CameraGetSnapMode(int index);

/* Fires the software trigger (GPIO bit 0x08). The request's own outcome is not reported: the
 * frame it triggers, or its absence, is the answer. Last errors:
 * CAMERA_ERROR_INDEX_OUT_OF_RANGE, CAMERA_ERROR_NOT_INITIALIZED, CAMERA_ERROR_NOT_SUPPORTED
 * (the sensor family has no trigger mode). */
bool CameraTriggerShot(int index);

/* The trigger input's polarity is fixed by the camera: this accepts any arguments, changes
 * nothing, returns true and leaves no last-error code. */
bool CameraSetTriggerPolarity(int index, int polarity);

/* Switches the strobe output. One sensor family (0x0E6B) has a single strobe word chosen by
 * the snap mode alone: there the enable flag does not matter. Last errors:
 * CAMERA_ERROR_INDEX_OUT_OF_RANGE, CAMERA_ERROR_NOT_INITIALIZED, CAMERA_ERROR_NOT_SUPPORTED,
 * CAMERA_ERROR_USB_DISCONNECTED, CAMERA_ERROR_CONTROL_PIPE, CAMERA_ERROR_READ_PIPE,
 * CAMERA_ERROR_WRITE_PIPE. */
bool CameraEnableStrobe(int index, bool enable);

/* Inverts the strobe output (invert true) or restores its normal polarity. Last errors: as
 * CameraEnableStrobe. */
bool CameraSetStrobePolarity(int index, bool invert);

#ifdef __cplusplus
}
#endif

#endif /* VIDSCOPE_CAMERA_API_H */
