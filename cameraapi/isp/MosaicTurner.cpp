// SPDX-License-Identifier: MIT
// Chunked quarter turn of the mosaic through the transpose kernels.
#include "cameraapi/isp/MosaicTurner.h"

#include <algorithm>
#include <vector>

namespace vidscope::api {
namespace {

// Kept per thread because two processing threads convert at once; grows to the widest
// turned mosaic the thread has seen and is reused from then on.
uint8_t* threadRing(size_t bytes) {
    thread_local std::vector<uint8_t> ring;
    if (ring.size() < bytes)
        ring.resize(bytes);
    return ring.data();
}

}  // namespace

MosaicTurner::MosaicTurner(const uint8_t* raw, const PixelMap& map, const IspKernels& kernels)
    : raw_(raw),
      map_(map),
      kernels_(kernels),
      width_(map.outputWidth()),
      height_(map.outputHeight()),
      ring_(threadRing(size_t{2} * kChunkRows * map.outputWidth())) {}

std::array<uint32_t, 4> MosaicTurner::uprightCells(const PixelMap& map) {
    const uint64_t turnedWidth = map.outputWidth();
    std::array<uint32_t, 4> cells{};
    for (uint32_t y = 0; y < 2; ++y) {
        for (uint32_t x = 0; x < 2; ++x) {
            const uint64_t at = map.destination(x, y);
            cells[(at % turnedWidth & 1U) + 2U * (at / turnedWidth & 1U)] = x + 2U * y;
        }
    }
    return cells;
}

const uint8_t* MosaicTurner::row(uint32_t v) {
    const uint32_t chunk = v / kChunkRows;
    while (chunksTurned_ <= chunk)
        turnChunk(chunksTurned_++);
    return slot(chunk) + size_t{v % kChunkRows} * width_;
}

uint8_t* MosaicTurner::slot(uint32_t chunk) const {
    return ring_ + size_t{chunk % 2} * kChunkRows * width_;
}

void MosaicTurner::turnChunk(uint32_t chunk) {
    const uint32_t sourceWidth = map_.width();
    const uint32_t sourceHeight = map_.height();
    const uint32_t first = chunk * kChunkRows;
    const uint32_t count = std::min(kChunkRows, height_ - first);
    // Turned row v is source column v, or column width - 1 - v under mirror X.
    const uint32_t x0 = map_.mirrorX() ? sourceWidth - first - count : first;
    // Source row y lands in one turned column; consecutive rows in neighbouring columns,
    // leftwards unless mirrored in Y, so the transpose reads from the last row then.
    const bool forwards = map_.mirrorY();
    const uint32_t y0 = forwards ? 0 : sourceHeight - 1;
    const ptrdiff_t rowStep = forwards ? ptrdiff_t{sourceWidth} : -ptrdiff_t{sourceWidth};
    const PixelMap::RowPlacement run = map_.row(y0);
    const int64_t target = run.base + int64_t{x0} * run.step - int64_t{first} * width_;
    kernels_.transpose(raw_ + size_t{y0} * sourceWidth + x0, rowStep, sourceHeight, count,
                       slot(chunk) + target, run.step);
}

}  // namespace vidscope::api
