// SPDX-License-Identifier: MIT
// The exposure loop against a model of each sensor family: every target, light and start.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cameraapi/isp/AutoExposure.h"
#include "cameraapi/model/ExposureRegisters.h"
#include "sim/ResolutionTable.h"
#include "sim/SceneRenderer.h"
#include "sim/SensorProfile.h"
#include "sim/VirtualModel.h"

namespace vidscope::api {
namespace {

// The virtual camera's sensor seen from the loop: its registers take the loop's writes and
// the virtual firmware's own decoding turns them into exposure time and gain; the brightness
// is the mean of the scene's reflectances exposed as the virtual sensor exposes them
// (pedestal, clipping at full scale). Each measured frame shows the last correction.
class SensorModel {
public:
    explicit SensorModel(uint16_t deviceCode)
        : model_(*sim::findVirtualModel(deviceCode)),
          profile_(model_, model_.superSpeed),
          registers_(profile_.registerLayout()),
          geometry_(sim::ResolutionTable(model_).geometry()) {
        // Painting the scene is the slow part; every run on this model sees the same one.
        static std::map<uint16_t, std::vector<std::pair<int, int64_t>>> cache;
        auto [it, added] = cache.try_emplace(deviceCode);
        if (added)
            it->second = sceneHistogram(model_);
        histogram_ = &it->second;
    }

    uint16_t sensorCode() const { return model_.sensorCode; }
    void write(const RegisterWrite& w) { registers_.write(w.address, w.value); }
    void write(const ExposureWrites& w) {
        if (w.gain)
            write(*w.gain);
        if (w.exposure)
            write(*w.exposure);
    }

    int32_t brightness(double illumination) const {
        const sim::Exposure e =
            sim::Exposure::of(profile_.state(registers_, geometry_), illumination);
        int64_t sum = 0;
        int64_t count = 0;
        for (const auto& [reflectance, n] : *histogram_) {
            const double v = std::min(std::round(e.pedestal + reflectance * e.scale), 255.0);
            sum += static_cast<int64_t>(v) * n;
            count += n;
        }
        return static_cast<int32_t>(sum / count);
    }

private:
    // Reflectances of the scene on a grid over the whole sensor, as the monochrome sensor
    // sees them.
    static std::vector<std::pair<int, int64_t>> sceneHistogram(const sim::VirtualModel& m) {
        const sim::ScenePainter painter(m.maxWidth, m.maxHeight);
        std::map<int, int64_t> bins;
        for (int y = 0; y < m.maxHeight; y += m.maxHeight / 96) {
            for (int x = 0; x < m.maxWidth; x += m.maxWidth / 128) {
                const sim::Rgb c = painter.at(x, y);
                const double luma = 0.299 * c.r + 0.587 * c.g + 0.114 * c.b;
                ++bins[static_cast<int>(std::clamp(std::lround(luma), 0l, 255l))];
            }
        }
        return {bins.begin(), bins.end()};
    }

