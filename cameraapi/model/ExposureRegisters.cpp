// SPDX-License-Identifier: MIT
// The register tables of exposure and gain.
#include "cameraapi/model/ExposureRegisters.h"

namespace vidscope::api {
namespace {

RegisterWrite write(uint16_t address, int64_t value) {
    return RegisterWrite{address, static_cast<uint16_t>(value)};
}

bool isOneOf(uint16_t code, std::initializer_list<uint16_t> codes) {
    for (uint16_t c : codes) {
        if (c == code)
            return true;
    }
    return false;
}

// The piecewise analogue/digital gain word of the large sensors.
int64_t largeSensorGain(int32_t g) {
    if (g < 16)
        return 4 * g + 0x1040;
    if (g < 32)
        return 4 * g + 0x1800;
    if (g < 64)
        return 2 * g + 0x1C00;
    if (g < 128)
        return g + 0x1C80;
    return (g - 128) / 2 + 0x1DC0;
}

int64_t smallSensorGain(int32_t g) {
    return g < 32 ? (g / 4) << 8 : 0x0700 | (g - 32);
}

}  // namespace

std::optional<RegisterWrite> ExposureRegisters::exposure(uint16_t sensorCode, int32_t lines) {
    if (isOneOf(sensorCode, {0x0130, 0x013B, 0x0300, 0x0500, 0x050B}))
        return write(0x09, lines);
    if (isOneOf(sensorCode, {0x0030, 0x003B}))
        return write(0x0B, int64_t{lines} + 1);
    if (isOneOf(sensorCode, {0x0120, 0x012B, 0x0A00, 0x0A0B, 0x0E00}))
        return write(0x3012, lines);
    if (isOneOf(sensorCode, {0x0E60, 0x0E6B, 0x0E70, 0x0E7B}))
        return write(0x0E, lines);
    return std::nullopt;
}

std::optional<RegisterWrite> ExposureRegisters::gain(uint16_t sensorCode, int32_t g) {
    if (isOneOf(sensorCode, {0x0300, 0x0500, 0x050B})) {
        if (g < 64)
            return write(0x35, g);
        if (g < 128)
            return write(0x35, (g / 2) | 0x40);
        auto coarse = static_cast<int64_t>((g / 127.0 - 1.0) * 8.0);
        return write(0x35, (coarse << 8) | 0x7F);
    }
    if (isOneOf(sensorCode, {0x0130, 0x013B})) {
        if (g <= 64)
            return write(0x35, g / 2);
        if (g < 128)
            return write(0x35, (g - 64) / 4 + 80);
        return write(0x35, (g - 128) / 16 + 96);
    }
    if (isOneOf(sensorCode, {0x0030, 0x003B})) {
        if (g < 16)
            return write(0x35, 16);
        if (g < 32)
            return write(0x35, g);
        return write(0x35, (g - 32) / 7 + 32);
    }
    if (isOneOf(sensorCode, {0x0120, 0x012B}))
        return write(0x305E, g);
    if (isOneOf(sensorCode, {0x0E00, 0x0A00, 0x0A0B}))
        return write(0x305E, largeSensorGain(g));
    if (isOneOf(sensorCode, {0x0E60, 0x0E6B, 0x0E70, 0x0E7B}))
        return write(0x11, smallSensorGain(g));
    return std::nullopt;
}

std::optional<RegisterWrite> ExposureRegisters::loopGain(uint16_t sensorCode, int32_t g) {
    if (isOneOf(sensorCode, {0x0500, 0x050B, 0x0300, 0x0130, 0x013B, 0x0030, 0x003B}))
        return write(0x35, g);
    return gain(sensorCode, g);
}

}  // namespace vidscope::api
