// SPDX-License-Identifier: MIT
// Public functions that save and load parameter groups and the dead-pixel list.
#include <array>

#include "cameraapi/api/ApiCall.h"
#include "cameraapi/api/ControlCallSupport.h"
#include "cameraapi/device/DeadPixelStore.h"
#include "cameraapi/device/EepromBlock.h"
#include "cameraapi/device/ParameterGroups.h"
#include "vidscope/camera_api.h"

using namespace vidscope::api;

namespace {

// The settings that only ride along with the group: the application reads them back and
// applies resolution and ROI itself. The flags word also brings the switches no setter below
// touches (rotation, automatic white balance, anti-flicker).
void copyStoredFields(CameraContext& context, const StoredParameters& p,
                      const ControlChannel::Matrix& matrix) {
    context.pipeline.update([&](ImageSettings& s) {
        s.ccm = matrix;
        s.storedImageFormat = p.storedImageFormat;
        s.resolutionIndex = p.resolutionIndex;
        s.roiEnabled = p.roiEnabled;
        s.roiX = p.roiX;
        s.roiY = p.roiY;
        s.roiWidth = p.roiWidth;
        s.roiHeight = p.roiHeight;
        s.flags = p.flags;
    });
}

bool has(uint16_t flags, uint16_t flag) {
    return (flags & flag) != 0;
}

// Through the ordinary setters, so that a value a setter refuses ends the load with its
// error; what was applied before stays applied.
bool applyThroughSetters(int index, const StoredParameters& p) {
    return CameraSetContrast(index, p.contrast) && CameraSetGamma(index, p.gamma) &&
           CameraSetExposure(index, p.exposure) && CameraSetGain(index, p.gain) &&
           CameraSetDelay(index, p.frameDelay) && CameraSetTimeout(index, p.timeoutMs) &&
           CameraSetAEC(index, has(p.flags, kFlagAutoExposure)) &&
           CameraSetAGC(index, has(p.flags, kFlagAutoGain)) &&
           CameraSetMirrorX(index, has(p.flags, kFlagMirrorX)) &&
           CameraSetMirrorY(index, has(p.flags, kFlagMirrorY)) &&
           CameraSetHighspeed(index, has(p.flags, kFlagHighSpeed)) &&
           CameraSetWBGain(index, p.wbGainR, p.wbGainG, p.wbGainB) &&
           CameraSetBlackLevel(index, static_cast<unsigned int>(p.blackLevel)) &&
           CameraSetAETarget(index, static_cast<unsigned int>(p.aeTarget)) &&
           CameraSetSaturation(index, p.saturation) &&
           CameraSetEnhancement(index, has(p.flags, kFlagEnhancement)) &&
           CameraSetInterpolation(index, p.interpolation) &&
           CameraSetResolutionMode(index, p.resolutionMode) &&
           CameraSetAdvancedGain(index, p.advancedGain);
}

}  // namespace

extern "C" bool CameraSaveParameter(int index, int group) {
    ApiCall call(index, LockMode::Shared, Needs::Device);
    if (!call)
        return false;
    CameraContext& context = call.context();
    const ImageSettings settings = context.pipeline.read([](const ImageSettings& s) { return s; });
    const ParameterGroups::Record record = ParameterGroups::encode(settings);
    const BlockResult written =
        EepromBlock::write(context, ParameterGroups::address(group), record);
    if (!written.ok())
        return ApiCall::fail(written.error);
    return CameraWriteEEPROMCCM(index, settings.ccm.data());
}

extern "C" bool CameraLoadParameter(int index, int group) {
    ApiCall call(index, LockMode::Shared, Needs::Device);
    if (!call)
        return false;
    CameraContext& context = call.context();
    ParameterGroups::Record record{};
    const BlockResult read = EepromBlock::read(context, ParameterGroups::address(group), record);
    // A half-read record would mix stored values with defaults; nothing of it is applied.
    if (!read.ok())
        return ApiCall::fail(read.error);
    const StoredParameters stored = ParameterGroups::decode(record);
    // A group never saved, or garbled, is refused whole: applied up to its first bad value
    // it would leave the camera with a stray mix of switches.
    if (!ParameterGroups::plausible(stored))
        return ApiCall::fail(CAMERA_ERROR_PARAMETER_UNREASONABLE);
    ControlChannel::Matrix matrix{};
    if (!CameraReadEEPROMCCM(index, matrix.data()))
        return false;
    copyStoredFields(context, stored, matrix);
    return applyThroughSetters(index, stored);
}

extern "C" bool CameraSaveDeadpixel(int index, const unsigned int* list) {
    ApiCall call(index, LockMode::Shared, Needs::Device);
    if (!call)
        return false;
    // The store has room for kMaxDeadPixels; a longer list is refused whole rather than cut,
    // so that no pixel the user marked is silently dropped.
    if (list == nullptr || list[0] > static_cast<unsigned int>(kMaxDeadPixels))
        return ApiCall::fail(CAMERA_ERROR_PARAMETER_UNREASONABLE);
    return finishCode(DeadPixelStore::save(call.context(), list));
}

extern "C" bool CameraLoadDeadpixel(int index, unsigned int* list) {
    ApiCall call(index, LockMode::Shared, Needs::Device);
    if (!call)
        return false;
    if (list == nullptr)
        return ApiCall::fail(CAMERA_ERROR_PARAMETER_UNREASONABLE);
    return finishCode(DeadPixelStore::load(call.context(), list));
}
