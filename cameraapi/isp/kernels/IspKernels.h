// SPDX-License-Identifier: MIT
// The per-row inner loops of the image pipeline, one set per instruction-set level.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vidscope::api {

struct IspTables;

// Byte layout of one output pixel: green is always byte 1.
struct OutputLayout {
    uint32_t bytesPerPixel = 3;  // 3, or 4 with the fourth byte left untouched
    uint32_t redOffset = 0;
    uint32_t blueOffset = 2;
};

// Inner pixels x = 1 .. width - 2 of one mosaic row. The row holds green and one other
// colour, its "own" colour; the "cross" colour is the one of the rows above and below.
struct BayerRowArgs {
    const uint8_t* above;
    const uint8_t* row;
    const uint8_t* below;
    uint32_t width;
    uint32_t greenPhase;  // parity of x at the row's green sites
    const uint8_t* ownLut;
    const uint8_t* greenLut;
    const uint8_t* crossLut;
    uint8_t* ownPlane;
    uint8_t* greenPlane;
    uint8_t* crossPlane;
};

// Every member of every set produces the same bytes; the sets differ only in speed.
struct IspKernels {
    const char* name;
    void (*bayerRow)(const BayerRowArgs& args);
    // Inner pixels x = 1 .. width - 2: lut of the cross-shaped smoothing of monochrome frames.
    void (*monoSmoothRow)(const uint8_t* above, const uint8_t* row, const uint8_t* below,
                          uint32_t width, const uint8_t* lut, uint8_t* out);
    // Interleaves three planes into pixels.
    void (*writeDirect)(const uint8_t* r, const uint8_t* g, const uint8_t* b, uint32_t count,
                        OutputLayout layout, uint8_t* dest);
    // Mixes the planes through the colour tables, clamped to 0..255.
    void (*writeMatrix)(const uint8_t* r, const uint8_t* g, const uint8_t* b, uint32_t count,
                        const IspTables& tables, OutputLayout layout, uint8_t* dest);
    // Luminance of the planes, one byte per pixel.
    void (*writeGrey)(const uint8_t* r, const uint8_t* g, const uint8_t* b, uint32_t count,
                      uint8_t* dest);
    // out[x] = (x even ? evenLut : oddLut)[row[x]] for the whole row.
    void (*alternateRow)(const uint8_t* row, uint32_t width, const uint8_t* evenLut,
                         const uint8_t* oddLut, uint8_t* out);
    // Sum of row[x] over the x of the given parity.
    uint64_t (*sumParity)(const uint8_t* row, uint32_t width, uint32_t phase);
    // Reverses count bytes in place.
    void (*reverse)(uint8_t* bytes, uint32_t count);
    // As writeMatrix and writeGrey, from planes not yet through the channel tables, which
    // these apply themselves (folded into the mixing). Null where a set has no such form.
    void (*writeMatrixRaw)(const uint8_t* r, const uint8_t* g, const uint8_t* b, uint32_t count,
                           const IspTables& tables, OutputLayout layout, uint8_t* dest);
    void (*writeGreyRaw)(const uint8_t* r, const uint8_t* g, const uint8_t* b, uint32_t count,
                         const IspTables& tables, uint8_t* dest);
    // dst[c * dstStride + r] = src[r * srcStride + c] for r < rows, c < cols; a negative
    // stride walks backwards.
    void (*transpose)(const uint8_t* src, ptrdiff_t srcStride, uint32_t rows, uint32_t cols,
                      uint8_t* dst, ptrdiff_t dstStride);
};

// The table that maps every byte to itself: a row loop handed it may skip the lookup.
const uint8_t* identityTable();

// The plain C++ set: runs everywhere and is the reference the others are tested against.
const IspKernels& portableKernels();
// The AVX2 set, or null when it was not compiled in (not an x86-64 build).
const IspKernels* avx2Kernels();
// The AVX-512 set (byte and word instructions with byte permutes), or null as above.
const IspKernels* avx512Kernels();

}  // namespace vidscope::api
