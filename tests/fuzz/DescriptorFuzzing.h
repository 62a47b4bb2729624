// SPDX-License-Identifier: MIT
// Runs one input through every descriptor parser; shared by the fuzz target and the CTest run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace vidscope::usb::fuzz {

// What the parsers made of one input, for inputs whose outcome is known.
struct ConfigOutcome {
    bool parsed = false;
    size_t interfaces = 0;
    size_t endpoints = 0;  // non-null endpoint entries over all interfaces
    uint32_t largestPacket = 0;
};

struct ParseOutcome {
    ConfigOutcome plain;
    ConfigOutcome superSpeed;
    bool bos = false;
    bool device = false;
    std::optional<size_t> textUnits;
    uint16_t language = 0;
};

// Parses `bytes` as a configuration (both flavours), BOS, device and string descriptor, and
// touches every field of every object made, so that a sanitizer sees any bad access.
ParseOutcome parseAll(std::span<const uint8_t> bytes);

}  // namespace vidscope::usb::fuzz
