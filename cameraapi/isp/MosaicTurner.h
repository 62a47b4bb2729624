// SPDX-License-Identifier: MIT
// The mosaic turned a quarter into the output's orientation, a few rows at a time.
#pragma once

#include <array>
#include <cstdint>

#include "cameraapi/isp/PixelMap.h"
#include "cameraapi/isp/kernels/IspKernels.h"

namespace vidscope::api {

// Turns a chunk of rows (source columns) at a time into a ring of two chunks, so that each
// turned row is read by the interpolation while it is still in cache and the turned mosaic
// never goes out to memory and back. One turner per thread at a time: the ring is the
// calling thread's.
class MosaicTurner {
public:
    // Rows per chunk. Each chunk walks down every source row, a page apiece, so few wide
    // chunks beat many narrow ones; at 512 the ring (3.4 MB for a 3288-row sensor) sits in
    // the last-level cache. Measured on 4384 x 3288: 32 rows cost 10 ms over the upright
    // conversion, 128 rows 5.4 ms, 512 rows 4.0 ms.
    static constexpr uint32_t kChunkRows = 512;

    // `raw` is the source mosaic of `map`'s size; `map` is rotated (mirrors as it says) and
    // outlives the turner.
    MosaicTurner(const uint8_t* raw, const PixelMap& map, const IspKernels& kernels);

    uint32_t width() const { return width_; }  // of the turned mosaic
    uint32_t height() const { return height_; }

    // For each 2 x 2 cell position (x & 1) + 2 (y & 1) of the turned mosaic, the cell position
    // its samples had upright: a turn or mirror moves a Bayer or cell-gain pattern with them.
    static std::array<uint32_t, 4> uprightCells(const PixelMap& map);

    // Turned row v. Rows are asked for in rising order; a row stays valid until a row two
    // chunks further on is asked for, so ask for the lowest row of a neighbourhood last.
    const uint8_t* row(uint32_t v);

private:
    void turnChunk(uint32_t chunk);
    uint8_t* slot(uint32_t chunk) const;

    const uint8_t* raw_;
    const PixelMap& map_;
    const IspKernels& kernels_;
    uint32_t width_;
    uint32_t height_;
    uint8_t* ring_;
    uint32_t chunksTurned_ = 0;
};

}  // namespace vidscope::api
