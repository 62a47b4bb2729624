// SPDX-License-Identifier: MIT
// One step of the automatic exposure and gain loop, run after each converted frame.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "cameraapi/ExposureRegisters.h"
#include "cameraapi/ImageSettings.h"

namespace vidscope::api {

// Writes one sensor register; false when the camera did not take it.
using RegisterWriter = std::function<bool(RegisterWrite)>;

// The register writes one step decided on; the gain goes first.
struct ExposureWrites {
    std::optional<RegisterWrite> gain;
    std::optional<RegisterWrite> exposure;

    // Performs the writes; the exposure only after a successful gain write. False when a
    // write failed.
    bool perform(const RegisterWriter& writer) const;
};

class AutoExposure {
public:
    static constexpr int32_t kMaxExposure = 4000;
    static constexpr int32_t kMaxLoopGain = 32;

    // Advances the loop state in `settings` for a converted frame of `height` lines measured
    // at settings.meanBrightness. Register writes are returned rather than made, so that the
    // caller can make them without holding the settings.
    static ExposureWrites step(ImageSettings& settings, uint32_t frameCount, uint32_t height,
                               uint16_t sensorCode);

private:
    static void measure(ImageSettings& settings);
    static int64_t roundToFlicker(int64_t exposure, const ImageSettings& settings);
};

}  // namespace vidscope::api
