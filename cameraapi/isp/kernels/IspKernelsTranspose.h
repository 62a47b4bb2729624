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

}  // namespace vidscope::api
