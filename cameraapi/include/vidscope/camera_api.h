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
    CAMERA_ERROR_BAD_FRAME = 14,             /* frames of another size than the one set */
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

/* ---- Device lifecycle ---------------------------------------------------------------------- */

/* Size of each name buffer CameraGetName writes (the GUI's 256-byte buffers); longer names are
 * cut to CAMERA_NAME_BUFFER_SIZE - 1 characters. */
#define CAMERA_NAME_BUFFER_SIZE 256

/* The number of attached cameras (devices with vendor id 0xA7B7). Takes no lock and leaves no
 * last-error code; 0 when there are none. */
int CameraGetCount(void);

/* Looks up the index-th camera and returns its driver position (devices of other vendors
 * count there but not in the index), or -1. Every pointer may be null. displayName and
 * shortName, when given, must each hold CAMERA_NAME_BUFFER_SIZE bytes. With a custom name
 * programmed into the camera's EEPROM (1 to 30 characters) the display name is
 * "Veltro <name> Camera(<index>)" and the short name "<name>(<index>)"; otherwise they are
 * "<device name>(<index>)" and "<model name>(<index>)". The short name stays empty, and
 * *modelIndex is 32, for a product id of no known model. The EEPROM is read only when a name
 * is asked for. Takes no lock.
 * Last errors: CAMERA_ERROR_INDEX_OUT_OF_RANGE, CAMERA_ERROR_NO_CAMERA_FOUND,
 * CAMERA_ERROR_CONTROL_PIPE or CAMERA_ERROR_READ_PIPE (the custom name could not be read; the
 * outputs are still written, the result is -1). */
int CameraGetName(int index, char* displayName, char* shortName, unsigned int* modelIndex,
                  unsigned int* deviceCode);

/* Opens the index-th camera into slot index: reads its firmware version and queues its ring
 * of bulk transfers (USB 3 cameras: 20 of 1 MiB; 0x0E00: 50 of 307200 bytes; 0x0A00 and
 * 0x0A0B: 30; others: 20). A USB 3 camera streams only after CameraPlay. Takes the new
 * camera's lock exclusively. On failure the slot stays empty and nothing is left behind.
 * Last errors: CAMERA_ERROR_INDEX_OUT_OF_RANGE, CAMERA_ERROR_INITIALIZED_ALREADY (the open
 * camera in that slot is left as it was), those of CameraGetName, CAMERA_ERROR_NO_CAMERA_FOUND
 * (also for a product id of no known model), CAMERA_ERROR_CONTROL_PIPE,
 * CAMERA_ERROR_USB_DISCONNECTED, CAMERA_ERROR_DATA_PIPE (no bulk-in endpoint),
 * CAMERA_ERROR_DATA_XFER (the transfers could not be queued). */
bool CameraInit(int index);

/* Closes the camera and empties its slot. Signals the frame query's abort first, so that a
 * query waiting in another thread returns (with CAMERA_ERROR_USER_ABORT) before the exclusive
 * lock is taken; works on an unplugged camera too. Last errors:
 * CAMERA_ERROR_INDEX_OUT_OF_RANGE, CAMERA_ERROR_NOT_INITIALIZED. */
bool CameraFree(int index);

/* The firmware version read by CameraInit (0 when the camera did not answer). Last errors:
 * CAMERA_ERROR_INDEX_OUT_OF_RANGE, CAMERA_ERROR_NOT_INITIALIZED,
 * CAMERA_ERROR_PARAMETER_UNREASONABLE (version null). */
bool CameraGetFirmVersion(int index, unsigned int* version);

/* The bus speed: 1 full, 2 high, 3 super speed. Last errors: as CameraGetFirmVersion, and
 * CAMERA_ERROR_USB_DISCONNECTED. */
bool CameraGetUSBSpeed(int index, unsigned int* speed);

