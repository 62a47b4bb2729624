// SPDX-License-Identifier: MIT
// The AVX2 row loops of the image pipeline, chosen at run time on processors that have it.
#include "cameraapi/isp/kernels/IspKernels.h"

#if defined(__x86_64__)

#include <immintrin.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "cameraapi/isp/kernels/IspAvx2Lanes.h"
#include "cameraapi/isp/kernels/IspKernelsAvx2Mix.h"
#include "cameraapi/isp/kernels/IspKernelsTranspose.h"

namespace vidscope::api {
namespace {

using namespace avx2;

// Where a 256-byte table is looked up by byte shuffles, for N vectors of 32 indices. A
// shuffle looks up the low four bits and yields zero where bit 7 is set, so one shuffle of v
// and one of v ^ 0x80 give the entry of sixteen-byte row j or j + 8; bits 4 to 6 then choose
// among the eight pairs by blends, which look at bit 7 of each byte (a 16-bit shift by s
// brings bit 7 - s of every byte there).
template <int N>
struct LutIndex {
    __m256i v[N];
    __m256i flipped[N];
    __m256i bit4[N];
    __m256i bit5[N];
    __m256i bit6[N];
};

// Sixteen-byte rows 2j and 2j + 1 (2j + 8 and 2j + 9 where bit 7 is set), chosen by bit 4.
template <int N>
VS_AVX2 inline void lookUpPairs(const uint8_t* lut, int j, const LutIndex<N>& at, __m256i out[N]) {
    const __m256i low0 = bothLanes(lut + 32 * j);
    const __m256i high0 = bothLanes(lut + 32 * j + 128);
    const __m256i low1 = bothLanes(lut + 32 * j + 16);
    const __m256i high1 = bothLanes(lut + 32 * j + 144);
    for (int n = 0; n < N; ++n) {
        const __m256i even = _mm256_or_si256(_mm256_shuffle_epi8(low0, at.v[n]),
                                             _mm256_shuffle_epi8(high0, at.flipped[n]));
        const __m256i odd = _mm256_or_si256(_mm256_shuffle_epi8(low1, at.v[n]),
                                            _mm256_shuffle_epi8(high1, at.flipped[n]));
        out[n] = _mm256_blendv_epi8(even, odd, at.bit4[n]);
    }
}

// Rows 64j .. 64j + 63 (+ 128 each) chosen by bits 4 and 5.
template <int N>
VS_AVX2 inline void lookUpQuarter(const uint8_t* lut, int j, const LutIndex<N>& at,
                                  __m256i out[N]) {
    __m256i lower[N];
    __m256i upper[N];
    lookUpPairs<N>(lut, 2 * j, at, lower);
    lookUpPairs<N>(lut, 2 * j + 1, at, upper);
    for (int n = 0; n < N; ++n)
        out[n] = _mm256_blendv_epi8(lower[n], upper[n], at.bit5[n]);
}

// lut[v] for N vectors of 32 bytes, in place; the table rows are loaded once for all.
template <int N>
VS_AVX2 inline void lookUp(const uint8_t* lut, __m256i v[N]) {
    LutIndex<N> at;
    for (int n = 0; n < N; ++n) {
        at.v[n] = v[n];
        at.flipped[n] = _mm256_xor_si256(v[n], bytes(0x80));
        at.bit4[n] = _mm256_slli_epi16(v[n], 3);
        at.bit5[n] = _mm256_slli_epi16(v[n], 2);
        at.bit6[n] = _mm256_add_epi8(v[n], v[n]);
    }
    __m256i lower[N];
    __m256i upper[N];
    lookUpQuarter<N>(lut, 0, at, lower);
    lookUpQuarter<N>(lut, 1, at, upper);
    for (int n = 0; n < N; ++n)
        v[n] = _mm256_blendv_epi8(lower[n], upper[n], at.bit6[n]);
}

// The truncated means of the mosaic computed on bytes, so that 32 pixels fit one register:
// (a + b) >> 1 is the rounding-up average less the bit the rounding added.
struct HalfSum {
    __m256i mean;  // (a + b) >> 1
    __m256i odd;   // a ^ b: bit 0 set where a + b is odd
};

VS_AVX2 inline HalfSum halfSum(__m256i a, __m256i b) {
    const __m256i odd = _mm256_xor_si256(a, b);
    return {_mm256_sub_epi8(_mm256_avg_epu8(a, b), _mm256_and_si256(odd, bytes(1))), odd};
}

// (a + b + c + d) >> 2 from the halves of a + b and c + d: the two dropped bits carry one
// into the sum only when both were set.
VS_AVX2 inline __m256i quarterSum(const HalfSum& ab, const HalfSum& cd) {
    const __m256i bothOdd = _mm256_and_si256(ab.odd, cd.odd);
    const __m256i dropped = _mm256_and_si256(
        _mm256_andnot_si256(bothOdd, _mm256_xor_si256(ab.mean, cd.mean)), bytes(1));
    return _mm256_sub_epi8(_mm256_avg_epu8(ab.mean, cd.mean), dropped);
}

struct MosaicPlanes {
    __m256i own;
    __m256i green;
    __m256i cross;
};

// Inner pixels x .. x + 31 of a mosaic row; `green` marks the lanes at green sites.
VS_AVX2 inline MosaicPlanes interpolate(const BayerRowArgs& a, uint32_t x, __m256i green) {
    const __m256i c0 = load32(a.row + x);
    const HalfSum horizontal = halfSum(load32(a.row + x - 1), load32(a.row + x + 1));
    const HalfSum vertical = halfSum(load32(a.above + x), load32(a.below + x));
    const __m256i diagonal = quarterSum(halfSum(load32(a.above + x - 1), load32(a.above + x + 1)),
                                        halfSum(load32(a.below + x - 1), load32(a.below + x + 1)));
    return {_mm256_blendv_epi8(c0, horizontal.mean, green),
            _mm256_blendv_epi8(quarterSum(horizontal, vertical), c0, green),
            _mm256_blendv_epi8(diagonal, vertical.mean, green)};
}

template <int N>
VS_AVX2 inline void storeThroughLut(const uint8_t* lut, __m256i v[N], uint8_t* plane) {
    if (lut != identityTable())
        lookUp<N>(lut, v);
    for (int n = 0; n < N; ++n)
        store32(plane + 32 * n, v[n]);
}

// N runs of 32 pixels from x on; the table rows are loaded once for all of them.
template <int N>
VS_AVX2 inline void bayerBlocks(const BayerRowArgs& a, uint32_t x, __m256i green) {
    __m256i own[N];
    __m256i greens[N];
    __m256i cross[N];
    for (int n = 0; n < N; ++n) {
        const MosaicPlanes p = interpolate(a, x + 32 * static_cast<uint32_t>(n), green);
        own[n] = p.own;
        greens[n] = p.green;
        cross[n] = p.cross;
    }
    storeThroughLut<N>(a.ownLut, own, a.ownPlane + x);
    storeThroughLut<N>(a.greenLut, greens, a.greenPlane + x);
    storeThroughLut<N>(a.crossLut, cross, a.crossPlane + x);
}

VS_AVX2 void bayerRow(const BayerRowArgs& a) {
    // Lanes whose x has the green parity; blocks start at odd x.
    const __m256i green =
        _mm256_set1_epi16(a.greenPhase == 1 ? 0x00FF : static_cast<int16_t>(0xFF00));
    uint32_t x = 1;
    for (; x + 64 < a.width; x += 64)
        bayerBlocks<2>(a, x, green);
    if (x + 32 < a.width) {
        bayerBlocks<1>(a, x, green);
        x += 32;
    }
    // The last few pixels as the portable loop does them, on a view starting at x - 1.
    BayerRowArgs tail = a;
    const uint32_t shift = x - 1;
    tail.above += shift;
    tail.row += shift;
    tail.below += shift;
    tail.ownPlane += shift;
    tail.greenPlane += shift;
    tail.crossPlane += shift;
    tail.width = a.width - shift;
    tail.greenPhase = a.greenPhase ^ (shift & 1U);
    portableKernels().bayerRow(tail);
}

// Byte tables in place, 32 at a time where they fit.
VS_AVX2 void lookUpInPlace(const uint8_t* lut, uint8_t* plane, uint32_t from, uint32_t to) {
    uint32_t x = from;
    for (; x + 32 <= to; x += 32) {
        __m256i v[1] = {load32(plane + x)};
        lookUp<1>(lut, v);
        store32(plane + x, v[0]);
    }
    for (; x < to; ++x)
        plane[x] = lut[plane[x]];
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
    lookUpInPlace(lut, out, 1, x);
    portableKernels().monoSmoothRow(up + x - 1, c + x - 1, dn + x - 1, width - (x - 1), lut,
                                    out + x - 1);
}

VS_AVX2 void writeDirect(const uint8_t* r, const uint8_t* g, const uint8_t* b, uint32_t count,
                         OutputLayout layout, uint8_t* dest) {
    uint32_t x = 0;
    for (; x + 32 <= count; x += 32) {
        storePixels32(dest + size_t{x} * layout.bytesPerPixel, layout, load32(r + x), load32(g + x),
                      load32(b + x));
    }
    portableKernels().writeDirect(r + x, g + x, b + x, count - x, layout,
                                  dest + size_t{x} * layout.bytesPerPixel);
}

// N runs of 32 bytes from x on, the even bytes through one table and the odd through the
// other.
template <int N>
VS_AVX2 inline void alternateBlocks(const uint8_t* row, uint32_t x, const uint8_t* evenLut,
                                    const uint8_t* oddLut, uint8_t* out) {
    __m256i even[N];
    __m256i odd[N];
    for (int n = 0; n < N; ++n)
        even[n] = odd[n] = load32(row + x + 32 * static_cast<uint32_t>(n));
    lookUp<N>(evenLut, even);
    lookUp<N>(oddLut, odd);
    const __m256i oddLanes = _mm256_set1_epi16(static_cast<int16_t>(0xFF00));
    for (int n = 0; n < N; ++n)
        store32(out + x + 32 * static_cast<uint32_t>(n),
                _mm256_blendv_epi8(even[n], odd[n], oddLanes));
}

VS_AVX2 void alternateRow(const uint8_t* row, uint32_t width, const uint8_t* evenLut,
                          const uint8_t* oddLut, uint8_t* out) {
    uint32_t x = 0;
    for (; x + 64 <= width; x += 64)
        alternateBlocks<2>(row, x, evenLut, oddLut, out);
    if (x + 32 <= width) {
        alternateBlocks<1>(row, x, evenLut, oddLut, out);
        x += 32;
    }
    // x is even, so even and odd carry over.
    portableKernels().alternateRow(row + x, width - x, evenLut, oddLut, out + x);
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
    "avx2",       bayerRow,  monoSmoothRow, writeDirect, avx2::writeMatrix, avx2::writeGrey,
    alternateRow, sumParity, reverse,       nullptr,     nullptr,           transposeBytesAvx2,
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
