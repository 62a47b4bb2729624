// SPDX-License-Identifier: MIT
// One camera's complete set-up as the parameter file holds it, read from and applied to a camera.
#include "CameraParameters.h"

#include <limits>

#include "vidscope/camera_api.h"

bool reportUnless(bool ok, const ApiReport& report, const char* function) {
    if (!ok && report)
        report(QString::fromLatin1(function), CameraGetLastError());
    return ok;
}

namespace {

// Integer and boolean getters signal failure with -1.
int readInt(int value, const ApiReport& report, const char* function) {
    reportUnless(value != -1, report, function);
    return value;
}

double readReal(double value, const ApiReport& report, const char* function) {
    reportUnless(value != -1.0, report, function);
    return value;
}

int readParam(int camera, const char* key, const ApiReport& report) {
    unsigned int value = 0;
    reportUnless(CameraGetParam(camera, key, &value), report, "CameraGetParam");
    return value > unsigned(std::numeric_limits<int>::max()) ? 0 : int(value);
}

// CameraSetParam takes 16 bits; a value that does not fit is stored as 0 rather than as the
// unrelated number its low bits would give.
unsigned short paramValue(int value) {
    return value < 0 || value > std::numeric_limits<unsigned short>::max()
               ? 0
               : static_cast<unsigned short>(value);
}

// The unsigned setters would see a negative value as a huge one; both are out of range, and
// the setter's own refusal (error 2) is what gets reported.
unsigned int asUnsigned(int value) {
    return value < 0 ? std::numeric_limits<unsigned int>::max() : unsigned(value);
}

// Reported as the setter itself would report an out-of-range value.
bool fitsByte(int value, const ApiReport& report, const char* function) {
    const bool fits = value >= 0 && value <= 255;
    if (!fits && report)
        report(QString::fromLatin1(function), CAMERA_ERROR_PARAMETER_UNREASONABLE);
    return fits;
}

}  // namespace

CameraParameters CameraParameters::readFrom(int camera, const ApiReport& report) {
    CameraParameters p;
    p.gamma = readReal(CameraGetGamma(camera), report, "CameraGetGamma");
    p.saturation = readReal(CameraGetSaturation(camera), report, "CameraGetSaturation");
    p.contrast = readReal(CameraGetContrast(camera), report, "CameraGetContrast");
    reportUnless(CameraGetWBGain(camera, &p.wbRed, &p.wbGreen, &p.wbBlue), report,
                 "CameraGetWBGain");
    p.exposure = readInt(CameraGetExposure(camera), report, "CameraGetExposure");
    p.gain = readInt(CameraGetGain(camera), report, "CameraGetGain");
    p.advancedGain = readInt(CameraGetAdvancedGain(camera), report, "CameraGetAdvancedGain");
    p.blackLevel = readInt(CameraGetBlackLevel(camera), report, "CameraGetBlackLevel");
    p.aeTarget = readInt(CameraGetAETarget(camera), report, "CameraGetAETarget");
    p.delay = readInt(CameraGetDelay(camera), report, "CameraGetDelay");
    unsigned int timeout = 0;
    reportUnless(CameraGetTimeout(camera, &timeout), report, "CameraGetTimeout");
    p.timeout = timeout > unsigned(std::numeric_limits<int>::max()) ? 0 : int(timeout);
    p.rotate = readInt(CameraGetRotate(camera), report, "CameraGetRotate");
    p.awb = readInt(CameraGetAWB(camera), report, "CameraGetAWB");
    p.highSpeed = readInt(CameraGetHighspeed(camera), report, "CameraGetHighspeed");
    p.mirrorX = readInt(CameraGetMirrorX(camera), report, "CameraGetMirrorX");
    p.mirrorY = readInt(CameraGetMirrorY(camera), report, "CameraGetMirrorY");
    p.enhancement = readInt(CameraGetEnhancement(camera), report, "CameraGetEnhancement");
    p.aec = readInt(CameraGetAEC(camera), report, "CameraGetAEC");
    p.agc = readInt(CameraGetAGC(camera), report, "CameraGetAGC");
    p.antiFlicker = readInt(CameraGetAntiFlicker(camera), report, "CameraGetAntiFlicker");
    p.interpolation = readInt(CameraGetInterpolation(camera), report, "CameraGetInterpolation");
    p.resolutionMode = readInt(CameraGetResolutionMode(camera), report, "CameraGetResolutionMode");
    reportUnless(CameraGetCCM(camera, p.ccm.data()), report, "CameraGetCCM");
    p.imageFormat = readParam(camera, "image_format", report);
    p.resolutionIndex = readParam(camera, "resolution_index", report);
    p.enableRoi = readParam(camera, "enable_roi", report);
    p.roiOffsetX = readParam(camera, "roi_offset_x", report);
    p.roiOffsetY = readParam(camera, "roi_offset_y", report);
    p.roiWidth = readParam(camera, "roi_width", report);
    p.roiHeight = readParam(camera, "roi_height", report);
    return p;
}

