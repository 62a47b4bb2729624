// SPDX-License-Identifier: MIT
// The AVX2 row loops of the image pipeline, chosen at run time on processors that have it.
#include "cameraapi/IspKernels.h"

#if defined(__x86_64__)

#include <immintrin.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "cameraapi/IspTables.h"
#include "cameraapi/IspVectorConstants.h"

#define VS_AVX2 __attribute__((target("avx2")))

namespace vidscope::api {
namespace {

constexpr InterleaveMasks kInterleave;

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

// Byte tables have no vector form here; the lookups run over the finished row.
inline void lookUp(const uint8_t* lut, uint8_t* plane, uint32_t from, uint32_t to) {
    for (uint32_t x = from; x < to; ++x)
        plane[x] = lut[plane[x]];
}

VS_AVX2 void bayerRow(const BayerRowArgs& a) {
    // Lanes whose x has the green parity; blocks start at odd x.
    const __m256i greenLanes = a.greenPhase == 1 ? _mm256_set1_epi32(0x0000FFFF)
                                                 : _mm256_set1_epi32(static_cast<int>(0xFFFF0000));
    uint32_t x = 1;
    for (; x + 16 < a.width; x += 16) {
        const __m256i cm = widen(a.row + x - 1);
        const __m256i c0 = widen(a.row + x);
        const __m256i cp = widen(a.row + x + 1);
        const __m256i up = widen(a.above + x);
        const __m256i dn = widen(a.below + x);
        const __m256i horizontal = _mm256_add_epi16(cm, cp);
        const __m256i vertical = _mm256_add_epi16(up, dn);
        const __m256i diagonal =
            _mm256_add_epi16(_mm256_add_epi16(widen(a.above + x - 1), widen(a.above + x + 1)),
                             _mm256_add_epi16(widen(a.below + x - 1), widen(a.below + x + 1)));
        const __m256i cross4 = _mm256_srli_epi16(_mm256_add_epi16(horizontal, vertical), 2);
        const __m256i own = _mm256_blendv_epi8(c0, _mm256_srli_epi16(horizontal, 1), greenLanes);
        const __m256i green = _mm256_blendv_epi8(cross4, c0, greenLanes);
        const __m256i cross = _mm256_blendv_epi8(_mm256_srli_epi16(diagonal, 2),
                                                 _mm256_srli_epi16(vertical, 1), greenLanes);
        store16(a.ownPlane + x, narrow(own));
        store16(a.greenPlane + x, narrow(green));
        store16(a.crossPlane + x, narrow(cross));
    }
    // The last few pixels, and their tables, as the portable loop does them.
    BayerRowArgs tail = a;
    const uint32_t done = x;
    tail.above += done - 1;
    tail.row += done - 1;
    tail.below += done - 1;
    tail.ownPlane += done - 1;
    tail.greenPlane += done - 1;
    tail.crossPlane += done - 1;
    tail.width = a.width - (done - 1);
    tail.greenPhase = a.greenPhase ^ ((done - 1) & 1U);
    portableKernels().bayerRow(tail);
    lookUp(a.ownLut, a.ownPlane, 1, done);
    lookUp(a.greenLut, a.greenPlane, 1, done);
    lookUp(a.crossLut, a.crossPlane, 1, done);
}

VS_AVX2 void monoSmoothRow(const uint8_t* up, const uint8_t* c, const uint8_t* dn, uint32_t width,
                           const uint8_t* lut, uint8_t* out) {
    uint32_t x = 1;
    for (; x + 16 < width; x += 16) {
        const __m256i vertical =
            _mm256_srli_epi16(_mm256_add_epi16(widen(up + x), widen(dn + x)), 1);
        const __m256i horizontal =
            _mm256_srli_epi16(_mm256_add_epi16(widen(c + x - 1), widen(c + x + 1)), 1);
        const __m256i centre = _mm256_slli_epi16(widen(c + x), 1);
        const __m256i sum = _mm256_add_epi16(_mm256_add_epi16(vertical, horizontal), centre);
        store16(out + x, narrow(_mm256_srli_epi16(sum, 2)));
    }
    lookUp(lut, out, 1, x);
    portableKernels().monoSmoothRow(up + x - 1, c + x - 1, dn + x - 1, width - (x - 1), lut,
                                    out + x - 1);
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

VS_AVX2 void writeDirect(const uint8_t* r, const uint8_t* g, const uint8_t* b, uint32_t count,
                         OutputLayout layout, uint8_t* dest) {
    uint32_t x = 0;
    for (; x + 16 <= count; x += 16) {
        storePixels(dest + size_t{x} * layout.bytesPerPixel, layout,
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(r + x)),
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(g + x)),
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + x)));
    }
    portableKernels().writeDirect(r + x, g + x, b + x, count - x, layout,
                                  dest + size_t{x} * layout.bytesPerPixel);
}

