// SPDX-License-Identifier: MIT
// Mirroring and rotation of converted rows.
#include "cameraapi/IspRowWriter.h"

#include <algorithm>
#include <cstring>

namespace vidscope::api {
namespace {

bool isColour(IspRowWriter::Mode mode) {
    return mode == IspRowWriter::Mode::Colour || mode == IspRowWriter::Mode::GreyAsColour;
}

}  // namespace

IspRowWriter::IspRowWriter(const IspTables& tables, const IspKernels& kernels, Mode mode,
                           OutputLayout layout, uint8_t* out)
    : tables_(tables),
      kernels_(kernels),
      mode_(mode),
      layout_(layout),
      pixelBytes_(isColour(mode) ? layout.bytesPerPixel : 1),
      writtenBytes_(isColour(mode) ? 3 : 1),
      out_(out) {
    if (tables.map.rotated())
        scatterRow_.resize(size_t{tables.map.width()} * pixelBytes_);
}

void IspRowWriter::write(uint32_t y, uint8_t* r, uint8_t* g, uint8_t* b) {
    const uint32_t width = tables_.map.width();
    PixelMap::RowPlacement placement = tables_.map.row(y);
    if (placement.step == -1) {
        // A mirrored row is the forward write of the reversed planes, ending where it began.
        std::reverse(r, r + width);
        if (mode_ == Mode::Colour || mode_ == Mode::GreyFromColour) {
            std::reverse(g, g + width);
            std::reverse(b, b + width);
        }
        placement = {placement.base - (width - 1), 1};
    }
    if (placement.step == 1) {
        writeForward(r, g, b, out_ + placement.base * pixelBytes_);
        return;
    }
    writeForward(r, g, b, scatterRow_.data());
    const uint8_t* from = scatterRow_.data();
    uint8_t* to = out_ + placement.base * pixelBytes_;
    const int64_t stride = placement.step * pixelBytes_;
    for (uint32_t x = 0; x < width; ++x, from += pixelBytes_, to += stride)
        std::memcpy(to, from, writtenBytes_);
}

void IspRowWriter::writeForward(const uint8_t* r, const uint8_t* g, const uint8_t* b,
                                uint8_t* dest) {
    const uint32_t width = tables_.map.width();
    switch (mode_) {
        case Mode::Colour:
            if (tables_.applyMatrix)
                kernels_.writeMatrix(r, g, b, width, tables_, layout_, dest);
            else
                kernels_.writeDirect(r, g, b, width, layout_, dest);
            break;
        case Mode::GreyFromColour:
            kernels_.writeGrey(r, g, b, width, dest);
            break;
        case Mode::Grey:
            std::memcpy(dest, r, width);
            break;
        case Mode::GreyAsColour:
            kernels_.writeDirect(r, r, r, width, layout_, dest);
            break;
    }
}

}  // namespace vidscope::api
