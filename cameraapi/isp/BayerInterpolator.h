// SPDX-License-Identifier: MIT
// Bilinear interpolation of Bayer mosaic frames into GRAY8 or RGB24 pictures.
#pragma once

#include <array>
#include <cstdint>

#include "cameraapi/isp/IspRowWriter.h"
#include "cameraapi/isp/IspTables.h"
#include "cameraapi/isp/kernels/IspKernels.h"
#include "cameraapi/model/ModelTable.h"

namespace vidscope::api {

class BayerInterpolator {
public:
    // `order` is BayerBGGR or BayerGRBG.
    BayerInterpolator(PipelineClass order, const IspTables& tables, const IspKernels& kernels);

    // Converts a mosaic of the tables' map size. `mode` is Colour or GreyFromColour. Returns
    // the frame's brightness, twice the mean of the green sites (half of all pixels): summed
    // row by row while each row is still in cache from its interpolation.
    int32_t convert(const uint8_t* raw, IspRowWriter::Mode mode, OutputLayout layout,
                    uint8_t* out) const;

    // The colour at mosaic position (x, y): 0 red, 1 green, 2 blue.
    static int colourAt(PipelineClass order, uint32_t x, uint32_t y);

private:
    // Colour of each 2 x 2 cell position (x & 1) + 2 (y & 1). A turned or mirrored mosaic
    // can have any of the four Bayer orders, not only the two the sensors deliver.
    using Pattern = std::array<int, 4>;

    // Three neighbouring rows of a mosaic `width` wide.
    struct Rows {
        const uint8_t* above;
        const uint8_t* row;
        const uint8_t* below;
        uint32_t width;
    };

    // A quarter turn costs a transpose of the output, three bytes a pixel. Turning the mosaic
    // instead moves one byte a pixel, and the interpolation then writes whole output rows as
    // it does upright. Bilinear interpolation gives the same samples whichever way the mosaic
    // lies; only the border copies from a chosen neighbour, so the border is redone from the
    // upright mosaic afterwards.
    int32_t convertTurned(const uint8_t* raw, IspRowWriter::Mode mode, OutputLayout layout,
                          uint8_t* out, bool tabled) const;
    Pattern turnedPattern() const;
    void writeTurnedBorder(const uint8_t* raw, IspRowWriter& writer, bool tabled) const;
    int32_t brightness(uint64_t greenSum) const;

    // With `tabled` false the planes keep the interpolated samples for the writer to map.
    void interpolateInner(const Rows& rows, const Pattern& pattern, uint32_t y, bool tabled,
                          uint8_t* planes[3]) const;
    // The border pixels of upright row y: all of them, or the first and last.
    void fillBorder(const uint8_t* raw, uint32_t y, bool wholeRow, bool tabled,
                    uint8_t* planes[3]) const;
    // The three samples of upright border pixel (x, y).
    std::array<uint8_t, 3> borderPixel(const uint8_t* raw, uint32_t x, uint32_t y,
                                       bool tabled) const;
    // Parity of x at the green sites of row y.
    static uint32_t greenPhase(const Pattern& pattern, uint32_t y);

    PipelineClass order_;
    const IspTables& tables_;
    const IspKernels& kernels_;
    uint32_t width_;
    uint32_t height_;
};

}  // namespace vidscope::api
