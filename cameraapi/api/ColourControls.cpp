// SPDX-License-Identifier: MIT
// Public colour functions: gamma, contrast, saturation, white balance, colour matrix.
#include <algorithm>
#include <array>

#include "cameraapi/api/ApiCall.h"
#include "cameraapi/api/ControlCallSupport.h"
#include "cameraapi/device/TonedSensor.h"
#include "vidscope/camera_api.h"

using namespace vidscope::api;

namespace {

constexpr double kMinTone = 0.3;
constexpr double kMaxTone = 2.0;
constexpr double kMaxSaturation = 2.0;
constexpr double kMaxWhiteGain = 3.0;
// Far beyond any colour correction, and far inside what the 32-bit colour tables can hold:
// a byte times a coefficient, mixed with saturation and three such terms added up.
constexpr double kMaxMatrixCoefficient = 1.0e5;

// Written so that a NaN, which compares false with everything, is out of range too.
bool within(double value, double low, double high) {
    return value >= low && value <= high;
}

uint16_t withFlag(uint16_t flags, uint16_t flag, bool on) {
    return static_cast<uint16_t>(on ? flags | flag : flags & ~flag);
}

// The tables are already in force when the sensor is told; a failed write leaves them so.
bool writeTone(CameraContext& context, std::span<const RegisterWrite> writes) {
    if (!TonedSensor::applies(sensorCodeOf(context)))
        return true;
    return finish(TonedSensor::write(context, writes));
}

}  // namespace

extern "C" bool CameraSetGamma(int index, double gamma) {
    ApiCall call(index, LockMode::Shared);
    if (!call)
        return false;
    if (!within(gamma, kMinTone, kMaxTone))
        return ApiCall::fail(CAMERA_ERROR_PARAMETER_UNREASONABLE);
    CameraContext& context = call.context();
    context.pipeline.update([gamma](ImageSettings& s) { s.gamma = gamma; });
    const auto curve = TonedSensor::gammaCurve(IspTables::gammaTable(gamma));
    return writeTone(context, curve);
}

extern "C" double CameraGetGamma(int index) {
    return readSetting(index, -1.0, [](const ImageSettings& s) { return s.gamma; });
}

extern "C" bool CameraSetContrast(int index, double contrast) {
    ApiCall call(index, LockMode::Shared);
    if (!call)
        return false;
    if (!within(contrast, kMinTone, kMaxTone))
        return ApiCall::fail(CAMERA_ERROR_PARAMETER_UNREASONABLE);
    CameraContext& context = call.context();
    context.pipeline.update([contrast](ImageSettings& s) { s.contrast = contrast; });
    const RegisterWrite step = TonedSensor::contrast(contrast);
    return writeTone(context, {&step, 1});
}

extern "C" double CameraGetContrast(int index) {
    return readSetting(index, -1.0, [](const ImageSettings& s) { return s.contrast; });
}

extern "C" bool CameraSetSaturation(int index, double saturation) {
    ApiCall call(index, LockMode::Shared);
    if (!call)
        return false;
    if (!within(saturation, 0.0, kMaxSaturation))
        return ApiCall::fail(CAMERA_ERROR_PARAMETER_UNREASONABLE);
    CameraContext& context = call.context();
    context.pipeline.updateColour([saturation](ImageSettings& s) { s.saturation = saturation; });
    const RegisterWrite code = TonedSensor::saturation(saturation);
    return writeTone(context, {&code, 1});
}

extern "C" double CameraGetSaturation(int index) {
    return readSetting(index, -1.0, [](const ImageSettings& s) { return s.saturation; });
}

extern "C" bool CameraSetWBGain(int index, double red, double green, double blue) {
    ApiCall call(index, LockMode::Shared);
    if (!call)
        return false;
    for (double gain : {red, green, blue}) {
        if (!within(gain, 0.0, kMaxWhiteGain))
            return ApiCall::fail(CAMERA_ERROR_PARAMETER_UNREASONABLE);
    }
    call.context().pipeline.update([&](ImageSettings& s) {
        s.wbGainR = red;
        s.wbGainG = green;
        s.wbGainB = blue;
    });
    return true;
}

