// SPDX-License-Identifier: MIT
// The camera's I/O connector: general-purpose bits, the trigger input and the strobe output.
#include "sim/IoLines.h"

namespace vidscope::sim {

uint8_t IoLines::state() const {
    std::lock_guard lock(mutex_);
    return static_cast<uint8_t>(outputs_ | (input_ ? kInputBit : 0));
}

GpioChange IoLines::set(uint8_t mask, uint8_t value) {
    std::lock_guard lock(mutex_);
    const uint8_t latched = static_cast<uint8_t>(mask & ~(kInputBit | kTriggerBit));
    outputs_ = static_cast<uint8_t>((outputs_ & ~latched) | (value & latched));
    GpioChange change;
    change.triggerPulse = (mask & value & kTriggerBit) != 0;
    change.state = static_cast<uint8_t>(outputs_ | (input_ ? kInputBit : 0));
    return change;
}

bool IoLines::setInput(bool high) {
    std::lock_guard lock(mutex_);
    const bool rising = high && !input_;
    input_ = high;
    return rising;
}

bool IoLines::input() const {
    std::lock_guard lock(mutex_);
    return input_;
}

void IoLines::countStrobe() {
    std::lock_guard lock(mutex_);
    ++strobePulses_;
}

uint32_t IoLines::strobePulses() const {
    std::lock_guard lock(mutex_);
    return strobePulses_;
}

void IoLines::reset() {
    std::lock_guard lock(mutex_);
    outputs_ = 0;
    strobePulses_ = 0;
}

}  // namespace vidscope::sim
