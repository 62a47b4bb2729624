// SPDX-License-Identifier: MIT
// Frame blanking per sensor family and the line timing that exposure and anti-flicker use.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "cameraapi/model/ExposureRegisters.h"

namespace vidscope::api {

struct CameraContext;

// The blanking registers for one frame delay; `delay` is the value actually used (a family
// whose register is too narrow caps it).
struct BlankingPlan {
    int32_t delay = 0;
    std::vector<RegisterWrite> writes;
};

// What the line timing depends on besides the sensor's registers.
struct TimingInputs {
    uint16_t sensorCode = 0;
    uint16_t deviceCode = 0;
    uint32_t width = 0;  // of the delivered frame
    uint32_t height = 0;
    uint8_t resolutionMode = 1;
    bool highSpeed = false;
    bool superSpeed = false;  // the link runs at USB SuperSpeed
    bool sixtyHertz = false;  // mains frequency the exposure avoids beating with
};

struct LineTiming {
    int32_t flickerLines = 0;  // sensor lines per flicker period
    double lineTimeMs = 0.0;
};

class ExposureTiming {
public:
    static BlankingPlan blanking(uint16_t sensorCode, uint16_t deviceCode, int32_t delay,
                                 uint32_t width, uint32_t height, bool superSpeed);

    // The register whose value sets the horizontal blanking, or none when the family's
    // blanking is fixed.
    static std::optional<uint16_t> blankingRegister(uint16_t sensorCode);
    // Pixel clocks of horizontal blanking, from the value of blankingRegister() (ignored
    // where there is none).
    static int32_t horizontalBlanking(const TimingInputs& in, uint16_t registerValue);
    // In MHz; none for a device whose clock is not known.
    static std::optional<double> pixelClockMHz(uint16_t deviceCode, bool highSpeed,
                                               bool superSpeed);
    // None when the timing cannot be derived (unknown clock or a line of no length).
    static std::optional<LineTiming> lineTiming(const TimingInputs& in, uint16_t registerValue);

    // Reads the blanking register and stores flickerLines and lineTime in the camera. Returns
    // 0, or the camera error code of a failed register read (nothing is changed then). A
    // device of unknown clock is left as it is and counts as success.
    static int update(CameraContext& context);
};

}  // namespace vidscope::api