struct VectorRow {
    __m256i whole[3];
    __m256i fraction[3];
    __m256i flip[3];
    __m256i bias;
};

VS_AVX2 inline VectorRow vectorRow(const MixingRow& row) {
    VectorRow v;
    for (size_t i = 0; i < 3; ++i) {
        v.whole[i] = _mm256_set1_epi16(row.whole[i]);
        v.fraction[i] = _mm256_set1_epi16(static_cast<int16_t>(row.fraction[i]));
        v.flip[i] = _mm256_set1_epi16(static_cast<int16_t>(row.flip[i]));
    }
    v.bias = _mm256_set1_epi16(row.bias);
    return v;
}

// One output channel of 16 pixels from the three input channels, clamped to 0..255.
VS_AVX2 inline __m128i mix(const VectorRow& m, const __m256i in[3]) {
    __m256i sum = m.bias;
    for (size_t i = 0; i < 3; ++i) {
        sum = _mm256_add_epi16(sum, _mm256_mullo_epi16(in[i], m.whole[i]));
        const __m256i part = _mm256_mulhi_epu16(in[i], m.fraction[i]);
        sum = _mm256_add_epi16(sum, _mm256_xor_si256(part, m.flip[i]));
    }
    // Saturating narrowing is the clamp to 0..255.
    return narrow(sum);
}

// Four bytes from any address as four 32-bit lanes.
VS_AVX2 inline __m128i fourSamples(const uint8_t* p) {
    int32_t word;
    std::memcpy(&word, p, sizeof word);
    return _mm_cvtepu8_epi32(_mm_cvtsi32_si128(word));
}

// The products exactly as the tables hold them: trunc(v x m) in double precision, four
// pixels at a time. For matrices whose tables have no integer multiply form.
VS_AVX2 inline __m128i mixDoubles(const double* m, const __m128i in[3]) {
    __m128i sum = _mm_setzero_si128();
    for (size_t i = 0; i < 3; ++i) {
        const __m256d v = _mm256_cvtepi32_pd(in[i]);
        sum = _mm_add_epi32(sum, _mm256_cvttpd_epi32(_mm256_mul_pd(v, _mm256_set1_pd(m[i]))));
    }
    return sum;
}

VS_AVX2 void writeMatrixDoubles(const uint8_t* r, const uint8_t* g, const uint8_t* b,
                                uint32_t count, const IspTables& tables, OutputLayout layout,
                                uint8_t* dest) {
    const std::array<double, 9>& matrix = tables.mixingMatrix;
    uint32_t x = 0;
    for (; x + 16 <= count; x += 16) {
        __m128i channel[3][4];
        for (int q = 0; q < 4; ++q) {
            const __m128i in[3] = {fourSamples(r + x + 4 * q), fourSamples(g + x + 4 * q),
                                   fourSamples(b + x + 4 * q)};
            for (size_t c = 0; c < 3; ++c)
                channel[c][q] = mixDoubles(matrix.data() + 3 * c, in);
        }
        __m128i out[3];
        for (size_t c = 0; c < 3; ++c) {
            // Saturating packs are the clamp to 0..255.
            const __m128i lo = _mm_packs_epi32(channel[c][0], channel[c][1]);
            const __m128i hi = _mm_packs_epi32(channel[c][2], channel[c][3]);
            out[c] = _mm_packus_epi16(lo, hi);
        }
        storePixels(dest + size_t{x} * layout.bytesPerPixel, layout, out[0], out[1], out[2]);
    }
    portableKernels().writeMatrix(r + x, g + x, b + x, count - x, tables, layout,
                                  dest + size_t{x} * layout.bytesPerPixel);
}

