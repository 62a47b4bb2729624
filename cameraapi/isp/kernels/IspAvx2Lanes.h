// SPDX-License-Identifier: MIT
// Register helpers shared by the AVX2 row loops: loads, stores and pixel interleaving.
#pragma once

#if defined(__x86_64__)

#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#include "cameraapi/isp/kernels/IspKernels.h"
#include "cameraapi/isp/kernels/IspVectorConstants.h"

#define VS_AVX2 __attribute__((target("avx2")))

namespace vidscope::api::avx2 {

inline constexpr InterleaveMasks kInterleave;

VS_AVX2 inline __m256i widen(const uint8_t* p) {
    return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

// 16 words (0..255 each) to 16 bytes.
VS_AVX2 inline __m128i narrow(__m256i v) {
    return _mm_packus_epi16(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
}

VS_AVX2 inline void store16(uint8_t* p, __m128i v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}

VS_AVX2 inline __m256i load32(const uint8_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

VS_AVX2 inline void store32(uint8_t* p, __m256i v) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}

// 16 bytes from p in both 128-bit lanes: byte shuffles look up within a lane.
VS_AVX2 inline __m256i bothLanes(const uint8_t* p) {
    return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

VS_AVX2 inline __m256i bytes(uint8_t value) {
    return _mm256_set1_epi8(static_cast<char>(value));
}

// Three 16-byte planes as 16 three-byte pixels at dest.
VS_AVX2 inline void storeTriples(uint8_t* dest, __m128i p0, __m128i p1, __m128i p2) {
    for (size_t k = 0; k < 3; ++k) {
        const auto& m = kInterleave.mask[k];
        __m128i v =
            _mm_shuffle_epi8(p0, _mm_load_si128(reinterpret_cast<const __m128i*>(m[0].data())));
        v = _mm_or_si128(
            v, _mm_shuffle_epi8(p1, _mm_load_si128(reinterpret_cast<const __m128i*>(m[1].data()))));
        v = _mm_or_si128(
            v, _mm_shuffle_epi8(p2, _mm_load_si128(reinterpret_cast<const __m128i*>(m[2].data()))));
        store16(dest + 16 * k, v);
    }
}

// Three 16-byte planes as 16 four-byte pixels; the fourth byte of each keeps its value.
VS_AVX2 inline void storeQuads(uint8_t* dest, __m128i p0, __m128i p1, __m128i p2) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i keep = _mm_set1_epi32(static_cast<int>(0xFF000000));
    const __m128i lo01 = _mm_unpacklo_epi8(p0, p1);
    const __m128i hi01 = _mm_unpackhi_epi8(p0, p1);
    const __m128i lo2 = _mm_unpacklo_epi8(p2, zero);
    const __m128i hi2 = _mm_unpackhi_epi8(p2, zero);
    const __m128i quads[4] = {_mm_unpacklo_epi16(lo01, lo2), _mm_unpackhi_epi16(lo01, lo2),
                              _mm_unpacklo_epi16(hi01, hi2), _mm_unpackhi_epi16(hi01, hi2)};
    for (int k = 0; k < 4; ++k) {
        auto* at = reinterpret_cast<__m128i*>(dest + 16 * k);
        store16(dest + 16 * k, _mm_blendv_epi8(quads[k], _mm_loadu_si128(at), keep));
    }
}

VS_AVX2 inline void storePixels(uint8_t* dest, OutputLayout layout, __m128i r, __m128i g,
                                __m128i b) {
    const __m128i first = layout.redOffset == 0 ? r : b;
    const __m128i last = layout.redOffset == 0 ? b : r;
    if (layout.bytesPerPixel == 3)
        storeTriples(dest, first, g, last);
    else
        storeQuads(dest, first, g, last);
}

// Three 32-byte planes as 32 three-byte pixels: each 128-bit lane interleaves its own 16
// pixels, which gives output blocks 0 and 3, 1 and 4, 2 and 5; lane moves put them in order.
VS_AVX2 inline void storeTriples32(uint8_t* dest, __m256i p0, __m256i p1, __m256i p2) {
    __m256i block[3];
    for (size_t k = 0; k < 3; ++k) {
        const auto& m = kInterleave.mask[k];
        __m256i v = _mm256_shuffle_epi8(p0, bothLanes(m[0].data()));
        v = _mm256_or_si256(v, _mm256_shuffle_epi8(p1, bothLanes(m[1].data())));
        block[k] = _mm256_or_si256(v, _mm256_shuffle_epi8(p2, bothLanes(m[2].data())));
    }
    store32(dest, _mm256_permute2x128_si256(block[0], block[1], 0x20));
    store32(dest + 32, _mm256_permute2x128_si256(block[2], block[0], 0x30));
    store32(dest + 64, _mm256_permute2x128_si256(block[1], block[2], 0x31));
}

VS_AVX2 inline void storePixels32(uint8_t* dest, OutputLayout layout, __m256i r, __m256i g,
                                  __m256i b) {
    if (layout.bytesPerPixel == 3) {
        storeTriples32(dest, layout.redOffset == 0 ? r : b, g, layout.redOffset == 0 ? b : r);
        return;
    }
    storePixels(dest, layout, _mm256_castsi256_si128(r), _mm256_castsi256_si128(g),
                _mm256_castsi256_si128(b));
    storePixels(dest + 16 * layout.bytesPerPixel, layout, _mm256_extracti128_si256(r, 1),
                _mm256_extracti128_si256(g, 1), _mm256_extracti128_si256(b, 1));
}

}  // namespace vidscope::api::avx2

#endif
