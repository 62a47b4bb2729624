// SPDX-License-Identifier: MIT
// Public exposure and gain functions: sensor writes, loop switches, frame delay and timing.
#include <algorithm>
#include <cmath>

#include "cameraapi/api/ApiCall.h"
#include "cameraapi/api/ControlCallSupport.h"
#include "cameraapi/device/ExposureTiming.h"
#include "cameraapi/device/TonedSensor.h"
#include "cameraapi/device/VendorRequest.h"
#include "usb/UsbDevice.h"
#include "vidscope/camera_api.h"

using namespace vidscope::api;

namespace {

constexpr int32_t kMaxGain = 255;
constexpr uint32_t kMaxByteSetting = 255;
constexpr int32_t kMinTimeoutMs = 500;
constexpr int32_t kMaxTimeoutMs = 50000;
constexpr uint16_t kAdvancedGainRegister = 0x30B0;
constexpr uint16_t kAdvancedGainBits = 0x0030;
constexpr uint16_t kSensorExposureLoopRegister = 0xAF;
constexpr uint16_t kAntiFlickerBits = kFlagAntiFlicker50Hz | kFlagAntiFlicker60Hz;

bool hasAdvancedGain(uint16_t sensorCode) {
    return sensorCode == 0x0120 || sensorCode == 0x012B;
}

bool runsOwnExposureLoop(uint16_t sensorCode) {
    return sensorCode == 0x0030 || sensorCode == 0x003B;
}

uint16_t withFlag(uint16_t flags, uint16_t flag, bool on) {
    return static_cast<uint16_t>(on ? flags | flag : flags & ~flag);
}

int getFlag(int index, uint16_t flag) {
    return readSetting(index, -1,
                       [flag](const ImageSettings& s) { return (s.flags & flag) != 0 ? 1 : 0; });
}

// Stores the frame delay, writes the family's blanking registers and updates the line
// timing; the caller has checked the device.
int applyDelay(CameraContext& context, int32_t delay) {
    const ModelRow* row = ModelTable::row(context.modelIndex);
    if (row == nullptr)
        return 0;
    const bool superSpeed = context.device != nullptr && context.device->superSpeed();
    const BlankingPlan plan =
        ExposureTiming::blanking(row->sensorCode, row->deviceCode, std::max(delay, 0),
                                 context.width, context.height, superSpeed);
    context.pipeline.modify([&plan](ImageSettings& s) { s.frameDelay = plan.delay; });
    for (const RegisterWrite& w : plan.writes) {
        const ControlResult result = ControlChannel::writeRegister(context, w.address, w.value);
        if (!result.ok())
            return result.error;
    }
    return ExposureTiming::update(context);
}

}  // namespace

extern "C" bool CameraSetExposure(int index, int lines) {
    ApiCall call(index, LockMode::Shared);
    if (!call)
        return false;
    if (lines < 1)
        return ApiCall::fail(CAMERA_ERROR_PARAMETER_UNREASONABLE);
    CameraContext& context = call.context();
    context.pipeline.modify([lines](ImageSettings& s) { s.exposure = lines; });
    return finish(writeIfAny(context, ExposureRegisters::exposure(sensorCodeOf(context), lines)));
}

extern "C" int CameraGetExposure(int index) {
    return readSetting(index, -1, [](const ImageSettings& s) { return s.exposure; });
}

extern "C" double CameraGetExposureTime(int index) {
    ApiCall call(index, LockMode::Shared);
    if (!call)
        return -1.0;
    CameraContext& context = call.context();
    const int32_t lines = context.pipeline.read([](const ImageSettings& s) { return s.exposure; });
    return lines * context.lineTime.load();
}

extern "C" bool CameraSetGain(int index, int gain) {
    ApiCall call(index, LockMode::Shared);
    if (!call)
        return false;
    if (gain < 1 || gain > kMaxGain)
        return ApiCall::fail(CAMERA_ERROR_PARAMETER_UNREASONABLE);
    CameraContext& context = call.context();
    context.pipeline.modify([gain](ImageSettings& s) { s.gain = gain; });
    return finish(writeIfAny(context, ExposureRegisters::gain(sensorCodeOf(context), gain)));
}

extern "C" int CameraGetGain(int index) {
    return readSetting(index, -1, [](const ImageSettings& s) { return s.gain; });
}

extern "C" bool CameraSetAdvancedGain(int index, unsigned int value) {
    ApiCall call(index, LockMode::Shared);
    if (!call)
        return false;
    if (value > kMaxByteSetting)
        return ApiCall::fail(CAMERA_ERROR_PARAMETER_UNREASONABLE);
    CameraContext& context = call.context();
    context.pipeline.modify([value](ImageSettings& s) { s.advancedGain = value; });
    if (!hasAdvancedGain(sensorCodeOf(context)))
        return true;
    // Values 1 to 3 select a doubling, quadrupling or eightfold digital stage.
    const uint16_t bits = value >= 1 && value <= 3 ? static_cast<uint16_t>(value << 4) : 0;
    return finish(ControlChannel::updateRegister(context, kAdvancedGainRegister, bits,
                                                 kAdvancedGainBits & ~bits));
}

extern "C" int CameraGetAdvancedGain(int index) {
    return readSetting(
        index, -1, [](const ImageSettings& s) { return static_cast<int>(s.advancedGain & 0xFF); });
}

extern "C" bool CameraSetBlackLevel(int index, unsigned int level) {
    ApiCall call(index, LockMode::Shared);
    if (!call)
        return false;
    if (level > kMaxByteSetting)
        return ApiCall::fail(CAMERA_ERROR_PARAMETER_UNREASONABLE);
    CameraContext& context = call.context();
    const auto black = static_cast<int32_t>(level);
    context.pipeline.update([black](ImageSettings& s) { s.blackLevel = black; });
    if (!TonedSensor::applies(sensorCodeOf(context)))
        return true;
    const RegisterWrite write = TonedSensor::blackLevel(black);
    return finish(TonedSensor::write(context, {&write, 1}));
}

