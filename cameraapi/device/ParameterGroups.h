// SPDX-License-Identifier: MIT
// The 40-byte parameter group record a camera keeps in its EEPROM, and its address.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "cameraapi/isp/ImageSettings.h"

namespace vidscope::api {

// A group as read back: real values already divided by 100, the AE target relative to the
// black level and out-of-range fields replaced, ready for the setters.
struct StoredParameters {
    int32_t gain = 16;
    int32_t exposure = 5;
    double gamma = 1.0;
    double contrast = 1.0;
    uint16_t flags = kFlagAutoGain | kFlagAutoExposure;
    double wbGainR = 1.0;
    double wbGainG = 1.0;
    double wbGainB = 1.0;
    int32_t blackLevel = 0;
    int32_t aeTarget = 70;  // relative to blackLevel
    double saturation = 1.0;
    uint8_t interpolation = 0;
    uint8_t resolutionMode = 1;
    int32_t frameDelay = 0;
    uint8_t advancedGain = 0;
    uint8_t storedImageFormat = 0;
    uint8_t resolutionIndex = 0;
    uint8_t roiEnabled = 0;
    uint16_t roiX = 0;
    uint16_t roiY = 0;
    uint16_t roiWidth = 0;
    uint16_t roiHeight = 0;
    int32_t timeoutMs = 500;
};

class ParameterGroups {
public:
    static constexpr size_t kRecordSize = 40;
    static constexpr int kGroupCount = 2;
    using Record = std::array<uint8_t, kRecordSize>;

    // Groups other than 0 and 1 mean group 0.
    static int clampGroup(int group) { return group == 1 ? 1 : 0; }
    static uint16_t address(int group);

    // Real values go in as trunc(value x 100), 16 bits high byte first.
    static Record encode(const ImageSettings& settings);
    static StoredParameters decode(const Record& record);
    // Whether every value is one the setters take and the flags word holds only known
    // switches. Erased memory (all bytes 0xFF) is not: loading it would set every switch.
    static bool plausible(const StoredParameters& parameters);
};

}  // namespace vidscope::api
