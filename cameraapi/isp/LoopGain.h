// SPDX-License-Identifier: MIT
// The gain values the exposure loop may choose per sensor family, and what each one amplifies.
#pragma once

#include <cstdint>
#include <vector>

namespace vidscope::api {

// The loop writes its gain in a family's own units (see ExposureRegisters::loopGain), so the
// same number does not mean the same amplification everywhere: the 0x0130 family takes the
// plain value as twice the gain control's unit, and the small USB 3 global-shutter family
// can only step its coarse gain in fours below 32. No sensor attenuates: a gain below unity
// amplifies as unity does.
class LoopGain {
public:
    static constexpr int32_t kMax = 32;  // the loop never raises the gain above this

    // The loop gain that leaves the signal as it is.
    static int32_t unity(uint16_t sensorCode);
    // Amplification of a loop gain, relative to unity (1.0 for anything at or below it).
    static double amplification(uint16_t sensorCode, int32_t gain);
    // Every gain from unity to kMax that the sensor can really take, ascending; each one
    // amplifies differently from the others.
    static std::vector<int32_t> levels(uint16_t sensorCode);
};

}  // namespace vidscope::api
