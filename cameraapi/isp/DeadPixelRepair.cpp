// SPDX-License-Identifier: MIT
// Mapping sensor coordinates of dead pixels into full, windowed and half-size frames.
#include "cameraapi/isp/DeadPixelRepair.h"

#include <algorithm>

namespace vidscope::api {
namespace {

using Location = std::optional<std::pair<uint32_t, uint32_t>>;

Location inFrame(int64_t x, int64_t y) {
    return std::pair{static_cast<uint32_t>(x), static_cast<uint32_t>(y)};
}

}  // namespace

Location DeadPixelRepair::locate(DeadPixel pixel, const FrameWindow& window) {
    const int64_t x = pixel.x;
    const int64_t y = pixel.y;
    const int64_t w = window.width;
    const int64_t h = window.height;
    const int64_t sw = window.sensorWidth;
    const int64_t sh = window.sensorHeight;
    // Each case keeps two same-colour pixels to the left inside the frame.
    if (w == sw && h == sh) {
        if (x >= 2 && x < w && y >= 0 && y < h)
            return inFrame(x, y);
        return std::nullopt;
    }
    if (window.roiEnabled) {
        const int64_t rx = window.roiX;
        const int64_t ry = window.roiY;
        if (x > rx + 2 && x < rx + w && y > ry && y < ry + h)
            return inFrame(x - rx, y - ry);
        return std::nullopt;
    }
    if (window.resolutionMode > 0 && sw > 2 * w && sh > 2 * h) {
        // A half-size mode centred on the sensor: each 2 x 2 cell of the frame comes from a
        // 4 x 4 block, so the colour phase is kept and the rest halves.
        const int64_t ox = (sw - 2 * w) >> 1;
        const int64_t oy = (sh - 2 * h) >> 1;
        const int64_t lx = (x & 1) + ((x - ox) >> 1);
        const int64_t ly = (y & 1) + ((y - oy) >> 1);
        if (lx >= 3 && lx < w && ly >= 1 && ly < h)
            return inFrame(lx, ly);
        return std::nullopt;
    }
    const int64_t ox = (sw - w) / 2;
    const int64_t oy = (sh - h) / 2;
    if (x > ox + 2 && x < ox + w && y > oy && y < oy + h)
        return inFrame(x - ox, y - oy);
    return std::nullopt;
}

void DeadPixelRepair::apply(uint8_t* raw, const FrameWindow& window,
                            std::span<const DeadPixel> list, uint16_t count) {
    if (count == 0 || count == kUnprogrammed)
        return;
    const size_t n = std::min<size_t>(count, list.size());
    for (size_t i = 0; i < n; ++i) {
        if (Location at = locate(list[i], window)) {
            uint8_t* pixel = raw + size_t{at->second} * window.width + at->first;
            *pixel = *(pixel - 2);
        }
    }
}

}  // namespace vidscope::api
