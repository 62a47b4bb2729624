// SPDX-License-Identifier: MIT
// Places converted source rows into the output image through the pixel map.
#pragma once

#include <cstdint>
#include <vector>

#include "cameraapi/IspKernels.h"
#include "cameraapi/IspTables.h"

namespace vidscope::api {

class IspRowWriter {
public:
    enum class Mode {
        Colour,  // RGB24 from three planes, through the colour matrix when the tables say so
        GreyFromColour,  // GRAY8 luminance of three planes
        Grey,            // GRAY8, one plane as it is
        GreyAsColour,    // RGB24 with one plane in all three colours
    };

    IspRowWriter(const IspTables& tables, const IspKernels& kernels, Mode mode, OutputLayout layout,
                 uint8_t* out);

    // Writes source row y. The planes are scratch of at least the map's width and may be
    // reordered in place; the single-plane modes read only `r`.
    void write(uint32_t y, uint8_t* r, uint8_t* g, uint8_t* b);

private:
    void writeForward(const uint8_t* r, const uint8_t* g, const uint8_t* b, uint8_t* dest);

    const IspTables& tables_;
    const IspKernels& kernels_;
    Mode mode_;
    OutputLayout layout_;
    uint32_t pixelBytes_;    // what one output pixel occupies
    uint32_t writtenBytes_;  // what of it is written
    uint8_t* out_;
    std::vector<uint8_t> scatterRow_;  // a row on its way to an output column
};

}  // namespace vidscope::api
