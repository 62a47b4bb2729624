// SPDX-License-Identifier: MIT
// Bilinear interpolation of Bayer mosaic frames into GRAY8 or RGB24 pictures.
#pragma once

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
    // With `tabled` false the planes keep the interpolated samples for the writer to map.
    void interpolateInner(const uint8_t* raw, uint32_t y, bool tabled, uint8_t* planes[3]) const;
    void interpolateBorder(const uint8_t* raw, uint32_t x, uint32_t y, bool tabled,
                           uint8_t* planes[3]) const;
    // Parity of x at the green sites of row y.
    uint32_t greenPhase(uint32_t y) const;

    PipelineClass order_;
    const IspTables& tables_;
    const IspKernels& kernels_;
    uint32_t width_;
    uint32_t height_;
};

}  // namespace vidscope::api
