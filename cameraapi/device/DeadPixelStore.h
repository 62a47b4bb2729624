// SPDX-License-Identifier: MIT
// The dead-pixel list a camera keeps in its EEPROM, and its exchange with the pipeline.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "cameraapi/isp/ImageSettings.h"

namespace vidscope::api {

struct CameraContext;

// The list handed across the API is count n, then x0, y0, x1, y1, ... (2n + 1 entries), in
// full-sensor coordinates. In the EEPROM: the count, then the pairs, 16 bits each, high byte
// first.
class DeadPixelStore {
public:
    static constexpr uint16_t kCountAddress = 0x1E00;
    static constexpr uint16_t kListAddress = 0x1E02;

    // The bytes from kCountAddress on; none for a list longer than the store holds.
    static std::optional<std::vector<uint8_t>> encode(const uint32_t* list);
    // A stored count the store cannot hold (an unprogrammed 0xFFFF among them) means none.
    static uint16_t usableCount(uint16_t stored) { return stored <= kMaxDeadPixels ? stored : 0; }

    // Writes the list and, once every byte is written, makes it the camera's current list.
    // 0 or the error of the first failed write.
    static int save(CameraContext& context, const uint32_t* list);
    // Reads the stored list into the camera's current list and into `list` (nothing written
    // to `list` for an empty one). 0 or the error of the first failed read; after a failure
    // the current list is empty rather than half read.
    static int load(CameraContext& context, uint32_t* list);
};

}  // namespace vidscope::api
