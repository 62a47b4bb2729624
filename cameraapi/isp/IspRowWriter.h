// SPDX-License-Identifier: MIT
// Places converted source rows into the output image through the pixel map.
#pragma once

#include <cstddef>
#include <cstdint>

#include "cameraapi/isp/IspTables.h"
#include "cameraapi/isp/kernels/IspKernels.h"

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
    // As above, placing rows by `map` instead of the tables' own; the map outlives the writer.
    IspRowWriter(const IspTables& tables, const IspKernels& kernels, Mode mode, OutputLayout layout,
                 uint8_t* out, bool rawPlanes, const PixelMap& map);

    static bool takesRawPlanes(const IspTables& tables, const IspKernels& kernels, Mode mode);

    // Writes source row y. The planes are scratch of at least the map's width and may be
    // reordered in place; the single-plane modes read only `r`. Rotated rows go pixel by
    // pixel: only frames too small to turn their mosaic (MosaicTurner) come here rotated.
    void write(uint32_t y, uint8_t* r, uint8_t* g, uint8_t* b);

    // Writes count pixels of the planes, pixel i at output index destinations[i], whatever
    // the map says.
    void writePixels(const uint8_t* r, const uint8_t* g, const uint8_t* b, uint32_t count,
                     const uint64_t* destinations);

private:
    void writeForward(const uint8_t* r, const uint8_t* g, const uint8_t* b, uint32_t count,
                      uint8_t* dest);
    void writeRotatedRow(uint32_t y, const uint8_t* r, const uint8_t* g, const uint8_t* b);

    const IspTables& tables_;
    const PixelMap& map_;
    const IspKernels& kernels_;
    Mode mode_;
    bool rawPlanes_;
    OutputLayout layout_;
    uint32_t pixelBytes_;    // what one output pixel occupies
    uint32_t writtenBytes_;  // what of it is written
    uint32_t planes_;        // how many of r, g, b the mode reads
    uint8_t* out_;
};

}  // namespace vidscope::api
