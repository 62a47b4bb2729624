// SPDX-License-Identifier: MIT
// Where each source pixel lands in the output image under mirroring and quarter-turn rotation.
#pragma once

#include <cstdint>
#include <vector>

namespace vidscope::api {

// The destination of source pixel (x, y) of a W x H image is linear in x within one source
// row, so the map is kept as its geometry instead of one index per pixel: a full-sensor map
// would be 57 MB that every conversion has to stream through.
class PixelMap {
public:
    // Destination index of (x, y) in row y is base + x * step.
    struct RowPlacement {
        int64_t base;
        int64_t step;
    };

    // Maps nothing: no frame size matches it.
    PixelMap() = default;
    // The map for a W x H image with the mirror and rotate bits of an image flags word.
    static PixelMap build(uint32_t width, uint32_t height, uint16_t flags);

    uint32_t width() const { return width_; }  // of the source (sensor) image
    uint32_t height() const { return height_; }
    uint64_t count() const { return uint64_t{width_} * height_; }
    bool mirrorX() const { return mirrorX_; }
    bool mirrorY() const { return mirrorY_; }
    bool rotated() const { return rotated_; }
    // Size of the image the map writes: height x width under rotation.
    uint32_t outputWidth() const { return rotated_ ? height_ : width_; }
    uint32_t outputHeight() const { return rotated_ ? width_ : height_; }

    RowPlacement row(uint32_t y) const;
    uint64_t destination(uint32_t x, uint32_t y) const;
    // One destination index per source pixel, in source order.
    std::vector<uint32_t> materialize() const;

private:
    uint32_t width_ = 0;
    uint32_t height_ = 0;
    bool mirrorX_ = false;
    bool mirrorY_ = false;
    bool rotated_ = false;
};

}  // namespace vidscope::api
