// SPDX-License-Identifier: MIT
// Mirroring and rotation of converted rows.
#include "cameraapi/IspRowWriter.h"

#include <cstring>

namespace vidscope::api {
namespace {

bool isColour(IspRowWriter::Mode mode) {
    return mode == IspRowWriter::Mode::Colour || mode == IspRowWriter::Mode::GreyAsColour;
}

}  // namespace

IspRowWriter::IspRowWriter(const IspTables& tables, const IspKernels& kernels, Mode mode,
                           OutputLayout layout, uint8_t* out, bool rawPlanes)
    : tables_(tables),
      kernels_(kernels),
      mode_(mode),
      rawPlanes_(rawPlanes),
      layout_(layout),
      pixelBytes_(isColour(mode) ? layout.bytesPerPixel : 1),
      writtenBytes_(isColour(mode) ? 3 : 1),
      out_(out) {
    if (tables.map.rotated())
        band_.resize(size_t{tables.map.width()} * pixelBytes_ * kBandRows);
}

bool IspRowWriter::takesRawPlanes(const IspTables& tables, const IspKernels& kernels, Mode mode) {
    if (mode == Mode::Colour)
        return tables.applyMatrix && kernels.writeMatrixRaw != nullptr;
    return mode == Mode::GreyFromColour && kernels.writeGreyRaw != nullptr;
}

void IspRowWriter::write(uint32_t y, uint8_t* r, uint8_t* g, uint8_t* b) {
    const uint32_t width = tables_.map.width();
    PixelMap::RowPlacement placement = tables_.map.row(y);
    if (placement.step == -1) {
        // A mirrored row is the forward write of the reversed planes, ending where it began.
        kernels_.reverse(r, width);
        if (mode_ == Mode::Colour || mode_ == Mode::GreyFromColour) {
            kernels_.reverse(g, width);
            kernels_.reverse(b, width);
        }
        placement = {placement.base - (width - 1), 1};
    }
    if (placement.step == 1) {
        writeForward(r, g, b, out_ + placement.base * pixelBytes_);
        return;
    }
    if (bandRows_ == 0)
        bandFirst_ = y;
    writeForward(r, g, b, band_.data() + size_t{bandRows_} * width * pixelBytes_);
    ++bandRows_;
    if (bandRows_ == kBandRows || y + 1 == tables_.map.height())
        flushBand();
}

namespace {

// Copies `rows` pixels of `Bytes` bytes each, one from every band row at column x, into
// consecutive output pixels `next` bytes apart. The fixed size lets each copy be one move.
template <size_t Bytes>
void copyColumn(const uint8_t* from, size_t rowBytes, uint8_t* to, int64_t next, uint32_t rows) {
    for (uint32_t j = 0; j < rows; ++j, to += next, from += rowBytes)
        std::memcpy(to, from, Bytes);
}

}  // namespace

void IspRowWriter::flushBand() {
    const uint32_t width = tables_.map.width();
    const size_t rowBytes = size_t{width} * pixelBytes_;
    const PixelMap::RowPlacement first = tables_.map.row(bandFirst_);
    // Consecutive source rows land in neighbouring output columns.
    const int64_t nextRow = (tables_.map.row(bandFirst_ + 1).base - first.base) * pixelBytes_;
    for (uint32_t x = 0; x < width; ++x) {
        uint8_t* to = out_ + (first.base + int64_t{x} * first.step) * pixelBytes_;
        const uint8_t* from = band_.data() + size_t{x} * pixelBytes_;
        if (writtenBytes_ == 3)
            copyColumn<3>(from, rowBytes, to, nextRow, bandRows_);
        else
            copyColumn<1>(from, rowBytes, to, nextRow, bandRows_);
    }
    bandRows_ = 0;
}

void IspRowWriter::writeForward(const uint8_t* r, const uint8_t* g, const uint8_t* b,
                                uint8_t* dest) {
    const uint32_t width = tables_.map.width();
    switch (mode_) {
        case Mode::Colour:
            if (rawPlanes_)
                kernels_.writeMatrixRaw(r, g, b, width, tables_, layout_, dest);
            else if (tables_.applyMatrix)
                kernels_.writeMatrix(r, g, b, width, tables_, layout_, dest);
            else
                kernels_.writeDirect(r, g, b, width, layout_, dest);
            break;
        case Mode::GreyFromColour:
            if (rawPlanes_)
                kernels_.writeGreyRaw(r, g, b, width, tables_, dest);
            else
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
