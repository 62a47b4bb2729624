// SPDX-License-Identifier: MIT
// Runs of EEPROM bytes read or written one request at a time, and 16-bit big-endian values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "cameraapi/device/ControlChannel.h"

namespace vidscope::api {

struct CameraContext;

// What a block access reached: the error of the first failed byte (0 when none) and how
// many bytes were done before it.
struct BlockResult {
    int error = 0;
    size_t done = 0;
    bool ok() const { return error == 0; }
};

class EepromBlock {
public:
    // In address order, stopping at the first failed byte; the bytes before it stay written.
    static BlockResult write(CameraContext& context, uint16_t address,
                             std::span<const uint8_t> bytes);
    static BlockResult read(CameraContext& context, uint16_t address, std::span<uint8_t> bytes);

    static void put16(std::span<uint8_t> bytes, size_t at, uint16_t value) {
        bytes[at] = static_cast<uint8_t>(value >> 8);
        bytes[at + 1] = static_cast<uint8_t>(value & 0xFF);
    }
    static uint16_t get16(std::span<const uint8_t> bytes, size_t at) {
        return static_cast<uint16_t>(bytes[at] << 8 | bytes[at + 1]);
    }
};

}  // namespace vidscope::api