extern "C" bool CameraGetWBGain(int index, double* red, double* green, double* blue) {
    ApiCall call(index, LockMode::Shared);
    if (!call)
        return false;
    call.context().pipeline.read([&](const ImageSettings& s) {
        if (red != nullptr)
            *red = s.wbGainR;
        if (green != nullptr)
            *green = s.wbGainG;
        if (blue != nullptr)
            *blue = s.wbGainB;
    });
    return true;
}

extern "C" bool CameraSetAWB(int index, bool on) {
    ApiCall call(index, LockMode::Shared);
    if (!call)
        return false;
    call.context().pipeline.modify([on](ImageSettings& s) {
        s.flags = withFlag(s.flags, kFlagAutoWhiteBalance, on);
        // Switching on estimates at once rather than waiting for the brightness to move.
        if (on)
            s.awbPending = 1;
    });
    return true;
}

extern "C" int CameraGetAWB(int index) {
    return readSetting(index, -1, [](const ImageSettings& s) {
        return (s.flags & kFlagAutoWhiteBalance) != 0 ? 1 : 0;
    });
}

extern "C" bool CameraOnePushWB(int index) {
    ApiCall call(index, LockMode::Shared);
    if (!call)
        return false;
    call.context().pipeline.modify([](ImageSettings& s) { s.onePushPending = 1; });
    return true;
}

extern "C" bool CameraSetCCM(int index, const double* matrix) {
    ApiCall call(index, LockMode::Shared);
    if (!call)
        return false;
    if (matrix == nullptr)
        return ApiCall::fail(CAMERA_ERROR_PARAMETER_UNREASONABLE);
    // The matrix may come from a parameter file or a typed edit: a coefficient that is not a
    // number, or too large to table, would make the next table build meaningless.
    for (size_t k = 0; k < 9; ++k) {
        if (!within(matrix[k], -kMaxMatrixCoefficient, kMaxMatrixCoefficient))
            return ApiCall::fail(CAMERA_ERROR_PARAMETER_UNREASONABLE);
    }
    // Only stored: the picture changes when saturation or enhancement is set next, so that a
    // matrix can be loaded without a visible jump before the user asks for it.
    call.context().pipeline.modify(
        [matrix](ImageSettings& s) { std::copy(matrix, matrix + s.ccm.size(), s.ccm.begin()); });
    return true;
}

extern "C" bool CameraGetCCM(int index, double* matrix) {
    ApiCall call(index, LockMode::Shared);
    if (!call)
        return false;
    if (matrix == nullptr)
        return ApiCall::fail(CAMERA_ERROR_PARAMETER_UNREASONABLE);
    call.context().pipeline.read(
        [matrix](const ImageSettings& s) { std::copy(s.ccm.begin(), s.ccm.end(), matrix); });
    return true;
}

extern "C" bool CameraSetEnhancement(int index, bool on) {
    ApiCall call(index, LockMode::Shared);
    if (!call)
        return false;
    call.context().pipeline.updateColour(
        [on](ImageSettings& s) { s.flags = withFlag(s.flags, kFlagEnhancement, on); });
    return true;
}

extern "C" int CameraGetEnhancement(int index) {
    return readSetting(index, -1, [](const ImageSettings& s) {
        return (s.flags & kFlagEnhancement) != 0 ? 1 : 0;
    });
}

extern "C" bool CameraSetInterpolation(int index, unsigned char value) {
    ApiCall call(index, LockMode::Shared);
    if (!call)
        return false;
    call.context().pipeline.modify([value](ImageSettings& s) { s.interpolation = value; });
    return true;
}

extern "C" int CameraGetInterpolation(int index) {
    return readSetting(index, -1, [](const ImageSettings& s) { return int{s.interpolation}; });
}
