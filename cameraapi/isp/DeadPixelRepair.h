// SPDX-License-Identifier: MIT
// Replaces the camera's listed dead pixels in a raw frame by their nearest same-colour neighbour.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "cameraapi/isp/ImageSettings.h"

namespace vidscope::api {

// Where the current frame sits on the sensor: the list is kept in full-sensor coordinates.
struct FrameWindow {
    uint32_t width = 0;  // of the frame
    uint32_t height = 0;
    uint32_t sensorWidth = 0;
    uint32_t sensorHeight = 0;
    bool roiEnabled = false;
    uint32_t roiX = 0;
    uint32_t roiY = 0;
    uint8_t resolutionMode = 0;
};

class DeadPixelRepair {
public:
    // The stored count of an unprogrammed list.
    static constexpr uint16_t kUnprogrammed = 255;

    // Frame coordinates of a listed pixel, or nothing when it is not corrected in this frame.
    static std::optional<std::pair<uint32_t, uint32_t>> locate(DeadPixel pixel,
                                                               const FrameWindow& window);
    // Corrects the first `count` pixels of the list in `raw` (a frame of window.width x
    // window.height samples); a count of 0 or kUnprogrammed corrects nothing.
    static void apply(uint8_t* raw, const FrameWindow& window, std::span<const DeadPixel> list,
                      uint16_t count);
};

}  // namespace vidscope::api
