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

    // Writes source row y; rows come in order, the last one is the map's last. The planes are
    // scratch of at least the map's width and may be reordered in place; the single-plane
    // modes read only `r`.
    void write(uint32_t y, uint8_t* r, uint8_t* g, uint8_t* b);

    // Writes count pixels of the planes, pixel i at output index destinations[i], whatever
    // the map says.
    void writePixels(const uint8_t* r, const uint8_t* g, const uint8_t* b, uint32_t count,
                     const uint64_t* destinations);

    // Rotated output turns source rows into output columns, which written one at a time would
    // touch a cache line (and often a page) per pixel. The planes of a band of source rows are
    // kept instead, then transposed a tile at a time, so that the output is written along its
    // rows, kBandRows pixels at a time, by the same row loops as unrotated output. Taller
    // bands cost scratch (three planes of the frame's width each) and win less and less.
    // Frames interpolated or smoothed turn their mosaic instead (MosaicTurner) and come here
    // upright; the band serves monochrome grey output and frames too small to interpolate.
    static constexpr uint32_t kBandRows = 128;
    static constexpr uint32_t kTileColumns = 64;

private:
    void writeForward(const uint8_t* r, const uint8_t* g, const uint8_t* b, uint32_t count,
                      uint8_t* dest);
    void keepInBand(uint32_t y, const uint8_t* r, const uint8_t* g, const uint8_t* b);
    void flushBand();
    void flushTile(const uint8_t* from, ptrdiff_t rowStep, uint32_t x0, uint32_t cols,
                   PixelMap::RowPlacement run);

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
    // Rotation scratch of the calling thread (one writer at a time per thread): the band's
    // planes, kBandRows rows of the map's width each; a tile of them transposed; the tile's
    // output pixels.
    uint8_t* band_ = nullptr;
    uint8_t* tile_ = nullptr;
    uint8_t* tileOut_ = nullptr;
    uint32_t bandFirst_ = 0;  // source row of the band's first row
    uint32_t bandRows_ = 0;
};

}  // namespace vidscope::api