/* USB 3 cameras: sends the restart request and reports success whatever the camera answers.
 * Others: cycles the USB port. Last errors: CAMERA_ERROR_INDEX_OUT_OF_RANGE,
 * CAMERA_ERROR_NOT_INITIALIZED, CAMERA_ERROR_USB_DISCONNECTED, CAMERA_ERROR_CONTROL_PIPE,
 * CAMERA_ERROR_RECONNECT_FAILURE. */
bool CameraReconnect(int index);

/* Recovers a stalled stream. USB 3 cameras: stop, reset of the bulk pipe and the parent port,
 * start; always true. Others: aborts and resets the bulk and control pipes and sends the
 * restart request (its answer is ignored). The transfers queued at the time end as failed and
 * are re-queued by the next frame query. Last errors: CAMERA_ERROR_INDEX_OUT_OF_RANGE,
 * CAMERA_ERROR_NOT_INITIALIZED, CAMERA_ERROR_USB_DISCONNECTED, CAMERA_ERROR_CONTROL_PIPE. */
bool CameraReset(int index);

/* Erases the camera's firmware: the camera is unusable until it is reprogrammed. Last errors:
 * CAMERA_ERROR_INDEX_OUT_OF_RANGE, CAMERA_ERROR_NOT_INITIALIZED, CAMERA_ERROR_USB_DISCONNECTED,
 * CAMERA_ERROR_CONTROL_PIPE, CAMERA_ERROR_WRITE_PIPE. */
bool CameraEraseFirmware(int index);

/* Start and stop the stream of a USB 3 camera; other cameras stream from power-on and these
 * return true at once. The camera's answer is ignored. Last errors:
 * CAMERA_ERROR_INDEX_OUT_OF_RANGE, CAMERA_ERROR_NOT_INITIALIZED, CAMERA_ERROR_USB_DISCONNECTED,
 * CAMERA_ERROR_CONTROL_PIPE (USB 3 cameras only). */
bool CameraPlay(int index);
bool CameraStop(int index);

/* ---- Frame acquisition --------------------------------------------------------------------- */

/* Bits of the format word (flags) of the frame query and the buffer-size functions. */
enum CameraFrameFlags {
    CAMERA_FORMAT_RAW8 = 0x001,          /* the raw frame as the camera sends it */
    CAMERA_FORMAT_GRAY8 = 0x002,         /* one byte per output pixel */
    CAMERA_FORMAT_RGB24 = 0x004,         /* colour output */
    CAMERA_FORMAT_BLUE_FIRST = 0x100,    /* colour bytes in blue, green, red order */
    CAMERA_FORMAT_FOUR_BYTES = 0x200,    /* four bytes per colour pixel instead of three */
    CAMERA_QUERY_RESET_STREAM = 0x10000, /* drop what the ring holds first (not in trigger mode) */
    CAMERA_QUERY_TRIGGER = 0x20000       /* trigger mode: fire the software trigger first */
};

