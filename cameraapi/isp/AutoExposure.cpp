// SPDX-License-Identifier: MIT
// The exposure and gain loop: measure every fourth frame, correct the total, wait for it.
#include "cameraapi/isp/AutoExposure.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "cameraapi/isp/LoopGain.h"

namespace vidscope::api {
namespace {

constexpr uint16_t kAntiFlicker = kFlagAntiFlicker50Hz | kFlagAntiFlicker60Hz;
constexpr int32_t kMaxShownStep = 2;
// A frame this bright is mostly clipped: it tells only that the exposure is far too long.
constexpr int32_t kSaturated = 250;
constexpr double kSaturatedCut = 0.25;
// How much further than the proportional step the measured slope may take a correction.
constexpr double kMaxSlopeGain = 4.0;

struct Setting {
    int32_t exposure = 0;
    int32_t gain = 0;
};

// What the loop is asked to do on one measured frame.
struct Correction {
    uint16_t sensorCode = 0;
    bool agc = false;
    bool aec = false;
    int32_t tolerance = 0;
    int32_t flickerLines = 0;  // 0: exposure in whole lines
    double brightness = 1.0;   // measured, at least 1
    double target = 0.0;
    double total = 0.0;    // present exposure times amplification
    double desired = 0.0;  // the total that should bring the target
    Setting previous;      // the setting before the last correction
};

double totalOf(const Correction& c, const Setting& s) {
    return s.exposure * LoopGain::amplification(c.sensorCode, s.gain);
}

// Brightness along the line from the present setting to the desired total.
double predicted(const Correction& c, const Setting& s) {
    if (c.desired == c.total)
        return c.brightness;
    return c.brightness +
           (c.target - c.brightness) * (totalOf(c, s) - c.total) / (c.desired - c.total);
}

// The exposures around `lines` the loop may set: whole lines, or whole flicker periods of at
// least one period, always within 1..kMaxExposure.
std::vector<int32_t> exposuresNear(double lines, int32_t flickerLines) {
    const int32_t step = flickerLines > 0 ? flickerLines : 1;
    const int64_t most = AutoExposure::kMaxExposure / step;
    if (most == 0)  // a period longer than the longest exposure
        return {AutoExposure::kMaxExposure};
    const double units = std::clamp(lines / step, 1.0, static_cast<double>(most));
    const auto below = static_cast<int32_t>(std::floor(units));
    const auto above = static_cast<int32_t>(std::min<int64_t>(below + 1, most));
    return {below * step, above * step};
}

std::vector<int32_t> gainsToTry(const Correction& c, int32_t present) {
    if (!c.agc)
        return {present};
    std::vector<int32_t> gains = LoopGain::levels(c.sensorCode);
    // A gain set above the loop's range stays available: it is never cut against the
    // direction of a correction.
    if (present > LoopGain::kMax)
        gains.push_back(present);
    return gains;
}

Setting choose(const Correction& c, const Setting& present) {
    Setting best = present;
    const double presentMiss = std::abs(c.brightness - c.target);
    double bestMiss = presentMiss;
    const bool below = c.brightness < c.target;
    for (int32_t gain : gainsToTry(c, present.gain)) {
        const double lines = c.desired / LoopGain::amplification(c.sensorCode, gain);
        const std::vector<int32_t> exposures =
            c.aec ? exposuresNear(lines, c.flickerLines) : std::vector<int32_t>{present.exposure};
        for (int32_t exposure : exposures) {
            const Setting s{exposure, gain};
            const double brightness = predicted(c, s);
            const double miss = std::abs(brightness - c.target);
            // The lowest gain that lands well inside the tolerance wins outright.
            if (miss <= c.tolerance / 2.0)
                return s;
            // Going back across the target a setting must do better by a whole level: two
            // neighbours that miss by about the same on either side would otherwise take
            // turns.
            const bool back = (brightness < c.target) != below && exposure == c.previous.exposure &&
                              gain == c.previous.gain;
            if (miss < bestMiss && (!back || miss < presentMiss - 1.0)) {
                best = s;
                bestMiss = miss;
            }
        }
    }
    return best;
}

// The smallest step toward the target: one line or flicker period, or else the next gain.
// Taken where the model promises nothing better, since near clipping or at a few lines it
// errs by more than such a step changes.
Setting probeToward(const Correction& c, const Setting& present) {
    const bool up = c.target > c.brightness;
    if (c.aec) {
        const int32_t step = c.flickerLines > 0 ? c.flickerLines : 1;
        const int32_t lowest = std::min(step, AutoExposure::kMaxExposure);
        const int32_t highest = std::max(AutoExposure::kMaxExposure / step * step, lowest);
        const int32_t e = std::clamp(present.exposure + (up ? step : -step), lowest, highest);
        if (e != present.exposure && (e > present.exposure) == up)
            return {e, present.gain};
    }
    if (c.agc) {
        const double now = LoopGain::amplification(c.sensorCode, present.gain);
        const std::vector<int32_t> levels = LoopGain::levels(c.sensorCode);
        if (up) {
            for (int32_t g : levels) {
                if (LoopGain::amplification(c.sensorCode, g) > now)
                    return {present.exposure, g};
            }
        } else {
            for (auto g = levels.rbegin(); g != levels.rend(); ++g) {
                if (LoopGain::amplification(c.sensorCode, *g) < now)
                    return {present.exposure, *g};
            }
        }
    }
    return present;
}

// The brightness the last correction brought per unit of total, once it has shown: the
// sensor's black pedestal and the clipping of bright parts bend the curve away from a
// proportion, and a proportional step then creeps up on the target from one side.
void learnSlope(ImageSettings& s, const Correction& c) {
    if (s.aeLastTotal <= 0.0 || s.meanAtLastAe >= kSaturated)
        return;
    const double dTotal = c.total - s.aeLastTotal;
    const double dBrightness = c.brightness - s.meanAtLastAe;
    if (std::abs(dBrightness) >= 2.0 && dTotal * dBrightness > 0.0)
        s.aeSlope = dBrightness / dTotal;
}

// The total that should bring the target: along the learnt slope, trusted up to
// kMaxSlopeGain times the proportional step and never less than it, or in proportion.
double desiredTotal(const Correction& c, const ImageSettings& s) {
    if (c.brightness >= kSaturated && c.target < c.brightness)
        return c.total * std::min(c.target / c.brightness, kSaturatedCut);
    const double proportional = c.total * c.target / c.brightness;
    if (s.aeSlope <= 0.0)
        return proportional;
    const double sloped = c.total + (c.target - c.brightness) / s.aeSlope;
    const double ratio = proportional / c.total;
    const double furthest = c.total * std::pow(ratio, kMaxSlopeGain);
    return ratio > 1.0 ? std::clamp(sloped, proportional, furthest)
                       : std::clamp(sloped, furthest, proportional);
}

// Whether the frame shows the last correction: the brightness has gone toward the value the
// correction predicted, by a quarter of the way or kMaxShownStep, whichever is less.
bool correctionShown(const ImageSettings& s) {
    const int32_t needed = std::min(std::abs(s.aeExpected - s.meanAtLastAe) / 4, kMaxShownStep);
    if (s.lastAeDelta > 0)
        return s.meanBrightness >= s.meanAtLastAe + needed;
    return s.meanBrightness <= s.meanAtLastAe - needed;
}

}  // namespace

bool ExposureWrites::perform(const RegisterWriter& writer) const {
    if (gain && !writer(*gain))
        return false;
    if (exposure && !writer(*exposure))
        return false;
    return true;
}

ExposureWrites AutoExposure::step(ImageSettings& s, uint32_t frameCount, uint16_t sensorCode) {
    ExposureWrites writes;
    Correction c;
    c.sensorCode = sensorCode;
    c.agc = (s.flags & kFlagAutoGain) != 0;
    c.aec = (s.flags & kFlagAutoExposure) != 0;
    // Sensors apply new values a few frames late; acting on every frame would oscillate.
    if ((!c.agc && !c.aec) || frameCount % 4 != 0)
        return writes;
    const bool antiFlicker = (s.flags & kAntiFlicker) != 0;
    c.tolerance = antiFlicker ? 30 : 5;
    const int32_t miss = std::abs(s.aeTarget - s.meanBrightness);
    if (miss <= c.tolerance || miss > 3 * c.tolerance)
        s.aeProbed = 0;  // settled, or facing a new scene or target
    if (miss <= c.tolerance) {
        s.lastAeDelta = 0;
        s.aeWaits = 0;
        return writes;
    }
    const bool shown = s.lastAeDelta != 0 && correctionShown(s);
    if (s.lastAeDelta != 0 && !shown) {
        if (s.aeWaits < kMaxWaits) {
            ++s.aeWaits;
            return writes;
        }
        s.aeSlope = 0.0;  // what it learnt did not come true
    }
    s.meanBrightness = std::max(s.meanBrightness, 1);
    // Without a known period (no timing update yet) there is nothing to round to.
    c.flickerLines = antiFlicker ? std::max(s.flickerLines, 0) : 0;
    c.brightness = s.meanBrightness;
    c.target = s.aeTarget;
    const Setting present{s.exposure, s.gain};
    c.previous = Setting{s.aeFromExposure, s.aeFromGain};
    c.total = std::max(totalOf(c, present), 1e-9);
    if (shown)
        learnSlope(s, c);
    c.desired = desiredTotal(c, s);
    Setting next = choose(c, present);
    if (next.exposure == present.exposure && next.gain == present.gain) {
        // Worth a try where the model's doubt is larger than the step's promised harm, and
        // not back to where the loop came from.
        const Setting probe = probeToward(c, present);
        const double harm =
            std::abs(predicted(c, probe) - c.target) - std::abs(c.brightness - c.target);
        const bool back = probe.exposure == c.previous.exposure && probe.gain == c.previous.gain;
        if (!back && harm <= 2 * c.tolerance && s.aeProbed == 0) {
            next = probe;
            s.aeProbed = 1;  // once: neighbours that all miss would otherwise be toured
        }
    }

    s.meanAtLastAe = s.meanBrightness;
    s.aeLastTotal = c.total;
    s.aeWaits = 0;
    s.pendingAeDelta = 0;
    const double change = totalOf(c, next) - c.total;
    if (next.exposure == present.exposure && next.gain == present.gain) {
        s.lastAeDelta = 0;
        return writes;
    }
    // The direction is that of the total: the exposure may step back while the gain rises.
    const int32_t lines = std::max(std::abs(next.exposure - present.exposure), 1);
    s.lastAeDelta = change > 0 ? lines : -lines;
    s.aeExpected = static_cast<int32_t>(predicted(c, next));
    s.aeFromExposure = present.exposure;
    s.aeFromGain = present.gain;
    if (next.gain != present.gain) {
        s.gain = next.gain;
        writes.gain = ExposureRegisters::loopGain(sensorCode, next.gain);
    }
    if (next.exposure != present.exposure) {
        s.exposure = next.exposure;
        writes.exposure = ExposureRegisters::exposure(sensorCode, next.exposure);
    }
    return writes;
}

}  // namespace vidscope::api
