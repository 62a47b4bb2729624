// SPDX-License-Identifier: MIT
// Tone registers of the YUV sensor that applies gamma, contrast, saturation and black itself.
#include "cameraapi/device/TonedSensor.h"

#include <mutex>

#include "cameraapi/device/CameraContext.h"

namespace vidscope::api {
namespace {

constexpr uint16_t kContrastRegister = 0x05;
constexpr uint16_t kSaturationRegister = 0x25;
constexpr uint16_t kBlackLevelRegister = 0x34;

RegisterWrite curvePair(uint16_t address, const ByteTable& lut, size_t high, size_t low) {
    return RegisterWrite{address, static_cast<uint16_t>(lut[high] << 8 | lut[low])};
}

}  // namespace

std::array<RegisterWrite, 5> TonedSensor::gammaCurve(const ByteTable& lut) {
    return {curvePair(0xDC, lut, 4, 0), curvePair(0xDD, lut, 18, 9), curvePair(0xDE, lut, 110, 36),
            curvePair(0xDF, lut, 182, 146), curvePair(0xE0, lut, 255, 219)};
}

RegisterWrite TonedSensor::contrast(double c) {
    // The sensor knows eight contrast steps a quarter apart.
    uint16_t step = 7;
    if (c == 0.0)
        step = 0;
    else if (c < 0.25)
        step = 1;
    else if (c < 0.5)
        step = 2;
    else if (c < 0.75)
        step = 3;
    else if (c < 1.0)
        step = 4;
    else if (c < 1.25)
        step = 5;
    else if (c < 1.5)
        step = 6;
    return RegisterWrite{kContrastRegister, step};
}

RegisterWrite TonedSensor::saturation(double s) {
    uint16_t code = 0x28;
    if (s == 0.0)
        code = 0x30;
    else if (s <= 0.25)
        code = 0x20;
    else if (s <= 0.375)
        code = 0x18;
    else if (s <= 0.5)
        code = 0x10;
    else if (s <= 0.75)
        code = 0x08;
    else if (s <= 1.0)
        code = 0x00;
    return RegisterWrite{kSaturationRegister, code};
}

RegisterWrite TonedSensor::blackLevel(int32_t level) {
    return RegisterWrite{kBlackLevelRegister, static_cast<uint16_t>(level * 0x101)};
}

ControlResult TonedSensor::write(CameraContext& context, std::span<const RegisterWrite> writes) {
    std::lock_guard guard(context.controlMutex);
    ControlResult result =
        ControlChannel::writeRegister(context, kSelectTonePage.address, kSelectTonePage.value);
    for (size_t i = 0; i < writes.size() && result.ok(); ++i)
        result = ControlChannel::writeRegister(context, writes[i].address, writes[i].value);
    return result;
}

}  // namespace vidscope::api
