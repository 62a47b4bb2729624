// SPDX-License-Identifier: MIT
// The camera's I/O connector: general-purpose bits, the trigger input and the strobe output.
#pragma once

#include <cstdint>
#include <mutex>

namespace vidscope::sim {

struct GpioChange {
    uint8_t state = 0;
    bool triggerPulse = false;  // the software trigger bit was set
};

// Thread-safe. Bit 0x02 follows the input line and cannot be written; bit 0x08 is a pulse
// that fires the trigger and reads back as 0; every other bit is a latched output (0x80 is
// the output line of the connector).
class IoLines {
public:
    static constexpr uint8_t kInputBit = 0x02;
    static constexpr uint8_t kTriggerBit = 0x08;
    static constexpr uint8_t kOutputBit = 0x80;

    uint8_t state() const;
    GpioChange set(uint8_t mask, uint8_t value);

    // Returns true on a rising edge of the input line.
    bool setInput(bool high);
    bool input() const;

    // The strobe output fires once per exposure while enabled.
    void countStrobe();
    uint32_t strobePulses() const;

    void reset();

private:
    mutable std::mutex mutex_;
    uint8_t outputs_ = 0;
    bool input_ = false;
    uint32_t strobePulses_ = 0;
};

}  // namespace vidscope::sim
