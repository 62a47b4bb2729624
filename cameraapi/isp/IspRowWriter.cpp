// SPDX-License-Identifier: MIT
// Mirroring and rotation of converted rows.
#include "cameraapi/isp/IspRowWriter.h"

#include <cstring>
#include <vector>

namespace vidscope::api {
namespace {

bool isColour(IspRowWriter::Mode mode) {
    return mode == IspRowWriter::Mode::Colour || mode == IspRowWriter::Mode::GreyAsColour;
}

bool readsThreePlanes(IspRowWriter::Mode mode) {
    return mode == IspRowWriter::Mode::Colour || mode == IspRowWriter::Mode::GreyFromColour;
}

}  // namespace

IspRowWriter::IspRowWriter(const IspTables& tables, const IspKernels& kernels, Mode mode,
                           OutputLayout layout, uint8_t* out, bool rawPlanes)
    : IspRowWriter(tables, kernels, mode, layout, out, rawPlanes, tables.map) {}

IspRowWriter::IspRowWriter(const IspTables& tables, const IspKernels& kernels, Mode mode,
                           OutputLayout layout, uint8_t* out, bool rawPlanes, const PixelMap& map)
    : tables_(tables),
      map_(map),
      kernels_(kernels),
      mode_(mode),
      rawPlanes_(rawPlanes),
      layout_(layout),
      pixelBytes_(isColour(mode) ? layout.bytesPerPixel : 1),
      writtenBytes_(isColour(mode) ? 3 : 1),
      planes_(readsThreePlanes(mode) ? 3 : 1),
      out_(out) {}

bool IspRowWriter::takesRawPlanes(const IspTables& tables, const IspKernels& kernels, Mode mode) {
    // Raw planes only where the folded products have a vector form; the others take the
    // channel tables first and mix through writeMatrix, which has one for every matrix.
    if (mode == Mode::Colour)
        return tables.applyMatrix && kernels.writeMatrixRaw != nullptr &&
               tables.colourRawSplit.valid;
    return mode == Mode::GreyFromColour && kernels.writeGreyRaw != nullptr &&
           tables.greyRawSplit.valid;
}

void IspRowWriter::write(uint32_t y, uint8_t* r, uint8_t* g, uint8_t* b) {
    const uint32_t width = map_.width();
    if (map_.rotated()) {
        writeRotatedRow(y, r, g, b);
        return;
    }
    PixelMap::RowPlacement placement = map_.row(y);
    if (placement.step == -1) {
        // A mirrored row is the forward write of the reversed planes, ending where it began.
        kernels_.reverse(r, width);
        if (planes_ == 3) {
            kernels_.reverse(g, width);
            kernels_.reverse(b, width);
        }
        placement.base -= width - 1;
    }
    writeForward(r, g, b, width, out_ + placement.base * pixelBytes_);
}

void IspRowWriter::writePixels(const uint8_t* r, const uint8_t* g, const uint8_t* b, uint32_t count,
                               const uint64_t* destinations) {
    std::vector<uint8_t> packed(size_t{count} * pixelBytes_);
    writeForward(r, g, b, count, packed.data());
    for (uint32_t i = 0; i < count; ++i) {
        std::memcpy(out_ + destinations[i] * pixelBytes_, packed.data() + size_t{i} * pixelBytes_,
                    writtenBytes_);
    }
}

void IspRowWriter::writeRotatedRow(uint32_t y, const uint8_t* r, const uint8_t* g,
                                   const uint8_t* b) {
    const PixelMap::RowPlacement placement = map_.row(y);
    std::vector<uint64_t> destinations(map_.width());
    for (uint32_t x = 0; x < map_.width(); ++x)
        destinations[x] = static_cast<uint64_t>(placement.base + int64_t{x} * placement.step);
    writePixels(r, g, b, map_.width(), destinations.data());
}

void IspRowWriter::writeForward(const uint8_t* r, const uint8_t* g, const uint8_t* b,
                                uint32_t count, uint8_t* dest) {
    switch (mode_) {
        case Mode::Colour:
            if (rawPlanes_)
                kernels_.writeMatrixRaw(r, g, b, count, tables_, layout_, dest);
            else if (tables_.applyMatrix)
                kernels_.writeMatrix(r, g, b, count, tables_, layout_, dest);
            else
                kernels_.writeDirect(r, g, b, count, layout_, dest);
            break;
        case Mode::GreyFromColour:
            if (rawPlanes_)
                kernels_.writeGreyRaw(r, g, b, count, tables_, dest);
            else
                kernels_.writeGrey(r, g, b, count, dest);
            break;
        case Mode::Grey:
            std::memcpy(dest, r, count);
            break;
        case Mode::GreyAsColour:
            kernels_.writeDirect(r, r, r, count, layout_, dest);
            break;
    }
}

}  // namespace vidscope::api