/* Reads the next frame into image, whose size (bytes) must equal what
 * CameraGetImageBufferSize reports for the same flags. C has no overloading: this is the
 * four-argument form, CameraQueryImageEx the five-argument one with a reserved output.
 *
 * Takes the camera's lock shared and the stream mutex for the whole call. Frames are joined
 * from the ring's transfers; one that comes out too short or too long is dropped and the next
 * one collected; in trigger mode (CameraSetSnapMode 2) it fails with CAMERA_ERROR_BAD_FRAME
 * (image holds the frame's full transfers), and so it does after 16 frames of another size.
 * When nothing arrives within the frame timeout (500 ms unless set otherwise) the camera is
 * reset (not in trigger mode) and the call fails with CAMERA_ERROR_DATA_TIMEOUT; the next call
 * continues with the stream. CameraFree or CameraResetStream from another thread end a call
 * that waits for data at once with CAMERA_ERROR_USER_ABORT, and so does a call that begins
 * while they are under way; a call that got the lock only after CameraFree fails with
 * CAMERA_ERROR_NOT_INITIALIZED. A resolution or ROI change from another thread during a call
 * ends it with CAMERA_ERROR_PARAMETER_UNREASONABLE, never converting to an unchecked size.
 *
 * With CAMERA_FORMAT_RAW8 the frame lands in image as the camera sent it; the raw size is
 * width x height (x 2 for a YUV camera), or the frame's byte count if a mode sends more.
 * Otherwise the frame is collected into a buffer the calling thread reuses, the stream mutex
 * is released, and CameraISP converts it into image (see there for the output sizes; a YUV
 * camera's processed output is width x height x 3). A bad frame in trigger mode is still
 * converted before the call fails.
 *
 * Last errors: CAMERA_ERROR_INDEX_OUT_OF_RANGE, CAMERA_ERROR_NOT_INITIALIZED,
 * CAMERA_ERROR_USB_DISCONNECTED, CAMERA_ERROR_IMAGE_SIZE,
 * CAMERA_ERROR_PARAMETER_UNREASONABLE (size mismatch or image null; no transfer is taken),
 * CAMERA_ERROR_CONTROL_PIPE and CAMERA_ERROR_READ_PIPE (the software trigger),
 * CAMERA_ERROR_DATA_PIPE, CAMERA_ERROR_BAD_FRAME, CAMERA_ERROR_USER_ABORT,
 * CAMERA_ERROR_DATA_XFER (transfers failed: more than the ring's size within one frame, or
 * they could no longer be queued, as after an unplug), CAMERA_ERROR_DATA_TIMEOUT. */
bool CameraQueryImage(int index, unsigned char* image, unsigned int size, unsigned int flags);

/* As CameraQueryImage; *reserved (when not null) receives 0. */
bool CameraQueryImageEx(int index, unsigned char* image, unsigned int size, unsigned int* reserved,
                        unsigned int flags);

/* Throws away the frame data the ring holds (what arrived before now), waiting at most 20 ms
 * for each transfer; a query waiting in another thread gives up first. Last errors:
 * CAMERA_ERROR_INDEX_OUT_OF_RANGE, CAMERA_ERROR_NOT_INITIALIZED. */
bool CameraResetStream(int index);

/* The output width and height (swapped under quarter-turn rotation). Last errors:
 * CAMERA_ERROR_INDEX_OUT_OF_RANGE, CAMERA_ERROR_NOT_INITIALIZED,
 * CAMERA_ERROR_PARAMETER_UNREASONABLE (a null pointer). */
bool CameraGetImageSize(int index, unsigned int* width, unsigned int* height);

/* The buffer size a frame query with these flags needs at the current output size: for a YUV
 * camera w x h x 2 raw and w x h x 3 processed, else w x h for raw or grey output (raw: at least
 * the frame's byte count), else w x h x 4 with CAMERA_FORMAT_FOUR_BYTES, else w x h x 3.
 * CameraGetImageBufferSizeFor applies the rule to the given width and height (the second form; C
 * cannot overload). Take no lock. Last errors: CAMERA_ERROR_INDEX_OUT_OF_RANGE,
 * CAMERA_ERROR_NOT_INITIALIZED, CAMERA_ERROR_PARAMETER_UNREASONABLE (size null, or a size beyond 32
 * bits). */
bool CameraGetImageBufferSize(int index, unsigned int* size, unsigned int flags);
bool CameraGetImageBufferSizeFor(int index, unsigned int* size, unsigned int width,
                                 unsigned int height, unsigned int flags);

/* ---- Image pipeline ------------------------------------------------------------------------ */

