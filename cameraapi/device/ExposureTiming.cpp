// SPDX-License-Identifier: MIT
// Frame blanking per sensor family and the line timing that exposure and anti-flicker use.
#include "cameraapi/device/ExposureTiming.h"

#include <algorithm>
#include <initializer_list>

#include "cameraapi/device/CameraContext.h"
#include "cameraapi/device/ControlChannel.h"
#include "cameraapi/model/ModelTable.h"
#include "usb/UsbDevice.h"

namespace vidscope::api {
namespace {

bool isOneOf(uint16_t code, std::initializer_list<uint16_t> codes) {
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

RegisterWrite write(uint16_t address, int64_t value) {
    return RegisterWrite{address, static_cast<uint16_t>(value)};
}

// The blanking registers of these sensors are ten bits wide.
constexpr int32_t kNarrowBlankingLimit = 1023;
constexpr int32_t kNarrowBlankingFallback = 978;
constexpr uint16_t kUsbThreeBits = 0x3000;

}  // namespace

BlankingPlan ExposureTiming::blanking(uint16_t sensorCode, uint16_t deviceCode, int32_t delay,
                                      uint32_t width, uint32_t height, bool superSpeed) {
    BlankingPlan plan;
    const int64_t d = delay;
    const int64_t w = width;
    const int64_t h = height;
    if (isOneOf(sensorCode, {0x0030, 0x003B})) {
        plan.writes = {write(0x06, d + 45)};
    } else if (isOneOf(sensorCode, {0x0130, 0x013B, 0x0300, 0x0500, 0x050B})) {
        if (d + 45 > kNarrowBlankingLimit)
            delay = kNarrowBlankingFallback;
        plan.writes = {write(0x05, (delay + 45) & 0x3FF), write(0x06, (delay + 35) & 0x3FF)};
    } else if (isOneOf(sensorCode, {0x0A00, 0x0A0B})) {
        plan.writes = {write(0x300A, h + d + 143),
                       write(0x300C, std::max<int64_t>(2 * w + 111, 1648) + 2 * d)};
    } else if (sensorCode == 0x0E00) {
        plan.writes = {write(0x300A, h + d + 146), write(0x300C, w + d + 312)};
    } else if (isOneOf(sensorCode, {0x0120, 0x012B})) {
        // A USB 3 camera on a USB 2 port cannot carry the frame at full rate; the longer
        // frame slows it down to what the link takes.
        const bool slowLink = (deviceCode & kUsbThreeBits) != 0 && !superSpeed;
        plan.writes = {write(0x300A, h + d + (slowLink ? 62 : 30)), write(0x300C, d + 1650)};
    } else if (isOneOf(sensorCode, {0x0E60, 0x0E6B})) {
        plan.writes = {write(0x04, (d + 112) | 0xF000)};
    } else if (isOneOf(sensorCode, {0x0E70, 0x0E7B})) {
        plan.writes = {write(0x04, (d + 122) | 0xF000)};
    }
    plan.delay = delay;
    return plan;
}

std::optional<uint16_t> ExposureTiming::blankingRegister(uint16_t sensorCode) {
    if (isOneOf(sensorCode, {0x0030, 0x003B, 0x0300, 0x0130, 0x013B}))
        return 0x05;
    if (isOneOf(sensorCode, {0x0A00, 0x0A0B, 0x0E00, 0x0120, 0x012B}))
        return 0x300C;
    return std::nullopt;
}

int32_t ExposureTiming::horizontalBlanking(const TimingInputs& in, uint16_t value) {
    const uint16_t code = in.sensorCode;
    const auto w = static_cast<int32_t>(in.width);
    const bool binning = in.resolutionMode == 2;
    if (isOneOf(code, {0x0030, 0x003B}))
        return value;
    if (code == 0x0300)
        return value + ((binning && in.height <= 768) ? 695 : 369);
    if (isOneOf(code, {0x0130, 0x013B}))
        return value + 225;
    if (isOneOf(code, {0x0500, 0x050B})) {
        if (binning && in.height < 481)
            return 2888;
        if (binning && in.height < 961)
            return 1506;
        return 894;
    }
    if (isOneOf(code, {0x0A00, 0x0A0B}))
        return (value >> 1) - w;
    if (isOneOf(code, {0x0E00, 0x0120, 0x012B}))
        return value - w;
    if (isOneOf(code, {0x0E60, 0x0E6B}))
        return 1786 - w;
    if (isOneOf(code, {0x0E70, 0x0E7B}))
        return 1844 - w;
    return 0;
}

std::optional<double> ExposureTiming::pixelClockMHz(uint16_t deviceCode, bool highSpeed,
                                                    bool superSpeed) {
    if (isOneOf(deviceCode, {0x0030, 0x003B}))
        return 27.0;
    if (isOneOf(deviceCode, {0x0130, 0x013B, 0x0300, 0x0500, 0x050B, 0x0E00, 0x0120, 0x012B}))
        return highSpeed ? 48.0 : 24.0;
    if (isOneOf(deviceCode, {0x0A00, 0x0A0B}))
        return highSpeed ? 42.6667 : 24.0;
    if (isOneOf(deviceCode, {0x3500, 0x350B, 0x3E00}))
        return superSpeed ? 96.0 : 48.0;
    if (isOneOf(deviceCode, {0x3A00, 0x3A0B}))
        return superSpeed ? 80.0 : 40.0;
    if (isOneOf(deviceCode, {0x3120, 0x312B}))
        return superSpeed ? 100.0 : 50.0;
    if (isOneOf(deviceCode, {0x3E60, 0x3E6B}))
        return superSpeed ? 114.0 : 28.5;
    if (isOneOf(deviceCode, {0x3E70, 0x3E7B}))
        return superSpeed ? 94.0 : 28.5;
    return std::nullopt;
}

std::optional<LineTiming> ExposureTiming::lineTiming(const TimingInputs& in, uint16_t value) {
    const std::optional<double> clock = pixelClockMHz(in.deviceCode, in.highSpeed, in.superSpeed);
    const int64_t lineClocks = int64_t{in.width} + horizontalBlanking(in, value);
    if (!clock || lineClocks <= 0)
        return std::nullopt;
    // Light flickers at twice the mains frequency.
    const double flickerHz = in.sixtyHertz ? 120.0 : 100.0;
    LineTiming timing;
    timing.flickerLines =
        static_cast<int32_t>(*clock * 1000000.0 / flickerHz / static_cast<double>(lineClocks));
    timing.lineTimeMs = static_cast<double>(lineClocks) / 1000.0 / *clock;
    return timing;
}

int ExposureTiming::update(CameraContext& context) {
    const ModelRow* row = ModelTable::row(context.modelIndex);
    if (row == nullptr)
        return 0;
    TimingInputs in;
    in.sensorCode = row->sensorCode;
    in.deviceCode = row->deviceCode;
    in.width = context.width;
    in.height = context.height;
    context.pipeline.read([&in](const ImageSettings& s) {
        in.resolutionMode = s.resolutionMode;
        in.highSpeed = (s.flags & kFlagHighSpeed) != 0;
        in.sixtyHertz = (s.flags & kFlagAntiFlicker60Hz) != 0;
    });
    in.superSpeed = context.device != nullptr && context.device->superSpeed();
    uint16_t value = 0;
    if (const std::optional<uint16_t> address = blankingRegister(in.sensorCode)) {
        const ControlResult read = ControlChannel::readRegister(context, *address);
        if (!read.ok())
            return read.error;
        value = read.value;
    }
    const std::optional<LineTiming> timing = lineTiming(in, value);
    if (!timing)
        return 0;
    context.pipeline.modify([&timing](ImageSettings& s) { s.flickerLines = timing->flickerLines; });
    context.lineTime = timing->lineTimeMs;
    return 0;
}

}  // namespace vidscope::api