    const sim::VirtualModel& model_;
    sim::SensorProfile profile_;
    sim::SensorRegisters registers_;
    sim::FrameGeometry geometry_;
    const std::vector<std::pair<int, int64_t>>* histogram_ = nullptr;
};

struct Outcome {
    int settledAt = -1;      // first measurement within tolerance; -1 never
    bool leftAfter = false;  // went out of tolerance again after settling
    int lastWrite = 0;       // measurement of the last register write
    int32_t brightness = 0;  // at the end
    int32_t exposure = 0;
    int32_t gain = 0;
};

constexpr int kMeasurements = 40;
constexpr int kSettleLimit = 20;

// One loop run: every fourth frame is measured, as the loop does.
Outcome runLoop(SensorModel& sensor, ImageSettings s, double illumination) {
    Outcome o;
    const int32_t tolerance = 5;
    for (int m = 0; m <= kMeasurements; ++m) {
        s.meanBrightness = sensor.brightness(illumination);
        const bool inside = std::abs(s.meanBrightness - s.aeTarget) <= tolerance;
        if (inside && o.settledAt < 0)
            o.settledAt = m;
        if (!inside && o.settledAt >= 0)
            o.leftAfter = true;
        const ExposureWrites w =
            AutoExposure::step(s, 4u * static_cast<uint32_t>(m), sensor.sensorCode());
        if (w.gain || w.exposure)
            o.lastWrite = m;
        sensor.write(w);
    }
    o.brightness = sensor.brightness(illumination);
    o.exposure = s.exposure;
    o.gain = s.gain;
    return o;
}

ImageSettings startState(SensorModel& sensor, bool agc, int target, int32_t exposure) {
    ImageSettings s;
    s.flags = kFlagAutoExposure | (agc ? kFlagAutoGain : 0);
    s.aeTarget = target;
    s.exposure = exposure;
    s.gain = 16;
    sensor.write(*ExposureRegisters::exposure(sensor.sensorCode(), exposure));
    sensor.write(*ExposureRegisters::loopGain(sensor.sensorCode(), 16));
    return s;
}

// The smallest miss of the target any setting the loop may choose can give: exposures
// 1..4000 and, with the gain loop, every gain from the sensor's unity to 32 (brightness grows
// with either, so a search per gain finds the settings around the target).
int32_t bestPossibleMiss(uint16_t deviceCode, bool agc, int target, int32_t fixedGain,
                         double illumination) {
    SensorModel probe(deviceCode);
    const uint16_t code = probe.sensorCode();
    const int32_t firstGain = code == 0x0130 || code == 0x013B ? 8 : 16;
    std::vector<int32_t> gains;
    for (int32_t g = agc ? firstGain : fixedGain; g <= (agc ? 32 : fixedGain); ++g)
        gains.push_back(g);
    int32_t best = 255;
    for (int32_t g : gains) {
        probe.write(*ExposureRegisters::loopGain(code, g));
        auto at = [&](int32_t e) {
            probe.write(*ExposureRegisters::exposure(code, e));
            return probe.brightness(illumination);
        };
        int32_t lo = 1, hi = AutoExposure::kMaxExposure;
        while (lo < hi) {  // smallest exposure reaching the target
            const int32_t mid = (lo + hi) / 2;
            if (at(mid) >= target)
                hi = mid;
            else
                lo = mid + 1;
        }
        for (int32_t e : {lo - 1, lo}) {
            if (e >= 1)
                best = std::min(best, std::abs(at(e) - target));
        }
    }
    return best;
}

struct SweepCase {
    uint16_t deviceCode;
    bool agc;
    int target;
    double illumination;
    std::string describe() const {
        std::ostringstream text;
        text << "device 0x" << std::hex << deviceCode << std::dec << (agc ? " AEC+AGC" : " AEC")
             << ", target " << target << ", light " << illumination;
        return text.str();
    }
};

// One camera model of each sensor family whose exposure the loop drives.
constexpr uint16_t kFamilies[] = {0x003B, 0x013B, 0x0300, 0x050B, 0x012B,
                                  0x0A0B, 0x0E00, 0x3E6B, 0x3E7B};

// From a scene too dark for the longest exposure at the highest gain to one too bright for
// a single line at unity gain, in steps of a factor 2.
std::vector<double> illuminations() {
    std::vector<double> lights;
    for (double light = 1.0 / 1024; light < 200.0; light *= 2.0)
        lights.push_back(light);
    return lights;
}

// Settles within kSettleLimit measurements and stays, or sits still as close to the target
// as any setting gets. Returns the measurement it settled at (or -1).
int checkCase(const SweepCase& c, int32_t startExposure) {
    SCOPED_TRACE(c.describe() + ", start " + std::to_string(startExposure) + " lines");
    SensorModel sensor(c.deviceCode);
    const Outcome o =
        runLoop(sensor, startState(sensor, c.agc, c.target, startExposure), c.illumination);
    const std::string state = "brightness " + std::to_string(o.brightness) + ", exposure " +
                              std::to_string(o.exposure) + ", gain " + std::to_string(o.gain);
    EXPECT_LE(o.lastWrite, kSettleLimit) << "still moving; " << state;
    if (o.settledAt >= 0) {
        EXPECT_LE(o.settledAt, kSettleLimit) << state;
        EXPECT_FALSE(o.leftAfter) << "left the tolerance again; " << state;
        return o.settledAt;
    }
    const int32_t best = bestPossibleMiss(c.deviceCode, c.agc, c.target, 16, c.illumination);
    // A setting right at the edge of the tolerance is one the loop's model cannot tell from
    // its neighbour; it may be missed.
    EXPECT_GE(best, 5) << "reachable but not reached; " << state;
    // Where whole lines or gain steps are too coarse, the loop's linear model of the sensor
    // may prefer the neighbour of the closest setting, but not by more than two tolerances.
    EXPECT_LE(std::abs(o.brightness - c.target), best + 10)
        << "stopped short of the closest setting; " << state;
    return -1;
}

// Every target the settings dialog offers from 30 to 200, with both loops on.
TEST(AutoExposureSweep, ExposureAndGainSettleForEveryFamilyTargetAndLight) {
    const bool table = std::getenv("VIDSCOPE_AE_TABLE") != nullptr;
    for (uint16_t device : kFamilies) {
        std::map<int, int> slowest;  // target -> most measurements needed
        for (int target = 30; target <= 200; ++target) {
            for (double light : illuminations()) {
                const int settled = checkCase({device, true, target, light}, 100);
                slowest[target] = std::max(slowest[target], settled);
            }
        }
        if (table) {
            std::printf("0x%04X", device);
            for (int target : {30, 60, 100, 160, 200})
                std::printf(" %d:%d", target, slowest[target]);
            std::printf("\n");
        }
        if (HasFailure())
            return;  // one family's report is enough to go on
    }
}

// The exposure alone at a fixed gain, from a short and a long start.
TEST(AutoExposureSweep, ExposureAloneSettlesOrSitsAtItsLimit) {
    for (uint16_t device : kFamilies) {
        for (int target = 30; target <= 200; target += 10) {
            for (double light : illuminations()) {
                for (int32_t start : {5, 3000})
                    checkCase({device, false, target, light}, start);
            }
        }
        if (HasFailure())
            return;
    }
}

}  // namespace
}  // namespace vidscope::api