/* Converts one raw frame into a picture: dead-pixel repair (in raw, in place), interpolation or
 * conversion, white-balance gains, contrast, black level, gamma, colour matrix and saturation
 * through tables, mirroring and rotation; then it measures the mean brightness and steps the
 * automatic white balance and the automatic exposure and gain loop (which may write sensor
 * registers). width and height are the output size as CameraGetImageSize reports it (swapped
 * under rotation). Takes the camera's lock shared.
 *
 * format picks the output: with CAMERA_FORMAT_RAW8 (or no output bit) only the dead pixels are
 * repaired; otherwise CAMERA_FORMAT_GRAY8 gives one byte per pixel, else CAMERA_FORMAT_RGB24
 * three (red first, or blue first with CAMERA_FORMAT_BLUE_FIRST; four with
 * CAMERA_FORMAT_FOUR_BYTES, whose fourth byte is left as it was). The out buffer must hold that
 * many bytes per pixel. A YUV camera's colour output is always three bytes per pixel in red,
 * green, blue order: out must hold width x height x 3 bytes although its raw frame is
 * width x height x 2; its GRAY8 output writes nothing.
 *
 * Settings changed from another thread while a frame converts take effect from the next frame
 * on; a frame never mixes old and new tables.
 *
 * Returns false without a last-error code when width x height is not the size the pixel map
 * was last built for (by opening the camera, a resolution or ROI change, or the mirror and
 * rotate functions): out is then untouched. In GRAY8 output it also returns false when the
 * exposure loop failed to write the sensor (with that write's last error); in colour output
 * such a failure is ignored. Last errors: CAMERA_ERROR_INDEX_OUT_OF_RANGE,
 * CAMERA_ERROR_NOT_INITIALIZED. */
bool CameraISP(int index, unsigned char* raw, unsigned char* out, unsigned int width,
               unsigned int height, unsigned int format);

/* Mirror the picture left to right (X) or top to bottom (Y), or turn it a quarter clockwise
 * (rotate; width and height reported by the API swap). Each rebuilds the pixel map for the
 * current frame size; true. The getters return 1 when on, 0 when off, -1 on failure. Last
 * errors: CAMERA_ERROR_INDEX_OUT_OF_RANGE, CAMERA_ERROR_NOT_INITIALIZED. */
bool CameraSetMirrorX(int index, bool on);
bool CameraSetMirrorY(int index, bool on);
bool CameraSetRotate(int index, bool on);
int CameraGetMirrorX(int index);
int CameraGetMirrorY(int index);
int CameraGetRotate(int index);

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

/* ---- Colour controls ----------------------------------------------------------------------- */

/* Tone and colour of the processed picture. Each setter rebuilds the conversion tables at once
 * (a frame converting meanwhile finishes with the old ones). All take the camera's lock
 * shared. Out-of-range values change nothing. The YUV camera 0xC130 applies gamma, contrast,
 * saturation and black level in its sensor: there the setters also write the sensor, after
 * the tables are rebuilt, and return false with CAMERA_ERROR_USB_DISCONNECTED,
 * CAMERA_ERROR_CONTROL_PIPE or CAMERA_ERROR_WRITE_PIPE when that write fails (the value stays
 * set). Getters return the value, or -1 (-1.0) on failure.
 * Last errors of all: CAMERA_ERROR_INDEX_OUT_OF_RANGE, CAMERA_ERROR_NOT_INITIALIZED, and as
 * listed. */

/* Gamma 0.3 .. 2.0 (1.0 is linear). Last error: CAMERA_ERROR_PARAMETER_UNREASONABLE. */
bool CameraSetGamma(int index, double gamma);
double CameraGetGamma(int index);

/* Contrast 0.3 .. 2.0 about the middle of the range above the black level. Last error:
 * CAMERA_ERROR_PARAMETER_UNREASONABLE. */
bool CameraSetContrast(int index, double contrast);
double CameraGetContrast(int index);

/* Saturation 0.0 (grey) .. 2.0; 1.0 leaves colours as they are. Also brings a matrix given to
 * CameraSetCCM into force. Last error: CAMERA_ERROR_PARAMETER_UNREASONABLE. */
bool CameraSetSaturation(int index, double saturation);
double CameraGetSaturation(int index);

/* White-balance gains of red, green and blue, each 0.0 .. 3.0. Last error:
 * CAMERA_ERROR_PARAMETER_UNREASONABLE. */
bool CameraSetWBGain(int index, double red, double green, double blue);
/* Writes the gains to whichever pointers are not null. */
bool CameraGetWBGain(int index, double* red, double* green, double* blue);

