// SPDX-License-Identifier: MIT
// One step of the automatic exposure and gain loop, run after each converted frame.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "cameraapi/isp/ImageSettings.h"
#include "cameraapi/model/ExposureRegisters.h"

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

// The loop measures on every fourth frame and leaves a brightness within the tolerance of the
// target alone (5, or 30 with anti-flicker, where exposure moves in whole periods).
//
// A correction works on the total exposure, exposure lines times the gain's amplification:
// brightness grows in proportion to it, so scaling the total by target / brightness lands on
// the target in one step, whatever share exposure and gain have. The new total is then split
// with exposure first: of the gains the sensor can really take (unity up to 32, in the steps
// its encoding allows) the loop picks the lowest whose exposure, rounded to whole lines or
// whole flicker periods within 1..4000, brings the predicted brightness within half the
// tolerance. Gain therefore rises only where exposure has reached its limit, or to make up
// for the coarse steps of very short exposures; when no split gets that close, the closest
// one is taken, and when none gets closer than the present setting the loop sits still.
//
// A sensor shows new settings a frame or more late. After a correction the loop waits until
// the brightness has moved toward the value it predicted (by half the predicted change, at
// most 2) before it corrects again, but only for three measurements: a correction that never
// shows (a dark scene, a sensor that ignored it) does not stop the loop.
//
// Compared with the classic step, a proportional correction of the exposure alone with the
// gain estimated from it, this gives up: the gain estimate from exposure and frame height (which
// moved the brightness by more than intended and made the loop oscillate), rounding of the exposure
// step toward zero (which froze short exposures a few lines from the target), the wait for
// any 2-level movement (which froze the loop after a correction too small to show), and the
// biased rounding to flicker periods with its one-to-two-period jump (which alternated
// between neighbouring periods that both miss the target).
class AutoExposure {
public:
    static constexpr int32_t kMaxExposure = 4000;
    static constexpr int32_t kMaxLoopGain = 32;
    static constexpr int32_t kMaxWaits = 3;

    // Advances the loop state in `settings` for a converted frame measured at
    // settings.meanBrightness. Register writes are returned rather than made, so that the
    // caller can make them without holding the settings.
    static ExposureWrites step(ImageSettings& settings, uint32_t frameCount, uint16_t sensorCode);
};

}  // namespace vidscope::api
