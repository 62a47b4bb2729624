// SPDX-License-Identifier: MIT
// Mosaic interpolation: vector row loops inside, neighbour copies along the border.
#include "cameraapi/isp/BayerInterpolator.h"

#include <algorithm>
#include <vector>

#include "cameraapi/isp/MosaicTurner.h"

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

// BGGR: blue, green, green, red; GRBG: green, red, blue, green.
constexpr std::array<int, 4> kPatternBGGR = {2, 1, 1, 0};
constexpr std::array<int, 4> kPatternGRBG = {1, 0, 2, 1};

const std::array<int, 4>& patternOf(PipelineClass order) {
    return order == PipelineClass::BayerBGGR ? kPatternBGGR : kPatternGRBG;
}

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
    return patternOf(order)[(x & 1U) + 2U * (y & 1U)];
}

uint32_t BayerInterpolator::greenPhase(const Pattern& pattern, uint32_t y) {
    return pattern[2U * (y & 1U)] == 1 ? 0U : 1U;
}

int32_t BayerInterpolator::convert(const uint8_t* raw, IspRowWriter::Mode mode, OutputLayout layout,
                                   uint8_t* out) const {
    // Where the writer can fold the channel tables into its mixing, the planes skip them.
    const bool tabled = !IspRowWriter::takesRawPlanes(tables_, kernels_, mode);
    if (tables_.map.rotated() && width_ >= 3 && height_ >= 3)
        return convertTurned(raw, mode, layout, out, tabled);
    IspRowWriter writer(tables_, kernels_, mode, layout, out, !tabled);
    std::vector<uint8_t> scratch(size_t{width_} * 3);
    uint8_t* planes[3] = {scratch.data(), scratch.data() + width_, scratch.data() + 2 * width_};
    const Pattern& pattern = patternOf(order_);
    const bool hasInner = width_ >= 3 && height_ >= 3;
    uint64_t greenSum = 0;
    for (uint32_t y = 0; y < height_; ++y) {
        const uint8_t* row = raw + size_t{y} * width_;
        greenSum += kernels_.sumParity(row, width_, greenPhase(pattern, y));
        const bool innerRow = hasInner && y > 0 && y + 1 < height_;
        if (innerRow) {
            interpolateInner(Rows{row - width_, row, row + width_, width_}, pattern, y, tabled,
                             planes);
        }
        fillBorder(raw, y, !innerRow, tabled, planes);
        writer.write(y, planes[0], planes[1], planes[2]);
    }
    return brightness(greenSum);
}

int32_t BayerInterpolator::brightness(uint64_t greenSum) const {
    return static_cast<int32_t>(2 * greenSum / height_ / width_);
}

int32_t BayerInterpolator::convertTurned(const uint8_t* raw, IspRowWriter::Mode mode,
                                         OutputLayout layout, uint8_t* out, bool tabled) const {
    MosaicTurner turner(raw, tables_.map, kernels_);
    const uint32_t width = turner.width();
    const uint32_t height = turner.height();
    const PixelMap upright = PixelMap::build(width, height, 0);
    IspRowWriter writer(tables_, kernels_, mode, layout, out, !tabled, upright);
    std::vector<uint8_t> scratch(size_t{width} * 3);
    uint8_t* planes[3] = {scratch.data(), scratch.data() + width, scratch.data() + 2 * width};
    const Pattern pattern = turnedPattern();
    uint64_t greenSum = 0;
    for (uint32_t v = 0; v < height; ++v) {
        // The row below first: asking for it may turn the next chunk over the oldest one.
        const uint8_t* below = v + 1 < height ? turner.row(v + 1) : nullptr;
        const uint8_t* row = turner.row(v);
        greenSum += kernels_.sumParity(row, width, greenPhase(pattern, v));
        if (v == 0 || below == nullptr)
            continue;  // all border, written below
        interpolateInner(Rows{turner.row(v - 1), row, below, width}, pattern, v, tabled, planes);
        // Its first and last pixels are border too, overwritten below.
        writer.write(v, planes[0], planes[1], planes[2]);
    }
    writeTurnedBorder(raw, writer, tabled);
    return brightness(greenSum);
}

BayerInterpolator::Pattern BayerInterpolator::turnedPattern() const {
    const std::array<uint32_t, 4> cells = MosaicTurner::uprightCells(tables_.map);
    Pattern pattern{};
    for (size_t cell = 0; cell < 4; ++cell)
        pattern[cell] = patternOf(order_)[cells[cell]];
    return pattern;
}

void BayerInterpolator::writeTurnedBorder(const uint8_t* raw, IspRowWriter& writer,
                                          bool tabled) const {
    const size_t count = 2 * size_t{width_} + 2 * size_t{height_ - 2};
    std::vector<uint8_t> samples(3 * count);
    std::vector<uint64_t> destinations(count);
    size_t i = 0;
    auto take = [&](uint32_t x, uint32_t y) {
        const std::array<uint8_t, 3> pixel = borderPixel(raw, x, y, tabled);
        for (size_t c = 0; c < 3; ++c)
            samples[c * count + i] = pixel[c];
        destinations[i++] = tables_.map.destination(x, y);
    };
    for (uint32_t x = 0; x < width_; ++x) {
        take(x, 0);
        take(x, height_ - 1);
    }
    for (uint32_t y = 1; y + 1 < height_; ++y) {
        take(0, y);
        take(width_ - 1, y);
    }
    writer.writePixels(samples.data(), samples.data() + count, samples.data() + 2 * count,
                       static_cast<uint32_t>(count), destinations.data());
}

void BayerInterpolator::fillBorder(const uint8_t* raw, uint32_t y, bool wholeRow, bool tabled,
                                   uint8_t* planes[3]) const {
    auto fill = [&](uint32_t x) {
        const std::array<uint8_t, 3> pixel = borderPixel(raw, x, y, tabled);
        for (size_t c = 0; c < 3; ++c)
            planes[c][x] = pixel[c];
    };
    if (!wholeRow) {
        fill(0);
        fill(width_ - 1);
        return;
    }
    for (uint32_t x = 0; x < width_; ++x)
        fill(x);
}

void BayerInterpolator::interpolateInner(const Rows& rows, const Pattern& pattern, uint32_t y,
                                         bool tabled, uint8_t* planes[3]) const {
    const uint32_t phase = greenPhase(pattern, y);
    // The row's own colour is the one at its non-green sites.
    const int own = pattern[(phase ^ 1U) + 2U * (y & 1U)];
    const int cross = 2 - own;
    BayerRowArgs args{};
    args.above = rows.above;
    args.row = rows.row;
    args.below = rows.below;
    args.width = rows.width;
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

std::array<uint8_t, 3> BayerInterpolator::borderPixel(const uint8_t* raw, uint32_t x, uint32_t y,
                                                      bool tabled) const {
    const BorderRule& rule = order_ == PipelineClass::BayerBGGR ? kBorderBGGR : kBorderGRBG;
    const auto& cell = rule[(x & 1U) + 2U * (y & 1U)];
    std::array<uint8_t, 3> pixel{};
    for (size_t c = 0; c < 3; ++c) {
        uint32_t nx = clampedAdd(x, cell[c].dx, width_);
        uint32_t ny = clampedAdd(y, cell[c].dy, height_);
        const uint8_t sample = raw[size_t{ny} * width_ + nx];
        pixel[c] = tabled ? tables_.channelLut[c][sample] : sample;
    }
    return pixel;
}

}  // namespace vidscope::api