/* Automatic white balance of colour cameras: switching on estimates the gains from the next
 * frame, and again whenever the brightness moves; switching off keeps the last gains.
 * CameraGetAWB: 1 on, 0 off. */
bool CameraSetAWB(int index, bool on);
int CameraGetAWB(int index);

/* Measures the gains once, on the centre ninth of the next converted colour frame, which
 * should show something grey. The gains may end outside the range CameraSetWBGain takes. */
bool CameraOnePushWB(int index);

/* The colour-correction matrix, 9 coefficients row by row. CameraSetCCM only stores it: it
 * takes effect at the next CameraSetSaturation or CameraSetEnhancement. Last error:
 * CAMERA_ERROR_PARAMETER_UNREASONABLE (matrix null, or a coefficient that is not a number or
 * lies beyond +-100000; the stored matrix is then unchanged). */
bool CameraSetCCM(int index, const double* matrix);
bool CameraGetCCM(int index, double* matrix);

/* Enhancement on converts colours through the correction matrix, off through the identity.
 * CameraGetEnhancement: 1 on, 0 off. */
bool CameraSetEnhancement(int index, bool on);
int CameraGetEnhancement(int index);

/* A stored interpolation choice, kept with the parameter groups; every value interpolates
 * bilinearly. */
bool CameraSetInterpolation(int index, unsigned char value);
int CameraGetInterpolation(int index);

/* ---- Exposure and gain --------------------------------------------------------------------- */

/* Exposure in sensor lines, gain in sixteenths (16 is unity), black level and frame timing.
 * All take the camera's lock shared. A setter stores its value before it writes the sensor,
 * so after a failed write the getter reports the request while the sensor may not have it.
 * Sensor writes fail with CAMERA_ERROR_USB_DISCONNECTED, CAMERA_ERROR_CONTROL_PIPE,
 * CAMERA_ERROR_READ_PIPE or CAMERA_ERROR_WRITE_PIPE. With automatic exposure or gain on, the
 * loop in CameraISP may overwrite what is set here. Integer getters return -1 on failure.
 * Last errors of all: CAMERA_ERROR_INDEX_OUT_OF_RANGE, CAMERA_ERROR_NOT_INITIALIZED, and as
 * listed. */

/* Exposure, at least 1 line, no upper bound; written to the sensor where its family has an
 * exposure register. Last errors: CAMERA_ERROR_PARAMETER_UNREASONABLE, sensor write errors. */
bool CameraSetExposure(int index, int lines);
int CameraGetExposure(int index);
/* Exposure in milliseconds: lines times the line time of the last timing update (a line
 * counts 1 ms until a resolution, ROI, frame delay or high-speed change has run one).
 * -1.0 on failure. */
double CameraGetExposureTime(int index);

/* Gain 1 .. 255, written in the sensor family's encoding. Last errors:
 * CAMERA_ERROR_PARAMETER_UNREASONABLE, sensor write errors. */
bool CameraSetGain(int index, int gain);
int CameraGetGain(int index);

/* Extra digital gain stage 0 .. 255; on the 0x0120 family 1, 2 and 3 select x2, x4 and x8
 * (other values: none). Last errors: CAMERA_ERROR_PARAMETER_UNREASONABLE, sensor read and
 * write errors (0x0120 family). */
bool CameraSetAdvancedGain(int index, unsigned int value);
int CameraGetAdvancedGain(int index);

/* Black level 0 .. 255, subtracted before the contrast stretch. Last errors:
 * CAMERA_ERROR_PARAMETER_UNREASONABLE, sensor write errors (0xC130 only). */
bool CameraSetBlackLevel(int index, unsigned int level);
int CameraGetBlackLevel(int index);

/* Brightness target 0 .. 255 of the automatic loop, above the black level: the absolute
 * target is fixed when set, so a later black level change moves the reported target. Last
 * error: CAMERA_ERROR_PARAMETER_UNREASONABLE. */
