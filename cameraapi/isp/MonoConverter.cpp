// SPDX-License-Identifier: MIT
// Monochrome rows: smoothing for colour output, cell gains for grey output.
#include "cameraapi/isp/MonoConverter.h"

#include <vector>

#include "cameraapi/isp/IspRowWriter.h"
#include "cameraapi/isp/MosaicTurner.h"

namespace vidscope::api {

MonoConverter::MonoConverter(const IspTables& tables, const IspKernels& kernels)
    : tables_(tables),
      kernels_(kernels),
      width_(tables.map.width()),
      height_(tables.map.height()) {}

namespace {

// Smooths the rows rowAt(0 .. height - 1) into the writer, the border copied through the tone
// table. Asks for each row's lower neighbour before the row and its upper one.
template <typename RowAt>
void smoothRows(const IspKernels& kernels, const uint8_t* tone, uint32_t width, uint32_t height,
                RowAt rowAt, IspRowWriter& writer) {
    std::vector<uint8_t> plane(width);
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* below = y + 1 < height ? rowAt(y + 1) : nullptr;
        const uint8_t* row = rowAt(y);
        if (y > 0 && below != nullptr && width >= 3) {
            kernels.monoSmoothRow(rowAt(y - 1), row, below, width, tone, plane.data());
            plane[0] = tone[row[0]];
            plane[width - 1] = tone[row[width - 1]];
        } else {
            for (uint32_t x = 0; x < width; ++x)
                plane[x] = tone[row[x]];
        }
        writer.write(y, plane.data(), nullptr, nullptr);
    }
}

}  // namespace

void MonoConverter::convertColour(const uint8_t* raw, OutputLayout layout, uint8_t* out) const {
    const uint8_t* tone = tables_.toneLut.data();
    constexpr auto kMode = IspRowWriter::Mode::GreyAsColour;
    // The smoothing is the same whichever way the image lies and the border goes pixel by
    // pixel, so a quarter turn turns the mosaic, one byte a pixel, rather than the output.
    if (tables_.map.rotated() && width_ >= 3 && height_ >= 3) {
        MosaicTurner turner(raw, tables_.map, kernels_);
        const PixelMap upright = PixelMap::build(turner.width(), turner.height(), 0);
        IspRowWriter writer(tables_, kernels_, kMode, layout, out, false, upright);
        smoothRows(
            kernels_, tone, turner.width(), turner.height(),
            [&turner](uint32_t v) { return turner.row(v); }, writer);
        return;
    }
    IspRowWriter writer(tables_, kernels_, kMode, layout, out);
    smoothRows(
        kernels_, tone, width_, height_,
        [raw, this](uint32_t y) { return raw + size_t{y} * width_; }, writer);
}

void MonoConverter::convertGrey(const uint8_t* raw, uint8_t* out) const {
    if (tables_.map.rotated() && width_ >= 2 && height_ >= 2) {
        convertGreyTurned(raw, out);
        return;
    }
    std::vector<uint8_t> plane(width_);
    IspRowWriter writer(tables_, kernels_, IspRowWriter::Mode::Grey, OutputLayout{}, out);
    for (uint32_t y = 0; y < height_; ++y) {
        const uint8_t* row = raw + size_t{y} * width_;
        kernels_.alternateRow(row, width_, tables_.monoGreyLut[2 * (y & 1U)].data(),
                              tables_.monoGreyLut[2 * (y & 1U) + 1].data(), plane.data());
        writer.write(y, plane.data(), nullptr, nullptr);
    }
}

void MonoConverter::convertGreyTurned(const uint8_t* raw, uint8_t* out) const {
    MosaicTurner turner(raw, tables_.map, kernels_);
    const std::array<uint32_t, 4> cells = MosaicTurner::uprightCells(tables_.map);
    const uint32_t width = turner.width();
    for (uint32_t v = 0; v < turner.height(); ++v) {
        const uint32_t even = cells[2 * (v & 1U)];
        const uint32_t odd = cells[2 * (v & 1U) + 1];
        kernels_.alternateRow(turner.row(v), width, tables_.monoGreyLut[even].data(),
                              tables_.monoGreyLut[odd].data(), out + size_t{v} * width);
    }
}

int32_t MonoConverter::meanBrightness(const uint8_t* raw) const {
    uint64_t sum = 0;
    for (uint32_t y = 0; y < height_; ++y) {
        const uint8_t* row = raw + size_t{y} * width_;
        sum += kernels_.sumParity(row, width_, 0) + kernels_.sumParity(row, width_, 1);
    }
    return static_cast<int32_t>(sum / height_ / width_);
}

}  // namespace vidscope::api
