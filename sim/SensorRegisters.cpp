// SPDX-License-Identifier: MIT
// The sensor's register file plus the few readout settings the firmware keeps beside it.
#include "sim/SensorRegisters.h"

namespace vidscope::sim {

SensorRegisters::SensorRegisters(RegisterLayout layout) : layout_(std::move(layout)) {
    reset();
}

bool SensorRegisters::reachable(uint16_t address) const {
    return layout_.width == RegisterWidth::Bits16 || address <= 0xFF;
}

uint32_t SensorRegisters::busKey(uint16_t address) const {
    if (!layout_.pageRegister || address == *layout_.pageRegister)
        return key(0, address);
    auto page = values_.find(key(0, *layout_.pageRegister));
    return key(page == values_.end() ? 0 : page->second, address);
}

std::optional<uint16_t> SensorRegisters::read(uint16_t address) const {
    if (!reachable(address))
        return std::nullopt;
    std::lock_guard lock(mutex_);
    auto it = values_.find(busKey(address));
    return it == values_.end() ? 0 : it->second;
}

bool SensorRegisters::write(uint16_t address, uint16_t value) {
    if (!reachable(address))
        return false;
    if (layout_.width == RegisterWidth::Bits8)
        value &= 0xFF;
    std::lock_guard lock(mutex_);
    values_[busKey(address)] = value;
    ++generation_;
    return true;
}

uint16_t SensorRegisters::value(uint16_t address, uint16_t page) const {
    std::lock_guard lock(mutex_);
    auto it = values_.find(key(page, address));
    return it == values_.end() ? 0 : it->second;
}

bool SensorRegisters::highSpeed() const {
    std::lock_guard lock(mutex_);
    return highSpeed_;
}

void SensorRegisters::setHighSpeed(bool on) {
    std::lock_guard lock(mutex_);
    highSpeed_ = on;
    ++generation_;
}

bool SensorRegisters::externalTrigger() const {
    std::lock_guard lock(mutex_);
    return externalTrigger_;
}

void SensorRegisters::setExternalTrigger(bool on) {
    std::lock_guard lock(mutex_);
    externalTrigger_ = on;
    ++generation_;
}

uint64_t SensorRegisters::generation() const {
    std::lock_guard lock(mutex_);
    return generation_;
}

void SensorRegisters::reset() {
    std::lock_guard lock(mutex_);
    values_.clear();
    for (const auto& [k, v] : layout_.powerOn)
        values_[k] = v;
    highSpeed_ = false;
    externalTrigger_ = false;
    ++generation_;
}

}  // namespace vidscope::sim