bool CameraSetAETarget(int index, unsigned int target);
int CameraGetAETarget(int index);
/* The mean brightness of the last converted frame above the black level (0 at or below). */
int CameraGetBrightness(int index);

/* Automatic exposure (AEC) and gain (AGC) loops, stepped every fourth converted frame. The
 * getters return 1 on, 0 off. CameraSetAGC also stops the sensor's own loop on the 0x0030
 * family (whether the sensor took that shows only in the picture). */
bool CameraSetAEC(int index, bool on);
int CameraGetAEC(int index);
bool CameraSetAGC(int index, bool on);
int CameraGetAGC(int index);

/* Anti-flicker: 1 for 50 Hz mains, 2 for 60 Hz, anything else off. With it on the loop keeps
 * the exposure at whole periods of the light's flicker. The period is taken from the next
 * timing update. */
bool CameraSetAntiFlicker(int index, unsigned int mode);
int CameraGetAntiFlicker(int index);

/* Doubled sensor readout clock, then a timing update. Last errors:
 * CAMERA_ERROR_USB_DISCONNECTED, CAMERA_ERROR_CONTROL_PIPE, CAMERA_ERROR_READ_PIPE (the
 * request failed: the setting is unchanged, or the timing could not be read back). */
bool CameraSetHighspeed(int index, bool on);
int CameraGetHighspeed(int index);

/* Extra blanking between frames (negative counts as 0), written to the blanking registers of
 * the sensor family at the current frame size, then a timing update. Families with ten-bit
 * blanking registers cap a delay above 978 to 978, and store that. Last errors:
 * CAMERA_ERROR_USB_DISCONNECTED, CAMERA_ERROR_CONTROL_PIPE, CAMERA_ERROR_WRITE_PIPE,
 * CAMERA_ERROR_READ_PIPE (timing read-back). */
bool CameraSetDelay(int index, int delay);
/* The stored delay; -1 with CAMERA_ERROR_USB_DISCONNECTED when the device is not open. */
int CameraGetDelay(int index);

/* The frame wait of the frame query, clamped to 500 .. 50000 ms. */
bool CameraSetTimeout(int index, int ms);
/* Last error: CAMERA_ERROR_PARAMETER_UNREASONABLE (ms null). */
bool CameraGetTimeout(int index, unsigned int* ms);

/* ---- Resolution and ROI -------------------------------------------------------------------- */

/* The frame sizes the camera offers and the region of interest. All take the camera's lock
 * shared. The functions that ask the camera fail with CAMERA_ERROR_USB_DISCONNECTED,
 * CAMERA_ERROR_CONTROL_PIPE and CAMERA_ERROR_READ_PIPE (a failed or malformed answer).
 * Last errors of all: CAMERA_ERROR_INDEX_OUT_OF_RANGE, CAMERA_ERROR_NOT_INITIALIZED, and as
 * listed. */

/* The number of resolutions, or -1. */
int CameraGetResolutionCount(int index);

/* The size of resolution `number`; under rotation width and height are swapped. Each pointer
 * may be null. */
bool CameraGetResolution(int index, unsigned short number, unsigned int* width,
                         unsigned int* height, unsigned int* bytesPerPixel);

/* Selects resolution `number` (reported as CameraGetResolution does), re-applies the frame
 * delay for the new size (its failure is not reported), rebuilds the mirror and rotation map
 * and ends an active ROI. A size the camera reports beyond its sensor, or a YUV camera's reply
 * of fewer than two bytes per pixel, is refused with CAMERA_ERROR_READ_PIPE. */
bool CameraSetResolution(int index, unsigned short number, unsigned int* width,
                         unsigned int* height, unsigned int* bytesPerPixel);

/* How smaller resolutions are made: 0 cropping, 1 skipping, 2 binning. On an open camera the
 * mode is stored even when the camera then fails to take it; a closed device
 * (CAMERA_ERROR_USB_DISCONNECTED) or one without control pipe (CAMERA_ERROR_CONTROL_PIPE)
 * keeps its mode. */
