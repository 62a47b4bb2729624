// SPDX-License-Identifier: MIT
// Monochrome rows: smoothing for colour output, cell gains for grey output.
#include "cameraapi/isp/MonoConverter.h"

#include <vector>

#include "cameraapi/isp/IspRowWriter.h"

namespace vidscope::api {

MonoConverter::MonoConverter(const IspTables& tables, const IspKernels& kernels)
    : tables_(tables),
      kernels_(kernels),
      width_(tables.map.width()),
      height_(tables.map.height()) {}

void MonoConverter::convertColour(const uint8_t* raw, OutputLayout layout, uint8_t* out) const {
    std::vector<uint8_t> plane(width_);
    IspRowWriter writer(tables_, kernels_, IspRowWriter::Mode::GreyAsColour, layout, out);
    const uint8_t* tone = tables_.toneLut.data();
    for (uint32_t y = 0; y < height_; ++y) {
        const uint8_t* row = raw + size_t{y} * width_;
        if (y > 0 && y + 1 < height_ && width_ >= 3) {
            kernels_.monoSmoothRow(row - width_, row, row + width_, width_, tone, plane.data());
            plane[0] = tone[row[0]];
            plane[width_ - 1] = tone[row[width_ - 1]];
        } else {
            for (uint32_t x = 0; x < width_; ++x)
                plane[x] = tone[row[x]];
        }
        writer.write(y, plane.data(), nullptr, nullptr);
    }
}

void MonoConverter::convertGrey(const uint8_t* raw, uint8_t* out) const {
    std::vector<uint8_t> plane(width_);
    IspRowWriter writer(tables_, kernels_, IspRowWriter::Mode::Grey, OutputLayout{}, out);
    for (uint32_t y = 0; y < height_; ++y) {
        const uint8_t* row = raw + size_t{y} * width_;
        kernels_.alternateRow(row, width_, tables_.monoGreyLut[2 * (y & 1U)].data(),
                              tables_.monoGreyLut[2 * (y & 1U) + 1].data(), plane.data());
        writer.write(y, plane.data(), nullptr, nullptr);
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
