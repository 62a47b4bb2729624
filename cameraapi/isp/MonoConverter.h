// SPDX-License-Identifier: MIT
// Conversion of monochrome frames into GRAY8 or RGB24 pictures.
#pragma once

#include <cstdint>

#include "cameraapi/isp/IspTables.h"
#include "cameraapi/isp/kernels/IspKernels.h"

namespace vidscope::api {

class MonoConverter {
public:
    MonoConverter(const IspTables& tables, const IspKernels& kernels);

    // RGB24: the tone of a light cross-shaped smoothing (none along the border) in all three
    // colours.
    void convertColour(const uint8_t* raw, OutputLayout layout, uint8_t* out) const;
    // GRAY8: the tone of each sample, then the white-balance gain of its place in a 2 x 2
    // cell, so that a colour-filter calibration carries over to monochrome models.
    void convertGrey(const uint8_t* raw, uint8_t* out) const;
    int32_t meanBrightness(const uint8_t* raw) const;

private:
    // Each sample takes the gain of its cell only, so a quarter turn turns the mosaic in
    // cache-sized chunks and writes whole output rows, with the gains of the cells the
    // samples came from.
    void convertGreyTurned(const uint8_t* raw, uint8_t* out) const;

    const IspTables& tables_;
    const IspKernels& kernels_;
    uint32_t width_;
    uint32_t height_;
};

}  // namespace vidscope::api