bool CameraSetResolutionMode(int index, unsigned char mode);
int CameraGetResolutionMode(int index);

/* A region of interest, given on the picture as displayed (mirrored and rotated) in full-
 * sensor pixels; the camera reads the matching window of its sensor, whatever resolution was
 * selected. Offsets and sizes must be even and the window must lie on the sensor: otherwise
 * CAMERA_ERROR_PARAMETER_UNREASONABLE and nothing is sent. A window the camera does not accept
 * fails with CAMERA_ERROR_READ_PIPE (CAMERA_ERROR_WRITE_PIPE when it could not be sent) and
 * changes nothing. On success the frame size becomes the window's, so that CameraGetImageSize
 * reports width x height as given, rotation included. */
bool CameraSetROI(int index, unsigned int x, unsigned int y, unsigned int width,
                  unsigned int height);

/* Values the application keeps with the parameter groups under fixed names: "image_format",
 * "resolution_index", "enable_roi", "roi_offset_x", "roi_offset_y", "roi_width",
 * "roi_height" (exact spelling). Byte-wide ones keep the low byte. Another key (or null)
 * returns false without a last-error code; CameraGetParam with value null fails with
 * CAMERA_ERROR_PARAMETER_UNREASONABLE. */
bool CameraSetParam(int index, const char* key, unsigned short value);
bool CameraGetParam(int index, const char* key, unsigned int* value);

/* ---- Parameter groups and dead pixels ------------------------------------------------------ */

/* The camera keeps two parameter groups, its colour matrix and a dead-pixel list in its
 * EEPROM. All take the camera's lock shared; EEPROM writes take 5 ms a byte. Last errors of
 * all: CAMERA_ERROR_INDEX_OUT_OF_RANGE, CAMERA_ERROR_NOT_INITIALIZED,
 * CAMERA_ERROR_USB_DISCONNECTED, CAMERA_ERROR_CONTROL_PIPE, and as listed. */

/* Saves the current settings and colour matrix as group 0 or 1 (any other number means 0).
 * A failed write ends the save; what was written before stays. Last errors:
 * CAMERA_ERROR_WRITE_PIPE, those of CameraWriteEEPROMCCM. */
bool CameraSaveParameter(int index, int group);

/* Loads group 0 or 1 (any other number means 0) and applies it through the setters above, in
 * a fixed order. A record holding a value a setter would refuse or an unknown flag (as
 * never-programmed memory does) is refused before anything is applied, with
 * CAMERA_ERROR_PARAMETER_UNREASONABLE; so is a record that cannot be read whole, with the
 * read's error. A setter failing on the device ends the load with its error, and the
 * settings applied before it stay. Resolution and ROI are only stored: read them back with
 * CameraGetParam and apply them. Last errors: CAMERA_ERROR_PARAMETER_UNREASONABLE,
 * CAMERA_ERROR_READ_PIPE, those of CameraReadEEPROMCCM and of each setter. */
bool CameraLoadParameter(int index, int group);

/* Dead-pixel lists: element 0 is the count n (at most 63), then x0, y0, x1, y1, ... in full-
 * sensor coordinates (2n + 1 elements, 16 bits significant each).
 * CameraSaveDeadpixel stores the list and, once all of it is written, repairs those pixels
 * from the next converted frame on. Last errors: CAMERA_ERROR_PARAMETER_UNREASONABLE (list
 * null or n above 63; nothing written), CAMERA_ERROR_WRITE_PIPE.
 * CameraLoadDeadpixel reads the stored list into the repair and into list (which must hold
 * 127 elements); an empty or unprogrammed store writes nothing to list. After a failed read
 * no pixel is repaired. Last errors: CAMERA_ERROR_PARAMETER_UNREASONABLE (list null),
 * CAMERA_ERROR_READ_PIPE. */
bool CameraSaveDeadpixel(int index, const unsigned int* list);
bool CameraLoadDeadpixel(int index, unsigned int* list);

#ifdef __cplusplus
}
#endif

#endif /* VIDSCOPE_CAMERA_API_H */
