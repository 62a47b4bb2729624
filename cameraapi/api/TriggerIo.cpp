// SPDX-License-Identifier: MIT
// Public trigger, strobe and GPIO functions: snap mode, trigger shot, strobe and its polarity.
#include <mutex>

#include "cameraapi/api/ApiCall.h"
#include "cameraapi/device/ControlChannel.h"
#include "cameraapi/device/TransferRing.h"
#include "cameraapi/device/VendorRequest.h"
#include "cameraapi/model/ModelTable.h"
#include "cameraapi/model/SensorFamily.h"
#include "vidscope/camera_api.h"

using vidscope::api::ApiCall;
using vidscope::api::CameraContext;
using vidscope::api::ControlChannel;
using vidscope::api::ControlResult;
using vidscope::api::LockMode;
using vidscope::api::ModelTable;
using vidscope::api::Needs;
using vidscope::api::RegisterBits;
using vidscope::api::SensorFamily;
using vidscope::api::TransferRing;
using vidscope::api::VendorRequest;

namespace {

constexpr int kTriggerMode = 2;
constexpr uint16_t kTriggerBit = 0x08;

// The sensor code of the camera's model; 0 (no family) for a model outside the table.
uint16_t sensorCode(const CameraContext& context) {
    const auto* row = ModelTable::row(context.modelIndex);
    return row != nullptr ? row->sensorCode : 0;
}

ControlResult writeRegister(CameraContext& context, uint16_t address, uint16_t value) {
    return ControlChannel::writeRegister(context, address, value);
}

// Leaving trigger mode on the families that keep it in one register bit: nothing is written
// when the bit is already clear.
ControlResult clearTriggerBit(CameraContext& context, uint16_t address, uint16_t bit,
                              bool restartReadout) {
    std::lock_guard guard(context.controlMutex);
    const ControlResult read = ControlChannel::readRegister(context, address);
    if (!read.ok() || (read.value & bit) == 0)
        return read;
    const ControlResult written =
        writeRegister(context, address, static_cast<uint16_t>(read.value & ~bit));
    if (!written.ok() || !restartReadout)
        return written;
    return writeRegister(context, 0x0B, 1);
}

ControlResult bitTrigger(CameraContext& context, uint16_t address, uint16_t bit, bool trigger,
                         bool restartReadout = false) {
    if (trigger)
        return ControlChannel::updateRegister(context, address, bit, 0);
    return clearTriggerBit(context, address, bit, restartReadout);
}

// The large sensors stop streaming for trigger mode and are told the mode by a request of
// their own. The register write's outcome does not matter: the request decides the mode.
ControlResult streamBitTrigger(CameraContext& context, bool trigger) {
    constexpr uint16_t kResetRegister = 0x301A;
    constexpr uint16_t kStreamBit = 0x0004;
    std::lock_guard guard(context.controlMutex);
    const ControlResult read = ControlChannel::readRegister(context, kResetRegister);
    const uint16_t before = read.ok() ? read.value : 0;
    const auto word = static_cast<uint16_t>(trigger ? before & ~kStreamBit : before | kStreamBit);
    writeRegister(context, kResetRegister, word);
    const ControlResult mode = ControlChannel::request(
        context.device.get(), VendorRequest::kTriggerMode, trigger ? 1 : 0, 0);
    if (!mode.ok())
        return ControlResult::failed(CAMERA_ERROR_READ_PIPE);
    return read;
}

ControlResult applySnapMode(CameraContext& context, SensorFamily::Trigger family, bool trigger) {
    using Trigger = SensorFamily::Trigger;
    switch (family) {
        case Trigger::Mode1ERestart:
            return bitTrigger(context, 0x1E, 0x100, trigger, true);
        case Trigger::Mode1EPlain:
            return bitTrigger(context, 0x1E, 0x100, trigger);
        case Trigger::Mode07:
            return bitTrigger(context, 0x07, 0x10, trigger);
        case Trigger::StreamBit:
            return streamBitTrigger(context, trigger);
        case Trigger::ResetWord:
            return writeRegister(context, 0x301A, trigger ? 0x01D8 : 0x01DC);
        case Trigger::Control0B:
            return writeRegister(context, 0x0B, trigger ? 0x0104 : 0x0006);
        case Trigger::None:
            break;
    }
    return ControlResult::failed(CAMERA_ERROR_NOT_SUPPORTED);
}

ControlResult switchBits(CameraContext& context, const RegisterBits& rule, bool on) {
    const bool set = on == rule.onSets;
    return ControlChannel::updateRegister(context, rule.address, set ? rule.bits : 0,
                                          set ? 0 : rule.bits);
}

bool finish(const ControlResult& result) {
    return result.ok() || ApiCall::fail(result.error);
}

int finishByte(const ControlResult& result) {
    return result.ok() ? static_cast<int>(result.value & 0xFF) : ApiCall::failNumber(result.error);
}

}  // namespace