extern "C" int CameraGetBlackLevel(int index) {
    return readSetting(index, -1, [](const ImageSettings& s) { return s.blackLevel; });
}

extern "C" bool CameraSetAETarget(int index, unsigned int target) {
    ApiCall call(index, LockMode::Shared);
    if (!call)
        return false;
    if (target > kMaxByteSetting)
        return ApiCall::fail(CAMERA_ERROR_PARAMETER_UNREASONABLE);
    call.context().pipeline.modify(
        [target](ImageSettings& s) { s.aeTarget = s.blackLevel + static_cast<int32_t>(target); });
    return true;
}

extern "C" int CameraGetAETarget(int index) {
    return readSetting(
        index, -1, [](const ImageSettings& s) { return std::max(s.aeTarget - s.blackLevel, 0); });
}

extern "C" int CameraGetBrightness(int index) {
    return readSetting(index, -1, [](const ImageSettings& s) {
        return std::max(s.meanBrightness - s.blackLevel, 0);
    });
}

extern "C" bool CameraSetAEC(int index, bool on) {
    ApiCall call(index, LockMode::Shared);
    if (!call)
        return false;
    CameraContext& context = call.context();
    // Re-phases the every-fourth-frame loop so that its first step comes two frames from now.
    uint32_t count = context.frameCount.load();
    while (!context.frameCount.compare_exchange_weak(count, count / 4 + 2)) {
    }
    context.pipeline.modify(
        [on](ImageSettings& s) { s.flags = withFlag(s.flags, kFlagAutoExposure, on); });
    return true;
}

extern "C" int CameraGetAEC(int index) {
    return getFlag(index, kFlagAutoExposure);
}

extern "C" bool CameraSetAGC(int index, bool on) {
    ApiCall call(index, LockMode::Shared);
    if (!call)
        return false;
    CameraContext& context = call.context();
    // These sensors power up running their own loop, which would fight ours or the user's
    // gain. Whether the sensor took it shows in the picture, not in the result.
    if (runsOwnExposureLoop(sensorCodeOf(context)))
        ControlChannel::writeRegister(context, kSensorExposureLoopRegister, 0);
    context.pipeline.modify(
        [on](ImageSettings& s) { s.flags = withFlag(s.flags, kFlagAutoGain, on); });
    return true;
}

extern "C" int CameraGetAGC(int index) {
    return getFlag(index, kFlagAutoGain);
}

extern "C" bool CameraSetAntiFlicker(int index, unsigned int mode) {
    ApiCall call(index, LockMode::Shared);
    if (!call)
        return false;
    call.context().pipeline.modify([mode](ImageSettings& s) {
        uint16_t flags = s.flags & ~kAntiFlickerBits;
        if (mode == 1)
            flags |= kFlagAntiFlicker50Hz;
        else if (mode == 2)
            flags |= kFlagAntiFlicker60Hz;
        s.flags = flags;
    });
    return true;
}

extern "C" int CameraGetAntiFlicker(int index) {
    return readSetting(index, -1, [](const ImageSettings& s) {
        if ((s.flags & kFlagAntiFlicker50Hz) != 0)
            return 1;
        return (s.flags & kFlagAntiFlicker60Hz) != 0 ? 2 : 0;
    });
}

extern "C" bool CameraSetHighspeed(int index, bool on) {
    ApiCall call(index, LockMode::Shared, Needs::Device);
    if (!call)
        return false;
    CameraContext& context = call.context();
    vidscope::usb::ControlEndpoint* control = context.device->controlEndPoint();
    if (control == nullptr)
        return ApiCall::fail(CAMERA_ERROR_CONTROL_PIPE);
    if (!VendorRequest::in(*control, VendorRequest::kHighSpeedReadout, on ? 1 : 0, 0).ok)
        return ApiCall::fail(CAMERA_ERROR_READ_PIPE);
    context.pipeline.modify(
        [on](ImageSettings& s) { s.flags = withFlag(s.flags, kFlagHighSpeed, on); });
    return finishCode(ExposureTiming::update(context));
}

extern "C" int CameraGetHighspeed(int index) {
    return getFlag(index, kFlagHighSpeed);
}

extern "C" bool CameraSetDelay(int index, int delay) {
    ApiCall call(index, LockMode::Shared, Needs::Device);
    if (!call)
        return false;
    return finishCode(applyDelay(call.context(), delay));
}

extern "C" int CameraGetDelay(int index) {
    ApiCall call(index, LockMode::Shared, Needs::Device);
    if (!call)
        return -1;
    return call.context().pipeline.read([](const ImageSettings& s) { return s.frameDelay; });
}

extern "C" bool CameraSetTimeout(int index, int ms) {
    ApiCall call(index, LockMode::Shared);
    if (!call)
        return false;
    const int32_t clamped = std::clamp(ms, kMinTimeoutMs, kMaxTimeoutMs);
    call.context().pipeline.modify([clamped](ImageSettings& s) { s.timeoutMs = clamped; });
    return true;
}

extern "C" bool CameraGetTimeout(int index, unsigned int* ms) {
    ApiCall call(index, LockMode::Shared);
    if (!call)
        return false;
    if (ms == nullptr)
        return ApiCall::fail(CAMERA_ERROR_PARAMETER_UNREASONABLE);
    *ms = static_cast<unsigned int>(
        call.context().pipeline.read([](const ImageSettings& s) { return s.timeoutMs; }));
    return true;
}
