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

    // With `rawPlanes` the colour planes have not been through the channel tables yet; only
    // for modes and kernels that takesRawPlanes() allows.
    IspRowWriter(const IspTables& tables, const IspKernels& kernels, Mode mode, OutputLayout layout,
                 uint8_t* out, bool rawPlanes = false);

    static bool takesRawPlanes(const IspTables& tables, const IspKernels& kernels, Mode mode);

    // Writes source row y; rows come in order, the last one is the map's last. The planes are
    // scratch of at least the map's width and may be reordered in place; the single-plane
    // modes read only `r`.
    void write(uint32_t y, uint8_t* r, uint8_t* g, uint8_t* b);

private:
    // Rotated output is written in bands of source rows: each source column of a band is a
    // short run of adjacent output pixels, where single rows would touch one cache line per
    // pixel.
    static constexpr uint32_t kBandRows = 32;

    void writeForward(const uint8_t* r, const uint8_t* g, const uint8_t* b, uint8_t* dest);
    void flushBand();

    const IspTables& tables_;
    const IspKernels& kernels_;
    Mode mode_;
    bool rawPlanes_;
    OutputLayout layout_;
    uint32_t pixelBytes_;    // what one output pixel occupies
    uint32_t writtenBytes_;  // what of it is written
    uint8_t* out_;
    std::vector<uint8_t> band_;  // converted rows on their way to output columns
    uint32_t bandFirst_ = 0;     // source row of the band's first row
    uint32_t bandRows_ = 0;
};

}  // namespace vidscope::api
