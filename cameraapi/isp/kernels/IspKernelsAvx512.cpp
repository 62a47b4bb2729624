// SPDX-License-Identifier: MIT
// The AVX-512 row loops of the image pipeline (byte, word and byte-permute instructions).
#include "cameraapi/isp/kernels/IspKernels.h"

#if defined(__x86_64__)

#include <immintrin.h>

#include <algorithm>
#include <array>

#include "cameraapi/isp/IspTables.h"
#include "cameraapi/isp/kernels/IspKernelsTranspose.h"

#define VS_AVX512 __attribute__((target("avx512f,avx512bw,avx512vbmi")))

namespace vidscope::api {
namespace {

// Byte permutes that interleave three 64-byte planes into pixels of `Bytes` bytes: for each
// 64-byte output block, `pair` takes the first two planes' bytes (second plane from 64 on)
// and `third` the third plane's, which `thirdMask` selects; `written` leaves byte 3 alone.
template <int Bytes>
struct Interleave {
    alignas(64) std::array<std::array<uint8_t, 64>, Bytes> pair{};
    alignas(64) std::array<std::array<uint8_t, 64>, Bytes> third{};
    std::array<uint64_t, Bytes> thirdMask{};
    std::array<uint64_t, Bytes> written{};

    constexpr Interleave() {
        for (int k = 0; k < Bytes; ++k) {
            for (int j = 0; j < 64; ++j) {
                const int n = 64 * k + j;
                const int pixel = n / Bytes;
                const int channel = n % Bytes;
                const auto kk = static_cast<size_t>(k);
                const auto jj = static_cast<size_t>(j);
                pair[kk][jj] = static_cast<uint8_t>(channel == 1 ? 64 + pixel : pixel);
                third[kk][jj] = static_cast<uint8_t>(pixel);
                if (channel == 2)
                    thirdMask[kk] |= uint64_t{1} << j;
                if (channel < 3)
                    written[kk] |= uint64_t{1} << j;
            }
        }
    }
};

constexpr Interleave<3> kTriples;
constexpr Interleave<4> kQuads;

VS_AVX512 inline __m512i load64(const uint8_t* p) {
    return _mm512_loadu_si512(p);
}

VS_AVX512 inline __m512i widen(const uint8_t* p) {
    return _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)));
}

VS_AVX512 inline void storeNarrow(uint8_t* p, __m512i words) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p),
                        _mm512_maskz_cvtepi16_epi8(~__mmask32{0}, words));
}

// table[index] for 64 indices; `high` is the indices' top bits.
VS_AVX512 inline __m512i lookUp(__m512i index, __mmask64 high, const uint8_t* table) {
    const __m512i low = _mm512_permutex2var_epi8(load64(table), index, load64(table + 64));
    const __m512i upper = _mm512_permutex2var_epi8(load64(table + 128), index, load64(table + 192));
    return _mm512_mask_blend_epi8(high, low, upper);
}

VS_AVX512 void lookUpInPlace(const uint8_t* table, uint8_t* bytes, uint32_t from, uint32_t to) {
    for (uint32_t x = from; x < to; x += 64) {
        const uint32_t n = std::min(64U, to - x);
        const __mmask64 live = n == 64 ? ~__mmask64{0} : (__mmask64{1} << n) - 1;
        const __m512i index = _mm512_maskz_loadu_epi8(live, bytes + x);
        _mm512_mask_storeu_epi8(bytes + x, live, lookUp(index, _mm512_movepi8_mask(index), table));
    }
}

// Truncated means computed on bytes, so that 64 pixels fit one register: (a + b) >> 1 is the
// rounding-up average less the bit the rounding added.
struct HalfSum {
    __m512i mean;  // (a + b) >> 1
    __m512i odd;   // a ^ b: bit 0 set where a + b is odd
};

VS_AVX512 inline HalfSum halfSum(__m512i a, __m512i b) {
    const __m512i odd = _mm512_xor_si512(a, b);
    return {_mm512_sub_epi8(_mm512_avg_epu8(a, b), _mm512_and_si512(odd, _mm512_set1_epi8(1))),
            odd};
}