void CameraParameters::storeParams(int camera, const ApiReport& report) const {
    const std::pair<const char*, int> params[] = {
        {"image_format", imageFormat}, {"resolution_index", resolutionIndex},
        {"enable_roi", enableRoi},     {"roi_offset_x", roiOffsetX},
        {"roi_offset_y", roiOffsetY},  {"roi_width", roiWidth},
        {"roi_height", roiHeight},
    };
    for (const auto& [key, value] : params)
        reportUnless(CameraSetParam(camera, key, paramValue(value)), report, "CameraSetParam");
}

void CameraParameters::applyTo(int camera, const ApiReport& report) const {
    reportUnless(CameraSetGamma(camera, gamma), report, "CameraSetGamma");
    reportUnless(CameraSetSaturation(camera, saturation), report, "CameraSetSaturation");
    reportUnless(CameraSetContrast(camera, contrast), report, "CameraSetContrast");
    reportUnless(CameraSetExposure(camera, exposure), report, "CameraSetExposure");
    reportUnless(CameraSetGain(camera, gain), report, "CameraSetGain");
    reportUnless(CameraSetAdvancedGain(camera, asUnsigned(advancedGain)), report,
                 "CameraSetAdvancedGain");
    reportUnless(CameraSetWBGain(camera, wbRed, wbGreen, wbBlue), report, "CameraSetWBGain");
    reportUnless(CameraSetBlackLevel(camera, asUnsigned(blackLevel)), report,
                 "CameraSetBlackLevel");
    reportUnless(CameraSetAETarget(camera, asUnsigned(aeTarget)), report, "CameraSetAETarget");
    reportUnless(CameraSetDelay(camera, delay), report, "CameraSetDelay");
    reportUnless(CameraSetTimeout(camera, timeout), report, "CameraSetTimeout");
    reportUnless(CameraSetRotate(camera, rotate > 0), report, "CameraSetRotate");
    reportUnless(CameraSetAWB(camera, awb > 0), report, "CameraSetAWB");
    reportUnless(CameraSetHighspeed(camera, highSpeed > 0), report, "CameraSetHighspeed");
    reportUnless(CameraSetMirrorX(camera, mirrorX > 0), report, "CameraSetMirrorX");
    reportUnless(CameraSetMirrorY(camera, mirrorY > 0), report, "CameraSetMirrorY");
    reportUnless(CameraSetEnhancement(camera, enhancement > 0), report, "CameraSetEnhancement");
    reportUnless(CameraSetAEC(camera, aec > 0), report, "CameraSetAEC");
    reportUnless(CameraSetAGC(camera, agc > 0), report, "CameraSetAGC");
    reportUnless(CameraSetAntiFlicker(camera, asUnsigned(antiFlicker)), report,
                 "CameraSetAntiFlicker");
    // The interpolation and resolution mode are byte-wide: a larger value is out of range and
    // must not reach the setter as its low byte.
    if (fitsByte(interpolation, report, "CameraSetInterpolation"))
        reportUnless(CameraSetInterpolation(camera, static_cast<unsigned char>(interpolation)),
                     report, "CameraSetInterpolation");
    if (fitsByte(resolutionMode, report, "CameraSetResolutionMode"))
        reportUnless(CameraSetResolutionMode(camera, static_cast<unsigned char>(resolutionMode)),
                     report, "CameraSetResolutionMode");
    reportUnless(CameraSetCCM(camera, ccm.data()), report, "CameraSetCCM");
}
