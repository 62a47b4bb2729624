// SPDX-License-Identifier: MIT
// The exposure and gain loop: measure every fourth frame, correct, wait for the effect.
#include "cameraapi/AutoExposure.h"

#include <algorithm>

namespace vidscope::api {
namespace {

constexpr uint16_t kAntiFlicker = kFlagAntiFlicker50Hz | kFlagAntiFlicker60Hz;
constexpr int32_t kMaxDelta = 4000;

}  // namespace

bool ExposureWrites::perform(const RegisterWriter& writer) const {
    if (gain && !writer(*gain))
        return false;
    if (exposure && !writer(*exposure))
        return false;
    return true;
}

ExposureWrites AutoExposure::step(ImageSettings& s, uint32_t frameCount, uint32_t height,
                                  uint16_t sensorCode) {
    ExposureWrites writes;
    const bool agc = (s.flags & kFlagAutoGain) != 0;
    const bool aec = (s.flags & kFlagAutoExposure) != 0;
    // Sensors apply new values a few frames late; acting on every frame would oscillate.
    if ((!agc && !aec) || frameCount % 4 != 0)
        return writes;
    measure(s);
    const int32_t delta = s.pendingAeDelta;
    if (delta == 0) {
        s.lastAeDelta = 0;
        return writes;
    }
    // The exposure control has no upper bound, so the sum may leave 32 bits.
    int64_t exposure = int64_t{s.exposure} + delta;
    const double linesPerFrame = static_cast<double>(height) + s.flickerLines;
    const double estimate = static_cast<double>(exposure) / linesPerFrame * 28.0 + 4.0;
    // Only the range matters below; keeping the conversion defined for absurd exposures.
    auto gain = static_cast<int32_t>(std::clamp(estimate, -1.0e6, 1.0e6));
    if ((s.flags & kAntiFlicker) != 0)
        exposure = roundToFlicker(exposure, s);
    if (agc) {
        gain = std::min(gain, kMaxLoopGain);
        // Never work against the direction of the correction.
        gain = delta > 0 ? std::max(gain, s.gain) : std::min(gain, s.gain);
        // A dark scene could drive the estimate to zero or below, which no sensor takes.
        gain = std::max(gain, 1);
        if (gain != s.gain) {
            s.gain = gain;
            writes.gain = ExposureRegisters::loopGain(sensorCode, gain);
        }
    }
    if (aec) {
        const auto clamped = static_cast<int32_t>(std::clamp<int64_t>(exposure, 1, kMaxExposure));
        if (clamped != s.exposure) {
            s.exposure = clamped;
            writes.exposure = ExposureRegisters::exposure(sensorCode, clamped);
        }
    }
    s.lastAeDelta = delta;
    s.pendingAeDelta = 0;
    return writes;
}

void AutoExposure::measure(ImageSettings& s) {
    const int32_t tolerance = (s.flags & kAntiFlicker) != 0 ? 30 : 5;
    const int32_t diff = s.aeTarget - s.meanBrightness;
    if (diff >= -tolerance && diff <= tolerance)
        return;
    // While a correction is still on its way, wait until the picture shows it.
    if (s.lastAeDelta != 0) {
        const bool brighter = s.meanBrightness > s.meanAtLastAe + 2 && s.lastAeDelta > 0;
        const bool darker = s.meanBrightness < s.meanAtLastAe - 2 && s.lastAeDelta < 0;
        if (!brighter && !darker)
            return;
    }
    s.meanBrightness = std::max(s.meanBrightness, 1);
    auto delta = static_cast<int64_t>(static_cast<double>(diff) / s.meanBrightness * s.exposure);
    s.pendingAeDelta = static_cast<int32_t>(std::clamp<int64_t>(delta, -kMaxDelta, kMaxDelta));
    s.meanAtLastAe = s.meanBrightness;
}

int64_t AutoExposure::roundToFlicker(int64_t exposure, const ImageSettings& s) {
    const int64_t period = s.flickerLines;
    // Without a known period (no timing update yet) there is nothing to round to.
    if (period <= 0)
        return exposure;
    const double periods = static_cast<double>(exposure) / period;
    const int32_t delta = s.pendingAeDelta;
    int64_t rounded = static_cast<int64_t>(periods + (delta > 0 ? 0.7 : 0.3)) * period;
    rounded = std::max(rounded, period);
    // One period to two and back again is a doubling; it needs a larger push to happen.
    if (delta >= period / 4 && s.exposure == period)
        rounded = 2 * period;
    else if (delta <= -(period / 2) && s.exposure == 2 * period)
        rounded = period;
    return rounded;
}

}  // namespace vidscope::api
