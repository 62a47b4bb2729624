// SPDX-License-Identifier: MIT
// The sensor's register file plus the few readout settings the firmware keeps beside it.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace vidscope::sim {

enum class RegisterWidth : uint8_t { Bits8, Bits16 };

struct RegisterLayout {
    RegisterWidth width = RegisterWidth::Bits16;
    // Sensors with a page register select the bank of every other address through it.
    std::optional<uint16_t> pageRegister;
    // (page << 16 | address, value) pairs loaded at power-on.
    std::vector<std::pair<uint32_t, uint16_t>> powerOn;
};

// Thread-safe. Addresses that were never written read as 0, as on the real parts; an 8-bit
// sensor has no address above 0xFF and keeps only the low byte of a value.
class SensorRegisters {
public:
    explicit SensorRegisters(RegisterLayout layout);

    static uint32_t key(uint16_t page, uint16_t address) {
        return (static_cast<uint32_t>(page) << 16) | address;
    }

    // Bus access through the page register: nullopt / false for an address the bus cannot reach.
    std::optional<uint16_t> read(uint16_t address) const;
    bool write(uint16_t address, uint16_t value);

    // Direct access by page and address, for the firmware's own decoding.
    uint16_t value(uint16_t address, uint16_t page = 0) const;

    bool sixteenBit() const { return layout_.width == RegisterWidth::Bits16; }

    // Readout settings the firmware holds outside the sensor: the doubled pixel clock and the
    // external trigger input of the large sensors.
    bool highSpeed() const;
    void setHighSpeed(bool on);
    bool externalTrigger() const;
    void setExternalTrigger(bool on);

    // Counts every change, so that cached work derived from the registers can tell it is stale.
    uint64_t generation() const;

    // Power-on state.
    void reset();

private:
    bool reachable(uint16_t address) const;
    uint32_t busKey(uint16_t address) const;

    const RegisterLayout layout_;
    mutable std::mutex mutex_;
    std::map<uint32_t, uint16_t> values_;
    bool highSpeed_ = false;
    bool externalTrigger_ = false;
    uint64_t generation_ = 0;
};

}  // namespace vidscope::sim
