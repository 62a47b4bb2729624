// SPDX-License-Identifier: MIT
// Sensor register and value encodings of exposure and gain, per sensor family.
#pragma once

#include <cstdint>
#include <optional>

namespace vidscope::api {

struct RegisterWrite {
    uint16_t address = 0;
    uint16_t value = 0;

    bool operator==(const RegisterWrite&) const = default;
};

// Nothing for a sensor family that keeps the value only on the host side.
class ExposureRegisters {
public:
    // Exposure in sensor lines; the same for the exposure control and the automatic loop.
    static std::optional<RegisterWrite> exposure(uint16_t sensorCode, int32_t lines);
    // Gain 1..255 as the gain control encodes it.
    static std::optional<RegisterWrite> gain(uint16_t sensorCode, int32_t gain);
    // Gain as the automatic loop writes it: plain values where its small range needs no
    // encoding.
    static std::optional<RegisterWrite> loopGain(uint16_t sensorCode, int32_t gain);
};

}  // namespace vidscope::api
