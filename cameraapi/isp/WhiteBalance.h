// SPDX-License-Identifier: MIT
// White-balance measurements on raw mosaic frames: one-push, automatic estimate, scheduler.
#pragma once

#include <cstdint>
#include <optional>

#include "cameraapi/isp/ImageSettings.h"
#include "cameraapi/model/ModelTable.h"

namespace vidscope::api {

struct WhiteBalanceGains {
    double red = 1.0;
    double green = 1.0;
    double blue = 1.0;
};

class WhiteBalance {
public:
    // Gains that make the centre ninth of the frame grey, or nothing when it lacks a colour.
    static std::optional<WhiteBalanceGains> onePush(const uint8_t* raw, uint32_t width,
                                                    uint32_t height, PipelineClass order);
    // Gains from the frame's near-grey cells, or nothing when fewer than 32 qualify.
    // `previousMean` is the brightness measured on the frame before.
    static std::optional<WhiteBalanceGains> estimate(const uint8_t* raw, uint32_t width,
                                                     uint32_t height, PipelineClass order,
                                                     int32_t previousMean);
    // After a conversion with automatic white balance on: asks for a new estimate when the
    // brightness has moved enough since the last one. True when it asked.
    static bool schedule(ImageSettings& settings, uint32_t frameCount);

    static constexpr int kMinGreyCells = 32;
};

}  // namespace vidscope::api
