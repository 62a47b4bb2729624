// SPDX-License-Identifier: MIT
// Mosaic interpolation: vector row loops inside, neighbour copies along the border.
#include "cameraapi/isp/BayerInterpolator.h"

#include <algorithm>
#include <array>
#include <vector>

namespace vidscope::api {
namespace {

struct Offset {
    int dx;
    int dy;
};

// Border pixels copy each colour from one neighbour of the same 2 x 2 cell, by cell position
// (x & 1) + 2 (y & 1) and colour (red, green, blue).
using BorderRule = std::array<std::array<Offset, 3>, 4>;

constexpr BorderRule kBorderBGGR = {{
    {{{1, 1}, {1, 0}, {0, 0}}},
    {{{0, 1}, {0, 0}, {-1, 0}}},
    {{{1, 0}, {0, 0}, {0, -1}}},
    {{{0, 0}, {-1, 0}, {-1, -1}}},
}};

constexpr BorderRule kBorderGRBG = {{
    {{{1, 0}, {0, 0}, {0, 1}}},
    {{{0, 0}, {-1, 0}, {-1, 1}}},
    {{{1, -1}, {1, 0}, {0, 0}}},
    {{{0, -1}, {0, 0}, {-1, 0}}},
}};

// The neighbour lies inside any frame of even size; odd sizes from a careless caller are
// clamped so that nothing outside the frame is read.
uint32_t clampedAdd(uint32_t value, int delta, uint32_t size) {
    int64_t moved = int64_t{value} + delta;
    return static_cast<uint32_t>(std::clamp<int64_t>(moved, 0, int64_t{size} - 1));
}

}  // namespace

BayerInterpolator::BayerInterpolator(PipelineClass order, const IspTables& tables,
                                     const IspKernels& kernels)
    : order_(order),
      tables_(tables),
      kernels_(kernels),
      width_(tables.map.width()),
      height_(tables.map.height()) {}

int BayerInterpolator::colourAt(PipelineClass order, uint32_t x, uint32_t y) {
    const uint32_t cell = (x & 1U) + 2U * (y & 1U);
    // BGGR: blue, green, green, red; GRBG: green, red, blue, green.
    static constexpr std::array<int, 4> kBGGR = {2, 1, 1, 0};
    static constexpr std::array<int, 4> kGRBG = {1, 0, 2, 1};
    return order == PipelineClass::BayerBGGR ? kBGGR[cell] : kGRBG[cell];
}

uint32_t BayerInterpolator::greenPhase(uint32_t y) const {
    return colourAt(order_, 0, y) == 1 ? 0U : 1U;
}

int32_t BayerInterpolator::convert(const uint8_t* raw, IspRowWriter::Mode mode, OutputLayout layout,
                                   uint8_t* out) const {
    std::vector<uint8_t> scratch(size_t{width_} * 3);
    uint8_t* planes[3] = {scratch.data(), scratch.data() + width_, scratch.data() + 2 * width_};
    // Where the writer can fold the channel tables into its mixing, the planes skip them.
    const bool tabled = !IspRowWriter::takesRawPlanes(tables_, kernels_, mode);
    IspRowWriter writer(tables_, kernels_, mode, layout, out, !tabled);
    const bool hasInner = width_ >= 3 && height_ >= 3;
    uint64_t greenSum = 0;
    for (uint32_t y = 0; y < height_; ++y) {
        greenSum += kernels_.sumParity(raw + size_t{y} * width_, width_, greenPhase(y));
        if (hasInner && y > 0 && y + 1 < height_) {
            interpolateInner(raw, y, tabled, planes);
            interpolateBorder(raw, 0, y, tabled, planes);
            interpolateBorder(raw, width_ - 1, y, tabled, planes);
        } else {
            for (uint32_t x = 0; x < width_; ++x)
                interpolateBorder(raw, x, y, tabled, planes);
        }
        writer.write(y, planes[0], planes[1], planes[2]);
    }
    return static_cast<int32_t>(2 * greenSum / height_ / width_);
}

void BayerInterpolator::interpolateInner(const uint8_t* raw, uint32_t y, bool tabled,
                                         uint8_t* planes[3]) const {
    const uint8_t* row = raw + size_t{y} * width_;
    const uint32_t phase = greenPhase(y);
    // The row's own colour is the one at its non-green sites.
    const int own = colourAt(order_, phase ^ 1U, y);
    const int cross = 2 - own;
    BayerRowArgs args{};
    args.above = row - width_;
    args.row = row;
    args.below = row + width_;
    args.width = width_;
    args.greenPhase = phase;
    args.ownLut = tabled ? tables_.channelLut[static_cast<size_t>(own)].data() : identityTable();
    args.greenLut = tabled ? tables_.channelLut[IspTables::kGreen].data() : identityTable();
    args.crossLut =
        tabled ? tables_.channelLut[static_cast<size_t>(cross)].data() : identityTable();
    args.ownPlane = planes[own];
    args.greenPlane = planes[1];
    args.crossPlane = planes[cross];
    kernels_.bayerRow(args);
}

void BayerInterpolator::interpolateBorder(const uint8_t* raw, uint32_t x, uint32_t y, bool tabled,
                                          uint8_t* planes[3]) const {
    const BorderRule& rule = order_ == PipelineClass::BayerBGGR ? kBorderBGGR : kBorderGRBG;
    const auto& cell = rule[(x & 1U) + 2U * (y & 1U)];
    for (size_t c = 0; c < 3; ++c) {
        uint32_t nx = clampedAdd(x, cell[c].dx, width_);
        uint32_t ny = clampedAdd(y, cell[c].dy, height_);
        const uint8_t sample = raw[size_t{ny} * width_ + nx];
        planes[c][x] = tabled ? tables_.channelLut[c][sample] : sample;
    }
}

}  // namespace vidscope::api
