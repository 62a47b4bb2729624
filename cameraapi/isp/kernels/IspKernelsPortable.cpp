// SPDX-License-Identifier: MIT
// The portable row loops of the image pipeline.
#include <algorithm>

#include "cameraapi/isp/IspTables.h"
#include "cameraapi/isp/kernels/IspKernels.h"
#include "cameraapi/isp/kernels/IspKernelsTranspose.h"

namespace vidscope::api {
namespace {

void bayerRow(const BayerRowArgs& a) {
    const uint8_t* up = a.above;
    const uint8_t* c = a.row;
    const uint8_t* dn = a.below;
    for (uint32_t x = 1; x + 1 < a.width; ++x) {
        uint32_t own;
        uint32_t green;
        uint32_t cross;
        if ((x & 1U) == a.greenPhase) {
            green = c[x];
            own = (c[x - 1] + c[x + 1]) >> 1;
            cross = (up[x] + dn[x]) >> 1;
        } else {
            own = c[x];
            green = (up[x] + dn[x] + c[x - 1] + c[x + 1]) >> 2;
            cross = (up[x - 1] + up[x + 1] + dn[x - 1] + dn[x + 1]) >> 2;
        }
        a.ownPlane[x] = a.ownLut[own];
        a.greenPlane[x] = a.greenLut[green];
        a.crossPlane[x] = a.crossLut[cross];
    }
}

void monoSmoothRow(const uint8_t* up, const uint8_t* c, const uint8_t* dn, uint32_t width,
                   const uint8_t* lut, uint8_t* out) {
    for (uint32_t x = 1; x + 1 < width; ++x) {
        uint32_t vertical = (up[x] + dn[x]) >> 1;
        uint32_t horizontal = (c[x - 1] + c[x + 1]) >> 1;
        out[x] = lut[(vertical + horizontal + 2U * c[x]) >> 2];
    }
}

void writeDirect(const uint8_t* r, const uint8_t* g, const uint8_t* b, uint32_t count,
                 OutputLayout layout, uint8_t* dest) {
    for (uint32_t x = 0; x < count; ++x, dest += layout.bytesPerPixel) {
        dest[layout.redOffset] = r[x];
        dest[1] = g[x];
        dest[layout.blueOffset] = b[x];
    }
}

uint8_t clampByte(int32_t v) {
    return static_cast<uint8_t>(std::clamp(v, 0, 255));
}

void writeMatrix(const uint8_t* r, const uint8_t* g, const uint8_t* b, uint32_t count,
                 const IspTables& tables, OutputLayout layout, uint8_t* dest) {
    const ProductTables& t = tables.colourTables;
    for (uint32_t x = 0; x < count; ++x, dest += layout.bytesPerPixel) {
        dest[layout.redOffset] = clampByte(t[0][r[x]] + t[1][g[x]] + t[2][b[x]]);
        dest[1] = clampByte(t[3][r[x]] + t[4][g[x]] + t[5][b[x]]);
        dest[layout.blueOffset] = clampByte(t[6][r[x]] + t[7][g[x]] + t[8][b[x]]);
    }
}

void writeGrey(const uint8_t* r, const uint8_t* g, const uint8_t* b, uint32_t count,
               uint8_t* dest) {
    const ProductTables& t = IspTables::greyTables();
    for (uint32_t x = 0; x < count; ++x)
        dest[x] = clampByte(t[3][r[x]] + t[4][g[x]] + t[5][b[x]]);
}

void alternateRow(const uint8_t* row, uint32_t width, const uint8_t* evenLut, const uint8_t* oddLut,
                  uint8_t* out) {
    for (uint32_t x = 0; x < width; ++x)
        out[x] = (x & 1U) ? oddLut[row[x]] : evenLut[row[x]];
}

uint64_t sumParity(const uint8_t* row, uint32_t width, uint32_t phase) {
    uint64_t sum = 0;
    for (uint32_t x = phase; x < width; x += 2)
        sum += row[x];
    return sum;
}

void reverse(uint8_t* bytes, uint32_t count) {
    std::reverse(bytes, bytes + count);
}

constexpr IspKernels kPortable = {
    "portable",   bayerRow,  monoSmoothRow, writeDirect, writeMatrix, writeGrey,
    alternateRow, sumParity, reverse,       nullptr,     nullptr,     transposeBytesPortable,
};

constexpr ByteTable kIdentity = [] {
    ByteTable table{};
    for (size_t i = 0; i < 256; ++i)
        table[i] = static_cast<uint8_t>(i);
    return table;
}();

}  // namespace

const IspKernels& portableKernels() {
    return kPortable;
}

const uint8_t* identityTable() {
    return kIdentity.data();
}

}  // namespace vidscope::api