// (a + b + c + d) >> 2 from the halves of a + b and c + d: the two dropped bits carry one
// into the sum only when both were set.
VS_AVX512 inline __m512i quarterSum(const HalfSum& ab, const HalfSum& cd) {
    // Bit 0 of: (mean_ab ^ mean_cd) & ~(odd_ab & odd_cd).
    const __m512i dropped = _mm512_and_si512(
        _mm512_ternarylogic_epi32(_mm512_xor_si512(ab.mean, cd.mean), ab.odd, cd.odd, 0x70),
        _mm512_set1_epi8(1));
    return _mm512_sub_epi8(_mm512_avg_epu8(ab.mean, cd.mean), dropped);
}

VS_AVX512 void bayerRow(const BayerRowArgs& a) {
    // Lanes whose x has the green parity; blocks start at odd x.
    const __mmask64 green = a.greenPhase == 1 ? 0x5555555555555555ULL : 0xAAAAAAAAAAAAAAAAULL;
    uint32_t x = 1;
    for (; x + 64 < a.width; x += 64) {
        const __m512i c0 = load64(a.row + x);
        const HalfSum horizontal = halfSum(load64(a.row + x - 1), load64(a.row + x + 1));
        const HalfSum vertical = halfSum(load64(a.above + x), load64(a.below + x));
        const __m512i diagonal =
            quarterSum(halfSum(load64(a.above + x - 1), load64(a.above + x + 1)),
                       halfSum(load64(a.below + x - 1), load64(a.below + x + 1)));
        _mm512_storeu_si512(a.ownPlane + x, _mm512_mask_blend_epi8(green, c0, horizontal.mean));
        _mm512_storeu_si512(a.greenPlane + x,
                            _mm512_mask_blend_epi8(green, quarterSum(horizontal, vertical), c0));
        _mm512_storeu_si512(a.crossPlane + x,
                            _mm512_mask_blend_epi8(green, diagonal, vertical.mean));
    }
    // Planes handed on to the raw mixing keep their samples.
    if (a.ownLut != identityTable())
        lookUpInPlace(a.ownLut, a.ownPlane, 1, x);
    if (a.greenLut != identityTable())
        lookUpInPlace(a.greenLut, a.greenPlane, 1, x);
    if (a.crossLut != identityTable())
        lookUpInPlace(a.crossLut, a.crossPlane, 1, x);
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

VS_AVX512 void monoSmoothRow(const uint8_t* up, const uint8_t* c, const uint8_t* dn, uint32_t width,
                             const uint8_t* lut, uint8_t* out) {
    uint32_t x = 1;
    for (; x + 32 < width; x += 32) {
        const __m512i vertical =
            _mm512_srli_epi16(_mm512_add_epi16(widen(up + x), widen(dn + x)), 1);
        const __m512i horizontal =
            _mm512_srli_epi16(_mm512_add_epi16(widen(c + x - 1), widen(c + x + 1)), 1);
        const __m512i sum = _mm512_add_epi16(_mm512_add_epi16(vertical, horizontal),
                                             _mm512_slli_epi16(widen(c + x), 1));
        storeNarrow(out + x, _mm512_srli_epi16(sum, 2));
    }
    lookUpInPlace(lut, out, 1, x);
    portableKernels().monoSmoothRow(up + x - 1, c + x - 1, dn + x - 1, width - (x - 1), lut,
                                    out + x - 1);
}

// 64 pixels from three planes (first, green, last byte of each pixel).
VS_AVX512 void storePixels(uint8_t* dest, OutputLayout layout, __m512i r, __m512i g, __m512i b) {
    const __m512i first = layout.redOffset == 0 ? r : b;
    const __m512i last = layout.redOffset == 0 ? b : r;
    if (layout.bytesPerPixel == 3) {
        for (size_t k = 0; k < 3; ++k) {
            const __m512i two = _mm512_permutex2var_epi8(first, load64(kTriples.pair[k].data()), g);
            const __m512i all = _mm512_mask_permutexvar_epi8(
                two, kTriples.thirdMask[k], load64(kTriples.third[k].data()), last);
            _mm512_storeu_si512(dest + 64 * k, all);
        }
        return;
    }
    for (size_t k = 0; k < 4; ++k) {
        const __m512i two = _mm512_permutex2var_epi8(first, load64(kQuads.pair[k].data()), g);
        const __m512i all = _mm512_mask_permutexvar_epi8(two, kQuads.thirdMask[k],
                                                         load64(kQuads.third[k].data()), last);
        _mm512_mask_storeu_epi8(dest + 64 * k, kQuads.written[k], all);
    }
}

VS_AVX512 void writeDirect(const uint8_t* r, const uint8_t* g, const uint8_t* b, uint32_t count,
                           OutputLayout layout, uint8_t* dest) {
    uint32_t x = 0;
    for (; x + 64 <= count; x += 64)
        storePixels(dest + size_t{x} * layout.bytesPerPixel, layout, load64(r + x), load64(g + x),
                    load64(b + x));
    portableKernels().writeDirect(r + x, g + x, b + x, count - x, layout,
                                  dest + size_t{x} * layout.bytesPerPixel);
}

// `Blocks` runs of 64 pixels side by side: each table is loaded once for all of them, which
// keeps the loads of table vectors from limiting the mixing.
template <int Blocks>
struct PixelBlocks {
    __m512i in[3][Blocks];
    __mmask64 top[3][Blocks];  // the indices' top bits
};

template <int Blocks>
VS_AVX512 inline PixelBlocks<Blocks> loadBlocks(const uint8_t* r, const uint8_t* g,
                                                const uint8_t* b) {
    PixelBlocks<Blocks> p;
    const uint8_t* planes[3] = {r, g, b};
    for (int c = 0; c < 3; ++c) {
        for (int n = 0; n < Blocks; ++n) {
            p.in[c][n] = load64(planes[c] + 64 * n);
            p.top[c][n] = _mm512_movepi8_mask(p.in[c][n]);
        }
    }
    return p;
}

// One output channel of the blocks: the row's three shifted products summed as 16-bit
// values held in a low and a high byte vector, the carries of the low bytes moved up by
// mask, then clamped by comparing the high byte with the row's bias.
template <int Blocks>
VS_AVX512 inline void mix(const SplitProducts& split, int row, const PixelBlocks<Blocks>& p,
                          __m512i out[Blocks]) {
    const __m512i one = _mm512_set1_epi8(1);
    // Zeroed although the first term sets them: GCC cannot see that under every option set.
    __m512i low[Blocks]{};
    __m512i high[Blocks]{};
    for (int i = 0; i < 3; ++i) {
        const auto k = static_cast<size_t>(row * 3 + i);
        const uint8_t* table = split.bytes[k].data();
        const __m512i t0 = load64(table), t1 = load64(table + 64);
        const __m512i t2 = load64(table + 128), t3 = load64(table + 192);
        for (int n = 0; n < Blocks; ++n) {
            const __m512i index = p.in[i][n];
            const __m512i termLow =
                _mm512_mask_blend_epi8(p.top[i][n], _mm512_permutex2var_epi8(t0, index, t1),
                                       _mm512_permutex2var_epi8(t2, index, t3));
            if (i == 0) {
                low[n] = termLow;
                high[n] = _mm512_setzero_si512();
            } else {
                low[n] = _mm512_add_epi8(low[n], termLow);
                high[n] = _mm512_mask_add_epi8(high[n], _mm512_cmplt_epu8_mask(low[n], termLow),
                                               high[n], one);
            }
        }
        if (split.narrow[k])
            continue;
        const __m512i h0 = load64(table + 256), h1 = load64(table + 320);
        const __m512i h2 = load64(table + 384), h3 = load64(table + 448);
        for (int n = 0; n < Blocks; ++n) {
            const __m512i index = p.in[i][n];
            high[n] = _mm512_add_epi8(
                high[n],
                _mm512_mask_blend_epi8(p.top[i][n], _mm512_permutex2var_epi8(h0, index, h1),
                                       _mm512_permutex2var_epi8(h2, index, h3)));
        }
    }
    const __m512i bias =
        _mm512_set1_epi8(static_cast<char>(split.highBias[static_cast<size_t>(row)]));
    for (int n = 0; n < Blocks; ++n) {
        const __m512i saturated = _mm512_movm_epi8(_mm512_cmpgt_epu8_mask(high[n], bias));
        out[n] = _mm512_mask_blend_epi8(_mm512_cmpeq_epi8_mask(high[n], bias), saturated, low[n]);
    }
}

template <int Blocks>
VS_AVX512 inline void mixBlocks(const uint8_t* r, const uint8_t* g, const uint8_t* b,
                                const SplitProducts& split, OutputLayout layout, uint8_t* dest) {
    const PixelBlocks<Blocks> p = loadBlocks<Blocks>(r, g, b);
    __m512i out[3][Blocks];
    for (int c = 0; c < 3; ++c)
        mix<Blocks>(split, c, p, out[c]);
    for (int n = 0; n < Blocks; ++n)
        storePixels(dest + size_t{64} * n * layout.bytesPerPixel, layout, out[0][n], out[1][n],
                    out[2][n]);
}

// Every whole run of 64 pixels.
VS_AVX512 void mixPixels(const uint8_t* r, const uint8_t* g, const uint8_t* b, uint32_t count,
                         const SplitProducts& split, OutputLayout layout, uint8_t* dest) {
    uint32_t x = 0;
    for (; x + 128 <= count; x += 128)
        mixBlocks<2>(r + x, g + x, b + x, split, layout, dest + size_t{x} * layout.bytesPerPixel);
    if (x + 64 <= count)
        mixBlocks<1>(r + x, g + x, b + x, split, layout, dest + size_t{x} * layout.bytesPerPixel);
}

template <int Blocks>
VS_AVX512 inline void mixGreyBlocks(const uint8_t* r, const uint8_t* g, const uint8_t* b,
                                    const SplitProducts& split, uint8_t* dest) {
    __m512i out[Blocks];
    mix<Blocks>(split, 1, loadBlocks<Blocks>(r, g, b), out);
    for (int n = 0; n < Blocks; ++n)
        _mm512_storeu_si512(dest + 64 * n, out[n]);
}

VS_AVX512 void mixGrey(const uint8_t* r, const uint8_t* g, const uint8_t* b, uint32_t count,
                       const SplitProducts& split, uint8_t* dest) {
    uint32_t x = 0;
    for (; x + 128 <= count; x += 128)
        mixGreyBlocks<2>(r + x, g + x, b + x, split, dest + x);
    if (x + 64 <= count)
        mixGreyBlocks<1>(r + x, g + x, b + x, split, dest + x);
}

// The last pixels of a raw row, through the channel tables into small planes.
struct RawTail {
    uint8_t plane[3][64];

    // count is at most 64.
    RawTail(const uint8_t* r, const uint8_t* g, const uint8_t* b, uint32_t count,
            const IspTables& tables) {
        const uint8_t* in[3] = {r, g, b};
        for (size_t c = 0; c < 3; ++c) {
            for (uint32_t x = 0; x < count; ++x)
                plane[c][x] = tables.channelLut[c][in[c][x]];
        }
    }
};

VS_AVX512 void writeMatrix(const uint8_t* r, const uint8_t* g, const uint8_t* b, uint32_t count,
                           const IspTables& tables, OutputLayout layout, uint8_t* dest) {
    if (!tables.colourSplit.valid) {
        // Products beyond 16-bit sums: the AVX2 set's 32-bit lanes mix them exactly.
        avx2Kernels()->writeMatrix(r, g, b, count, tables, layout, dest);
        return;
    }
    mixPixels(r, g, b, count, tables.colourSplit, layout, dest);
    const uint32_t x = count & ~63U;
    portableKernels().writeMatrix(r + x, g + x, b + x, count - x, tables, layout,
                                  dest + size_t{x} * layout.bytesPerPixel);
}

VS_AVX512 void writeMatrixRaw(const uint8_t* r, const uint8_t* g, const uint8_t* b, uint32_t count,
                              const IspTables& tables, OutputLayout layout, uint8_t* dest) {
    if (tables.colourRawSplit.valid)
        mixPixels(r, g, b, count, tables.colourRawSplit, layout, dest);
    const uint32_t from = tables.colourRawSplit.valid ? count & ~63U : 0;
    // Whatever the vector loop left goes through the tables one at a time.
    for (uint32_t x = from; x < count; x += 64) {
        const uint32_t n = std::min(64U, count - x);
        RawTail tail(r + x, g + x, b + x, n, tables);
        portableKernels().writeMatrix(tail.plane[0], tail.plane[1], tail.plane[2], n, tables,
                                      layout, dest + size_t{x} * layout.bytesPerPixel);
    }
}

VS_AVX512 void writeGrey(const uint8_t* r, const uint8_t* g, const uint8_t* b, uint32_t count,
                         uint8_t* dest) {
    mixGrey(r, g, b, count, IspTables::greySplit(), dest);
    const uint32_t x = count & ~63U;
    portableKernels().writeGrey(r + x, g + x, b + x, count - x, dest + x);
}

VS_AVX512 void writeGreyRaw(const uint8_t* r, const uint8_t* g, const uint8_t* b, uint32_t count,
                            const IspTables& tables, uint8_t* dest) {
    if (tables.greyRawSplit.valid)
        mixGrey(r, g, b, count, tables.greyRawSplit, dest);
    const uint32_t from = tables.greyRawSplit.valid ? count & ~63U : 0;
    for (uint32_t x = from; x < count; x += 64) {
        const uint32_t n = std::min(64U, count - x);
        RawTail tail(r + x, g + x, b + x, n, tables);
        portableKernels().writeGrey(tail.plane[0], tail.plane[1], tail.plane[2], n, dest + x);
    }
}

VS_AVX512 void alternateRow(const uint8_t* row, uint32_t width, const uint8_t* evenLut,
                            const uint8_t* oddLut, uint8_t* out) {
    const __mmask64 odd = 0xAAAAAAAAAAAAAAAAULL;
    uint32_t x = 0;
    for (; x + 64 <= width; x += 64) {
        const __m512i index = load64(row + x);
        const __mmask64 top = _mm512_movepi8_mask(index);
        _mm512_storeu_si512(out + x, _mm512_mask_blend_epi8(odd, lookUp(index, top, evenLut),
                                                            lookUp(index, top, oddLut)));
    }
    // x is a multiple of 64, so even and odd carry over.
    portableKernels().alternateRow(row + x, width - x, evenLut, oddLut, out + x);
}

VS_AVX512 uint64_t sumParity(const uint8_t* row, uint32_t width, uint32_t phase) {
    const __m512i keep = _mm512_set1_epi16(phase == 0 ? 0x00FF : static_cast<int16_t>(0xFF00));
    __m512i sums = _mm512_setzero_si512();
    uint32_t x = 0;
    for (; x + 64 <= width; x += 64) {
        sums = _mm512_add_epi64(
            sums, _mm512_sad_epu8(_mm512_and_si512(load64(row + x), keep), _mm512_setzero_si512()));
    }
    // x is a multiple of 64, so the parity carries over to the rest.
    alignas(64) uint64_t lanes[8];
    _mm512_store_si512(lanes, sums);
    uint64_t total = portableKernels().sumParity(row + x, width - x, phase);
    for (uint64_t lane : lanes)
        total += lane;
    return total;
}

VS_AVX512 void reverse(uint8_t* bytes, uint32_t count) {
    alignas(64) static constexpr std::array<uint8_t, 64> kBackwards = [] {
        std::array<uint8_t, 64> order{};
        for (size_t i = 0; i < 64; ++i)
            order[i] = static_cast<uint8_t>(63 - i);
        return order;
    }();
    const __m512i backwards = _mm512_load_si512(kBackwards.data());
    uint8_t* lo = bytes;
    uint8_t* hi = bytes + count;
    while (hi - lo >= 128) {
        hi -= 64;
        const __m512i front = load64(lo);
        const __m512i back = load64(hi);
        _mm512_storeu_si512(lo, _mm512_maskz_permutexvar_epi8(~__mmask64{0}, backwards, back));
        _mm512_storeu_si512(hi, _mm512_maskz_permutexvar_epi8(~__mmask64{0}, backwards, front));
        lo += 64;
    }
    std::reverse(lo, hi);
}

constexpr IspKernels kAvx512 = {
    "avx512",     bayerRow,  monoSmoothRow, writeDirect,    writeMatrix,  writeGrey,
    alternateRow, sumParity, reverse,       writeMatrixRaw, writeGreyRaw, transposeBytesAvx512,
};

}  // namespace

const IspKernels* avx512Kernels() {
    return &kAvx512;
}

}  // namespace vidscope::api

#else

namespace vidscope::api {

const IspKernels* avx512Kernels() {
    return nullptr;
}

}  // namespace vidscope::api

#endif
