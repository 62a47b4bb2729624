// SPDX-License-Identifier: MIT
// Byte-matrix transposes of the rotated output, one per instruction-set level.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vidscope::api {

// dst[c * dstStride + r] = src[r * srcStride + c] for r < rows and c < cols; either stride
// may be negative, which walks the rows (or writes the columns) backwards.
void transposeBytesPortable(const uint8_t* src, ptrdiff_t srcStride, uint32_t rows, uint32_t cols,
                            uint8_t* dst, ptrdiff_t dstStride);
void transposeBytesAvx2(const uint8_t* src, ptrdiff_t srcStride, uint32_t rows, uint32_t cols,
                        uint8_t* dst, ptrdiff_t dstStride);
void transposeBytesAvx512(const uint8_t* src, ptrdiff_t srcStride, uint32_t rows, uint32_t cols,
                          uint8_t* dst, ptrdiff_t dstStride);

using TransposeBlock = void (*)(const uint8_t* src, ptrdiff_t srcStride, uint8_t* dst,
                                ptrdiff_t dstStride);
using TransposeAny = void (*)(const uint8_t* src, ptrdiff_t srcStride, uint32_t rows, uint32_t cols,
                              uint8_t* dst, ptrdiff_t dstStride);

// The loop of every vector form: strips of 16 rows outermost, so that a call turning a wide
// chunk of a mosaic reads each source row (about a page) once, each strip in blocks of
// `blockColumns` columns by `block` and what is left over by `rest`.
inline void transposeInStrips(const uint8_t* src, ptrdiff_t srcStride, uint32_t rows, uint32_t cols,
                              uint8_t* dst, ptrdiff_t dstStride, uint32_t blockColumns,
                              TransposeBlock block, TransposeAny rest) {
    uint32_t r = 0;
    for (; r + 16 <= rows; r += 16) {
        const uint8_t* from = src + r * srcStride;
        uint32_t c = 0;
        for (; c + blockColumns <= cols; c += blockColumns)
            block(from + c, srcStride, dst + c * dstStride + r, dstStride);
        rest(from + c, srcStride, 16, cols - c, dst + c * dstStride + r, dstStride);
    }
    rest(src + r * srcStride, srcStride, rows - r, cols, dst + r, dstStride);
}

}  // namespace vidscope::api
