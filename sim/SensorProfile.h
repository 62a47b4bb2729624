// SPDX-License-Identifier: MIT
// What each sensor family's registers mean: power-on values, exposure, gain, timing, trigger.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "sim/ResolutionTable.h"
#include "sim/SensorRegisters.h"
#include "sim/VirtualModel.h"

namespace vidscope::sim {

enum class TriggerState : uint8_t { Continuous, Triggered, Standby };

struct SensorTiming {
    double pixelClockMHz = 24.0;
    uint32_t lineClocks = 1;     // pixel clocks per line, blanking included
    uint32_t frameLines = 1;     // lines per frame, vertical blanking included
    uint32_t exposureLines = 0;  // integration time in lines
    uint32_t activeLines = 1;    // lines that carry pixels

    double lineTimeUs() const { return lineClocks / pixelClockMHz; }
    double exposureUs() const { return exposureLines * lineTimeUs(); }
    // A rolling shutter stretches the frame when the integration is longer than the frame.
    double framePeriodUs() const { return std::max(frameLines, exposureLines + 1) * lineTimeUs(); }
    double readoutUs() const { return activeLines * lineTimeUs(); }
};

// Tone processing of sensors that apply it themselves (identity for the others).
struct ToneSettings {
    std::array<uint8_t, 256> curve{};
    double saturation = 1.0;
    bool operator==(const ToneSettings&) const = default;
    static ToneSettings identity();
};

struct SensorState {
    SensorTiming timing;
    double gain = 1.0;  // analog gain, 1.0 is unity
    uint8_t blackPedestal = 0;
    TriggerState trigger = TriggerState::Continuous;
    bool strobeEnabled = false;
    bool strobeInverted = false;
    ToneSettings tone = ToneSettings::identity();
};

class SensorProfile {
public:
    SensorProfile(const VirtualModel& model, bool superSpeedLink);

    const VirtualModel& model() const { return model_; }
    bool superSpeedLink() const { return superSpeedLink_; }
    // Power-on register contents; the exposure is the factory one.
    RegisterLayout registerLayout() const;
    SensorState state(const SensorRegisters& registers, const FrameGeometry& geometry) const;

    // About 10 ms at full frame with the power-on timing: a picture of the right brightness
    // under the scene's normal illumination.
    uint32_t factoryExposureLines() const { return factoryExposureLines_; }
    // A write that restarts the sensor's readout (a self-clearing register bit).
    bool restartsReadout(uint16_t address, uint16_t value) const;
    // Families whose firmware takes the trigger mode through its own vendor request.
    bool takesTriggerRequest() const;
    bool usb3Family() const { return (model_.productId & 0x3000) != 0; }
    uint32_t firmwareVersion() const;

private:
    RegisterLayout layoutWithExposure(uint32_t lines) const;
    SensorTiming timing(const SensorRegisters& r, const FrameGeometry& g) const;
    uint32_t lineClocks(const SensorRegisters& r, const FrameGeometry& g) const;
    uint32_t frameLines(const SensorRegisters& r, const FrameGeometry& g) const;
    uint32_t exposureLines(const SensorRegisters& r) const;
    double pixelClockMHz(bool highSpeed) const;
    double gain(const SensorRegisters& r) const;
    TriggerState trigger(const SensorRegisters& r) const;
    void strobe(const SensorRegisters& r, SensorState& s) const;
    ToneSettings tone(const SensorRegisters& r) const;
    uint16_t defaultBlanking(const FrameGeometry& g) const;

    const VirtualModel& model_;
    const uint16_t code_;  // sensor code
    const bool superSpeedLink_;
    uint32_t factoryExposureLines_ = 1;
};

}  // namespace vidscope::sim
