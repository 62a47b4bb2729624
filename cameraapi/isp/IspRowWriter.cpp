// SPDX-License-Identifier: MIT
// Mirroring and rotation of converted rows.
#include "cameraapi/isp/IspRowWriter.h"

#include <algorithm>
#include <cstring>
#include <vector>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace vidscope::api {
namespace {

bool isColour(IspRowWriter::Mode mode) {
    return mode == IspRowWriter::Mode::Colour || mode == IspRowWriter::Mode::GreyAsColour;
}

bool readsThreePlanes(IspRowWriter::Mode mode) {
    return mode == IspRowWriter::Mode::Colour || mode == IspRowWriter::Mode::GreyFromColour;
}

// Kept per thread because two processing threads convert at once; grows to the largest
// frame the thread has rotated and is reused from then on, so frames do not allocate.
uint8_t* threadScratch(size_t bytes) {
    thread_local std::vector<uint8_t> scratch;
    if (scratch.size() < bytes)
        scratch.resize(bytes);
    return scratch.data();
}

// Copies one run of a rotated tile into the output. The runs of a tile lie in as many output
// rows, often as many pages, and are not read again: whole cache lines are written around
// the caches so that none is first fetched from memory, only the partial lines at either end
// the ordinary way; fenceRuns() orders them before the frame is handed on.
void copyRun(uint8_t* dest, const uint8_t* from, size_t bytes) {
#if defined(__x86_64__)
    constexpr uintptr_t kLine = 64;
    const uintptr_t start = reinterpret_cast<uintptr_t>(dest);
    const size_t head = std::min(bytes, static_cast<size_t>((kLine - start % kLine) % kLine));
    std::memcpy(dest, from, head);
    size_t done = head;
    for (; done + kLine <= bytes; done += kLine) {
        for (size_t part = 0; part < kLine; part += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + done + part));
            _mm_stream_si128(reinterpret_cast<__m128i*>(dest + done + part), v);
        }
    }
    std::memcpy(dest + done, from + done, bytes - done);
#else
    std::memcpy(dest, from, bytes);
#endif
}

void fenceRuns() {
#if defined(__x86_64__)
    _mm_sfence();
#endif
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
      out_(out) {
    if (!map.rotated())
        return;
    const size_t bandBytes = size_t{planes_} * kBandRows * map.width();
    const size_t tileBytes = size_t{planes_} * kTileColumns * kBandRows;
    const size_t tileOutBytes = size_t{kTileColumns} * kBandRows * pixelBytes_;
    band_ = threadScratch(bandBytes + tileBytes + tileOutBytes);
    tile_ = band_ + bandBytes;
    tileOut_ = tile_ + tileBytes;
}

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
        keepInBand(y, r, g, b);
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

void IspRowWriter::keepInBand(uint32_t y, const uint8_t* r, const uint8_t* g, const uint8_t* b) {
    const uint32_t width = map_.width();
    const size_t planeBytes = size_t{kBandRows} * width;
    if (bandRows_ == 0)
        bandFirst_ = y;
    uint8_t* row = band_ + size_t{bandRows_} * width;
    std::memcpy(row, r, width);
    if (planes_ == 3) {
        std::memcpy(row + planeBytes, g, width);
        std::memcpy(row + 2 * planeBytes, b, width);
    }
    ++bandRows_;
    if (bandRows_ == kBandRows || y + 1 == map_.height())
        flushBand();
}

void IspRowWriter::flushBand() {
    const PixelMap& map = map_;
    const uint32_t width = map.width();
    // Source column x of the band becomes one run of an output row. Under mirror Y the band's
    // rows follow each other along that run; otherwise they run backwards, so the transpose
    // starts from the band's last row.
    const bool forwards = map.mirrorY();
    const uint32_t firstRow = forwards ? 0 : bandRows_ - 1;
    const ptrdiff_t rowStep = forwards ? ptrdiff_t{width} : -ptrdiff_t{width};
    const PixelMap::RowPlacement run = map.row(bandFirst_ + firstRow);
    const uint8_t* from = band_ + size_t{firstRow} * width;
    for (uint32_t x0 = 0; x0 < width; x0 += kTileColumns) {
        const uint32_t cols = std::min(kTileColumns, width - x0);
        if (mode_ == Mode::Grey) {
            // Grey samples are the output: transpose them straight into place.
            kernels_.transpose(from + x0, rowStep, bandRows_, cols, out_ + run.base + x0 * run.step,
                               run.step);
        } else {
            flushTile(from + x0, rowStep, x0, cols, run);
        }
    }
    fenceRuns();
    bandRows_ = 0;
}

void IspRowWriter::flushTile(const uint8_t* from, ptrdiff_t rowStep, uint32_t x0, uint32_t cols,
                             PixelMap::RowPlacement run) {
    const uint32_t rows = bandRows_;
    const size_t planeBytes = size_t{kBandRows} * map_.width();
    uint8_t* tiles[3] = {nullptr, nullptr, nullptr};
    for (uint32_t p = 0; p < planes_; ++p) {
        tiles[p] = tile_ + size_t{p} * kTileColumns * kBandRows;
        kernels_.transpose(from + p * planeBytes, rowStep, rows, cols, tiles[p], rows);
    }
    const size_t runBytes = size_t{rows} * pixelBytes_;
    auto runStart = [&](uint32_t t) {
        return out_ + (run.base + int64_t{x0 + t} * run.step) * pixelBytes_;
    };
    // The row loops write whole pixels of the tile; a byte they leave alone must come out as
    // the output held it.
    if (writtenBytes_ < pixelBytes_) {
        for (uint32_t t = 0; t < cols; ++t)
            std::memcpy(tileOut_ + t * runBytes, runStart(t), runBytes);
    }
    writeForward(tiles[0], tiles[1], tiles[2], cols * rows, tileOut_);
    for (uint32_t t = 0; t < cols; ++t)
        copyRun(runStart(t), tileOut_ + t * runBytes, runBytes);
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
