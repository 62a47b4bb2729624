// SPDX-License-Identifier: MIT
// Which trigger, strobe and polarity handling each sensor family has, by sensor code.
#pragma once

#include <cstdint>
#include <optional>

namespace vidscope::api {

// A switch kept in sensor register bits. `onSets` says whether switching on sets the bits
// (true) or clears them (the line is active low).
struct RegisterBits {
    uint16_t address;
    uint16_t bits;
    bool onSets;
};

// The families share their trigger handling; strobe and polarity follow the same grouping
// except where the sensor itself differs.
class SensorFamily {
public:
    enum class Trigger : uint8_t {
        None,           // no trigger mode: error 8
        Mode1ERestart,  // 0x0500, 0x050B: bit 0x100 of 0x1E, plus a readout restart on leaving
        Mode1EPlain,    // 0x0130, 0x013B, 0x0300: bit 0x100 of 0x1E
        Mode07,         // 0x0030, 0x003B: bit 0x10 of 0x07
        StreamBit,      // 0x0A00, 0x0A0B, 0x0E00: streaming bit of 0x301A plus request 0xB4
        ResetWord,      // 0x0120, 0x012B: whole word in 0x301A
        Control0B,      // 0x0E60, 0x0E6B, 0x0E70, 0x0E7B: whole word in 0x0B
    };

    static Trigger trigger(uint16_t sensorCode);
    // The software trigger works exactly on the families that have a trigger mode.
    static bool takesTriggerShot(uint16_t sensorCode) {
        return trigger(sensorCode) != Trigger::None;
    }

    // Strobe on/off by register bits; null when the family has none or uses a fixed word.
    static std::optional<RegisterBits> strobe(uint16_t sensorCode);
    // The sensor whose strobe word is written whole, chosen by the snap mode alone.
    static bool hasFixedStrobeWord(uint16_t sensorCode) { return sensorCode == 0x0E6B; }
    static constexpr uint16_t kFixedStrobeTriggered = 0x0144;
    static constexpr uint16_t kFixedStrobeContinuous = 0x0046;
    static constexpr uint16_t kFixedStrobeRegister = 0x0B;

    // Strobe polarity: on means inverted. Null when the family cannot invert it.
    static std::optional<RegisterBits> strobePolarity(uint16_t sensorCode);
};

}  // namespace vidscope::api
