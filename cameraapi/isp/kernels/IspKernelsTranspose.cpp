// SPDX-License-Identifier: MIT
// Byte transposes by unpack networks: 16 rows at a time, 16 columns per 128-bit lane.
#include "cameraapi/isp/kernels/IspKernelsTranspose.h"

#include <algorithm>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace vidscope::api {

void transposeBytesPortable(const uint8_t* src, ptrdiff_t srcStride, uint32_t rows, uint32_t cols,
                            uint8_t* dst, ptrdiff_t dstStride) {
    // A strip of rows at a time, so that each column is written a run of bytes long and the
    // strip's rows stay in cache while their columns are read one by one.
    constexpr uint32_t kStripRows = 16;
    for (uint32_t r0 = 0; r0 < rows; r0 += kStripRows) {
        const uint32_t strip = std::min(kStripRows, rows - r0);
        const uint8_t* rowStart = src + r0 * srcStride;
        for (uint32_t c = 0; c < cols; ++c) {
            const uint8_t* from = rowStart + c;
            uint8_t* to = dst + c * dstStride + r0;
            for (uint32_t r = 0; r < strip; ++r, from += srcStride)
                to[r] = *from;
        }
    }
}

#if defined(__x86_64__)

namespace {

#define VS_AVX2 __attribute__((target("avx2")))
#define VS_AVX512 __attribute__((target("avx512f,avx512bw")))

// Four rounds of pairwise unpacks, by 8, 16, 32 and 64 bits, turn sixteen rows of a lane
// into its sixteen columns; vector j then holds the column whose index is j with its four
// bits reversed.
constexpr int kColumnOf[16] = {0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15};

template <int Bits>
VS_AVX2 inline __m256i unpackLow(__m256i a, __m256i b) {
    if constexpr (Bits == 8)
        return _mm256_unpacklo_epi8(a, b);
    else if constexpr (Bits == 16)
        return _mm256_unpacklo_epi16(a, b);
    else if constexpr (Bits == 32)
        return _mm256_unpacklo_epi32(a, b);
    else
        return _mm256_unpacklo_epi64(a, b);
}

template <int Bits>
VS_AVX2 inline __m256i unpackHigh(__m256i a, __m256i b) {
    if constexpr (Bits == 8)
        return _mm256_unpackhi_epi8(a, b);
    else if constexpr (Bits == 16)
        return _mm256_unpackhi_epi16(a, b);
    else if constexpr (Bits == 32)
        return _mm256_unpackhi_epi32(a, b);
    else
        return _mm256_unpackhi_epi64(a, b);
}

template <int Bits>
VS_AVX2 inline void unpackRound(__m256i (&v)[16]) {
    __m256i t[16];
    for (int i = 0; i < 8; ++i) {
        t[i] = unpackLow<Bits>(v[2 * i], v[2 * i + 1]);
        t[i + 8] = unpackHigh<Bits>(v[2 * i], v[2 * i + 1]);
    }
    for (int i = 0; i < 16; ++i)
        v[i] = t[i];
}

// 16 rows x 32 columns.
VS_AVX2 void block16x32(const uint8_t* src, ptrdiff_t srcStride, uint8_t* dst,
                        ptrdiff_t dstStride) {
    __m256i v[16];
    for (int i = 0; i < 16; ++i)
        v[i] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i * srcStride));
    unpackRound<8>(v);
    unpackRound<16>(v);
    unpackRound<32>(v);
    unpackRound<64>(v);
    for (int j = 0; j < 16; ++j) {
        uint8_t* column = dst + kColumnOf[j] * dstStride;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(column), _mm256_castsi256_si128(v[j]));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(column + 16 * dstStride),
                         _mm256_extracti128_si256(v[j], 1));
    }
}

// The all-lanes masked forms: GCC 12 warns that the unmasked ones read an uninitialised
// register.
constexpr __mmask16 kEvery32Bits = 0xFFFF;
constexpr __mmask8 kEvery64Bits = 0xFF;

template <int Bits>
VS_AVX512 inline __m512i unpackLow(__m512i a, __m512i b) {
    if constexpr (Bits == 8)
        return _mm512_unpacklo_epi8(a, b);
    else if constexpr (Bits == 16)
        return _mm512_unpacklo_epi16(a, b);
    else if constexpr (Bits == 32)
        return _mm512_maskz_unpacklo_epi32(kEvery32Bits, a, b);
    else
        return _mm512_maskz_unpacklo_epi64(kEvery64Bits, a, b);
}

template <int Bits>
VS_AVX512 inline __m512i unpackHigh(__m512i a, __m512i b) {
    if constexpr (Bits == 8)
        return _mm512_unpackhi_epi8(a, b);
    else if constexpr (Bits == 16)
        return _mm512_unpackhi_epi16(a, b);
    else if constexpr (Bits == 32)
        return _mm512_maskz_unpackhi_epi32(kEvery32Bits, a, b);
    else
        return _mm512_maskz_unpackhi_epi64(kEvery64Bits, a, b);
}

template <int Bits>
VS_AVX512 inline void unpackRound(__m512i (&v)[16]) {
    __m512i t[16];
    for (int i = 0; i < 8; ++i) {
        t[i] = unpackLow<Bits>(v[2 * i], v[2 * i + 1]);
        t[i + 8] = unpackHigh<Bits>(v[2 * i], v[2 * i + 1]);
    }
    for (int i = 0; i < 16; ++i)
        v[i] = t[i];
}

// 16 rows x 64 columns.
VS_AVX512 void block16x64(const uint8_t* src, ptrdiff_t srcStride, uint8_t* dst,
                          ptrdiff_t dstStride) {
    __m512i v[16];
    for (int i = 0; i < 16; ++i)
        v[i] = _mm512_loadu_si512(src + i * srcStride);
    unpackRound<8>(v);
    unpackRound<16>(v);
    unpackRound<32>(v);
    unpackRound<64>(v);
    for (int j = 0; j < 16; ++j) {
        uint8_t* column = dst + kColumnOf[j] * dstStride;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(column),
                         _mm512_maskz_extracti32x4_epi32(0xF, v[j], 0));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(column + 16 * dstStride),
                         _mm512_maskz_extracti32x4_epi32(0xF, v[j], 1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(column + 32 * dstStride),
                         _mm512_maskz_extracti32x4_epi32(0xF, v[j], 2));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(column + 48 * dstStride),
                         _mm512_maskz_extracti32x4_epi32(0xF, v[j], 3));
    }
}

}  // namespace

void transposeBytesAvx2(const uint8_t* src, ptrdiff_t srcStride, uint32_t rows, uint32_t cols,
                        uint8_t* dst, ptrdiff_t dstStride) {
    transposeInStrips(src, srcStride, rows, cols, dst, dstStride, 32, block16x32,
                      transposeBytesPortable);
}

void transposeBytesAvx512(const uint8_t* src, ptrdiff_t srcStride, uint32_t rows, uint32_t cols,
                          uint8_t* dst, ptrdiff_t dstStride) {
    transposeInStrips(src, srcStride, rows, cols, dst, dstStride, 64, block16x64,
                      transposeBytesAvx2);
}

#endif

}  // namespace vidscope::api
