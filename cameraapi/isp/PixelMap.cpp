// SPDX-License-Identifier: MIT
// Row placements of the mirror and rotation map.
#include "cameraapi/isp/PixelMap.h"

#include "cameraapi/isp/ImageSettings.h"

namespace vidscope::api {

PixelMap PixelMap::build(uint32_t width, uint32_t height, uint16_t flags) {
    PixelMap map;
    map.width_ = width;
    map.height_ = height;
    map.mirrorX_ = (flags & kFlagMirrorX) != 0;
    map.mirrorY_ = (flags & kFlagMirrorY) != 0;
    map.rotated_ = (flags & kFlagRotate) != 0;
    return map;
}

PixelMap::RowPlacement PixelMap::row(uint32_t y) const {
    const int64_t w = width_;
    const int64_t h = height_;
    const int64_t sy = y;
    if (!rotated_) {
        const int64_t destRow = mirrorY_ ? h - 1 - sy : sy;
        return mirrorX_ ? RowPlacement{destRow * w + (w - 1), -1} : RowPlacement{destRow * w, 1};
    }
    // A source row becomes an output column: mirror Y flips which column, mirror X the
    // direction the column is walked.
    const int64_t destColumn = mirrorY_ ? sy : h - 1 - sy;
    return mirrorX_ ? RowPlacement{(w - 1) * h + destColumn, -h} : RowPlacement{destColumn, h};
}

uint64_t PixelMap::destination(uint32_t x, uint32_t y) const {
    RowPlacement placement = row(y);
    return static_cast<uint64_t>(placement.base + int64_t{x} * placement.step);
}

std::vector<uint32_t> PixelMap::materialize() const {
    std::vector<uint32_t> map;
    map.reserve(count());
    for (uint32_t y = 0; y < height_; ++y) {
        RowPlacement placement = row(y);
        for (uint32_t x = 0; x < width_; ++x)
            map.push_back(static_cast<uint32_t>(placement.base + int64_t{x} * placement.step));
    }
    return map;
}

}  // namespace vidscope::api