VS_AVX2 void writeMatrix(const uint8_t* r, const uint8_t* g, const uint8_t* b, uint32_t count,
                         const IspTables& tables, OutputLayout layout, uint8_t* dest) {
    if (!tables.colourFixed) {
        writeMatrixDoubles(r, g, b, count, tables, layout, dest);
        return;
    }
    const VectorRow rows[3] = {vectorRow(MixingRow::of(*tables.colourFixed, 0)),
                               vectorRow(MixingRow::of(*tables.colourFixed, 1)),
                               vectorRow(MixingRow::of(*tables.colourFixed, 2))};
    uint32_t x = 0;
    for (; x + 16 <= count; x += 16) {
        const __m256i in[3] = {widen(r + x), widen(g + x), widen(b + x)};
        storePixels(dest + size_t{x} * layout.bytesPerPixel, layout, mix(rows[0], in),
                    mix(rows[1], in), mix(rows[2], in));
    }
    portableKernels().writeMatrix(r + x, g + x, b + x, count - x, tables, layout,
                                  dest + size_t{x} * layout.bytesPerPixel);
}

VS_AVX2 void writeGrey(const uint8_t* r, const uint8_t* g, const uint8_t* b, uint32_t count,
                       uint8_t* dest) {
    const VectorRow luminance = vectorRow(MixingRow::of(IspTables::greyFixed(), 1));
    uint32_t x = 0;
    for (; x + 16 <= count; x += 16) {
        const __m256i in[3] = {widen(r + x), widen(g + x), widen(b + x)};
        store16(dest + x, mix(luminance, in));
    }
    portableKernels().writeGrey(r + x, g + x, b + x, count - x, dest + x);
}

// Two byte tables per row have no faster form here than the plain loop.
void alternateRow(const uint8_t* row, uint32_t width, const uint8_t* evenLut, const uint8_t* oddLut,
                  uint8_t* out) {
    portableKernels().alternateRow(row, width, evenLut, oddLut, out);
}

VS_AVX2 uint64_t sumParity(const uint8_t* row, uint32_t width, uint32_t phase) {
    const __m256i keep = _mm256_set1_epi16(phase == 0 ? 0x00FF : static_cast<int16_t>(0xFF00));
    __m256i sums = _mm256_setzero_si256();
    uint32_t x = 0;
    for (; x + 32 <= width; x += 32) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + x));
        sums = _mm256_add_epi64(sums,
                                _mm256_sad_epu8(_mm256_and_si256(v, keep), _mm256_setzero_si256()));
    }
    alignas(32) uint64_t lanes[4];
    _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), sums);
    // x is a multiple of 32, so the parity carries over to the rest.
    return lanes[0] + lanes[1] + lanes[2] + lanes[3] +
           portableKernels().sumParity(row + x, width - x, phase);
}

VS_AVX2 inline __m256i reversed(__m256i v) {
    const __m256i inLane = _mm256_setr_epi8(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0,
                                            15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
    return _mm256_permute2x128_si256(_mm256_shuffle_epi8(v, inLane), v, 0x01);
}

VS_AVX2 void reverse(uint8_t* bytes, uint32_t count) {
    uint8_t* lo = bytes;
    uint8_t* hi = bytes + count;
    while (hi - lo >= 64) {
        hi -= 32;
        const __m256i front = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(lo));
        const __m256i back = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(hi));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(lo), reversed(back));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(hi), reversed(front));
        lo += 32;
    }
    std::reverse(lo, hi);
}

constexpr IspKernels kAvx2 = {
    "avx2",       bayerRow,  monoSmoothRow, writeDirect, writeMatrix, writeGrey,
    alternateRow, sumParity, reverse,       nullptr,     nullptr,
};

}  // namespace

const IspKernels* avx2Kernels() {
    return &kAvx2;
}

}  // namespace vidscope::api

#else

namespace vidscope::api {

const IspKernels* avx2Kernels() {
    return nullptr;
}

}  // namespace vidscope::api

#endif
