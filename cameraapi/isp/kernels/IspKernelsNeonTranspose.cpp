// SPDX-License-Identifier: MIT
// The NEON byte transpose of rotated output: sixteen rows by sixteen columns by TRN networks.
#include "cameraapi/isp/kernels/IspKernelsNeon.h"

#if defined(__aarch64__)

#include <arm_neon.h>

#include "cameraapi/isp/kernels/IspKernelsTranspose.h"

namespace vidscope::api {
namespace {

template <int Bits>
inline void transposePair(uint8x16_t& a, uint8x16_t& b) {
    uint8x16_t first;
    uint8x16_t second;
    if constexpr (Bits == 8) {
        first = vtrn1q_u8(a, b);
        second = vtrn2q_u8(a, b);
    } else if constexpr (Bits == 16) {
        first = vreinterpretq_u8_u16(vtrn1q_u16(vreinterpretq_u16_u8(a), vreinterpretq_u16_u8(b)));
        second = vreinterpretq_u8_u16(vtrn2q_u16(vreinterpretq_u16_u8(a), vreinterpretq_u16_u8(b)));
    } else if constexpr (Bits == 32) {
        first = vreinterpretq_u8_u32(vtrn1q_u32(vreinterpretq_u32_u8(a), vreinterpretq_u32_u8(b)));
        second = vreinterpretq_u8_u32(vtrn2q_u32(vreinterpretq_u32_u8(a), vreinterpretq_u32_u8(b)));
    } else {
        first = vreinterpretq_u8_u64(vtrn1q_u64(vreinterpretq_u64_u8(a), vreinterpretq_u64_u8(b)));
        second = vreinterpretq_u8_u64(vtrn2q_u64(vreinterpretq_u64_u8(a), vreinterpretq_u64_u8(b)));
    }
    a = first;
    b = second;
}

// One round swaps the off-diagonal Bits-wide elements of the vectors `distance` apart. After
// the rounds by 8, 16, 32 and 64 bits, vector j holds column j.
template <int Bits, int Distance>
inline void transposeRound(uint8x16_t (&v)[16]) {
    for (int i = 0; i < 16; ++i) {
        if ((i & Distance) == 0)
            transposePair<Bits>(v[i], v[i + Distance]);
    }
}

void block16x16(const uint8_t* src, ptrdiff_t srcStride, uint8_t* dst, ptrdiff_t dstStride) {
    uint8x16_t v[16];
    for (int i = 0; i < 16; ++i)
        v[i] = vld1q_u8(src + i * srcStride);
    transposeRound<8, 1>(v);
    transposeRound<16, 2>(v);
    transposeRound<32, 4>(v);
    transposeRound<64, 8>(v);
    for (int j = 0; j < 16; ++j)
        vst1q_u8(dst + j * dstStride, v[j]);
}

}  // namespace

void transposeBytesNeon(const uint8_t* src, ptrdiff_t srcStride, uint32_t rows, uint32_t cols,
                        uint8_t* dst, ptrdiff_t dstStride) {
    transposeInStrips(src, srcStride, rows, cols, dst, dstStride, 16, block16x16,
                      transposeBytesPortable);
}

}  // namespace vidscope::api

#endif