extern "C" int CameraGetGPIO(int index) {
    ApiCall call(index, LockMode::Shared, Needs::ControlEndpoint);
    if (!call)
        return -1;
    return finishByte(
        ControlChannel::request(call.context().device.get(), VendorRequest::kGetGpio, 0, 0));
}

extern "C" int CameraSetGPIO(int index, unsigned short mask, unsigned short value) {
    ApiCall call(index, LockMode::Shared, Needs::ControlEndpoint);
    if (!call)
        return -1;
    return finishByte(
        ControlChannel::request(call.context().device.get(), VendorRequest::kSetGpio, value, mask));
}

extern "C" int CameraGetSnapMode(int index) {
    ApiCall call(index, LockMode::Shared);
    if (!call)
        return -1;
    return call.context().snapMode.load();
}

extern "C" bool CameraSetSnapMode(int index, int mode) {
    ApiCall call(index, LockMode::Shared);
    if (!call)
        return false;
    CameraContext& context = call.context();
    const SensorFamily::Trigger family = SensorFamily::trigger(sensorCode(context));
    if (family == SensorFamily::Trigger::None)
        return ApiCall::fail(CAMERA_ERROR_NOT_SUPPORTED);
    // The mode is taken even when the camera then refuses it: the frame query must treat the
    // stream as possibly triggered from here on.
    context.snapMode = mode;
    const bool trigger = mode == kTriggerMode;
    if (!finish(applySnapMode(context, family, trigger)))
        return false;
    // Frames that completed before the switch belong to the free-running stream: throw them
    // away so that the first frame a triggered query sees is a triggered one. A full ring is
    // bufferCount transfers, and the camera may complete more while the first ones are
    // re-queued (the tail of the frame it was sending when the switch arrived); the bound only
    // stops the drain should a faulty camera never stop streaming.
    constexpr int kDrainRingsAtMost = 4;
    if (trigger && context.bufferCount > 0)
        TransferRing::drain(context, context.bufferCount * kDrainRingsAtMost);
    return true;
}

// The shot is fired through the GPIO trigger bit; its reply does not matter, as the camera
// answers the frame itself.
extern "C" bool CameraTriggerShot(int index) {
    ApiCall call(index, LockMode::Shared);
    if (!call)
        return false;
    CameraContext& context = call.context();
    if (!SensorFamily::takesTriggerShot(sensorCode(context)))
        return ApiCall::fail(CAMERA_ERROR_NOT_SUPPORTED);
    ControlChannel::request(context.device.get(), VendorRequest::kSetGpio, kTriggerBit,
                            kTriggerBit);
    return true;
}

extern "C" bool CameraSetTriggerPolarity(int /*index*/, int /*polarity*/) {
    return true;
}

extern "C" bool CameraEnableStrobe(int index, bool enable) {
    ApiCall call(index, LockMode::Shared);
    if (!call)
        return false;
    CameraContext& context = call.context();
    const uint16_t code = sensorCode(context);
    if (SensorFamily::hasFixedStrobeWord(code)) {
        const bool triggered = context.snapMode.load() == kTriggerMode;
        return finish(writeRegister(context, SensorFamily::kFixedStrobeRegister,
                                    triggered ? SensorFamily::kFixedStrobeTriggered
                                              : SensorFamily::kFixedStrobeContinuous));
    }
    const auto rule = SensorFamily::strobe(code);
    if (!rule)
        return ApiCall::fail(CAMERA_ERROR_NOT_SUPPORTED);
    return finish(switchBits(context, *rule, enable));
}

extern "C" bool CameraSetStrobePolarity(int index, bool invert) {
    ApiCall call(index, LockMode::Shared);
    if (!call)
        return false;
    const auto rule = SensorFamily::strobePolarity(sensorCode(call.context()));
    if (!rule)
        return ApiCall::fail(CAMERA_ERROR_NOT_SUPPORTED);
    return finish(switchBits(call.context(), *rule, invert));
}
