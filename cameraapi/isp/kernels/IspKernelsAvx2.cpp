// SPDX-License-Identifier: MIT
// The AVX2 row loops of the image pipeline, chosen at run time on processors that have it.
#include "cameraapi/isp/kernels/IspKernels.h"

#if defined(__x86_64__)

#include <immintrin.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "cameraapi/isp/IspTables.h"
#include "cameraapi/isp/kernels/IspKernelsTranspose.h"
#include "cameraapi/isp/kernels/IspVectorConstants.h"

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

// Where 32 samples find their carry bits in a 32-byte set: byte v / 8, taken from the lane
// copy of the set's first or second half by bit 7 of v, and bit v % 8 in it.
struct CarryIndex {
    __m256i sample;
    __m256i byte;  // (v / 8) % 16
    __m256i bit;   // 1 << (v % 8)
};

VS_AVX2 inline CarryIndex carryIndex(__m256i v) {
    const __m256i bitOf =
        _mm256_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16,
                         32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128);
    return {v, _mm256_and_si256(_mm256_srli_epi16(v, 3), bytes(0x0F)),
            _mm256_shuffle_epi8(bitOf, _mm256_and_si256(v, bytes(0x07)))};
}

// -1 in the lanes whose sample has its bit set in `carries`, 0 elsewhere.
VS_AVX2 inline __m256i carried(const uint8_t* carries, const CarryIndex& at) {
    const __m256i byte =
        _mm256_blendv_epi8(_mm256_shuffle_epi8(bothLanes(carries), at.byte),
                           _mm256_shuffle_epi8(bothLanes(carries + 16), at.byte), at.sample);
    return _mm256_cmpeq_epi8(_mm256_and_si256(byte, at.bit), at.bit);
}

// One term of an output channel: sign x (v x whole + ((v x fraction) >> 16)), plus its
// carries.
struct LaneTerm {
    __m256i whole;
    __m256i fraction;
    __m256i sign;            // +1 or -1 in every byte
    __m256i sign16;          // and in every 16-bit lane
    const uint8_t* carries;  // null for a term without carries
};

struct CarriedRow {
    LaneTerm term[3];
    bool carried;
    // Windowed sums: sum - low as an unsigned lane, less -low with saturation at zero (no
    // row's sums lie all above zero: every table starts at 0).
    bool windowed;
    __m256i minusLow;
};

VS_AVX2 inline CarriedRow carriedRow(const CarriedProducts& products, int row) {
    CarriedRow r{};
    const int32_t low = products.low[static_cast<size_t>(row)];
    r.windowed = !products.valid;
    r.minusLow = _mm256_set1_epi16(static_cast<int16_t>(static_cast<uint16_t>(-low & 0xFFFF)));
    for (size_t i = 0; i < 3; ++i) {
        const size_t k = static_cast<size_t>(row) * 3 + i;
        const FixedTerm& f = products.terms[k];
        LaneTerm& t = r.term[i];
        t.whole = _mm256_set1_epi16(static_cast<int16_t>(static_cast<uint16_t>(f.whole)));
        t.fraction = _mm256_set1_epi16(static_cast<int16_t>(f.fraction));
        t.sign = _mm256_set1_epi8(static_cast<char>(f.sign));
        t.sign16 = _mm256_set1_epi16(f.sign);
        t.carries = products.carried[k] ? products.carries[k].data() : nullptr;
        r.carried |= t.carries != nullptr;
    }
    return r;
}

// 32 input pixels as 16-bit halves in lane order (pixels 0-7 and 16-23, then 8-15 and
// 24-31, which the final pack puts back in order), and with their carry indices.
struct MixInput {
    __m256i low[3];
    __m256i high[3];
    CarryIndex at[3];
};

// Which inputs some term of the rows has carries for: only those need carry indices.
struct CarriedInputs {
    std::array<bool, 3> input{};

    CarriedInputs(const CarriedRow* rows, size_t count) {
        for (size_t c = 0; c < count; ++c) {
            for (size_t i = 0; i < 3; ++i)
                input[i] = input[i] || rows[c].term[i].carries != nullptr;
        }
    }
};

VS_AVX2 inline MixInput mixInput(__m256i r, __m256i g, __m256i b, const CarriedInputs& carried) {
    const __m256i planes[3] = {r, g, b};
    MixInput in{};
    for (size_t i = 0; i < 3; ++i) {
        in.low[i] = _mm256_unpacklo_epi8(planes[i], _mm256_setzero_si256());
        in.high[i] = _mm256_unpackhi_epi8(planes[i], _mm256_setzero_si256());
        if (carried.input[i])
            in.at[i] = carryIndex(planes[i]);
    }
    return in;
}

// One output channel of 16 pixels, before the clamp.
VS_AVX2 inline __m256i sumCarried(const CarriedRow& row, const __m256i in[3]) {
    __m256i sum = _mm256_setzero_si256();
    for (size_t i = 0; i < 3; ++i) {
        const LaneTerm& t = row.term[i];
        const __m256i product = _mm256_add_epi16(_mm256_mulhi_epu16(in[i], t.fraction),
                                                 _mm256_mullo_epi16(in[i], t.whole));
        sum = _mm256_add_epi16(sum, _mm256_sign_epi16(product, t.sign16));
    }
    return sum;
}

// A windowed row's sums, held modulo 65536, as 0 .. 255.
VS_AVX2 inline __m256i windowClamp(const CarriedRow& row, __m256i sum) {
    const __m256i above = _mm256_add_epi16(sum, row.minusLow);
    return _mm256_min_epu16(_mm256_subs_epu16(above, row.minusLow), _mm256_set1_epi16(255));
}

// One output channel of 32 pixels: the multiplier sums, each carry a step away from zero by
// its term's sign, then the clamp.
VS_AVX2 inline __m256i mixCarried(const CarriedRow& row, const MixInput& in) {
    __m256i low = sumCarried(row, in.low);
    __m256i high = sumCarried(row, in.high);
    if (row.carried) {
        __m256i lift = _mm256_setzero_si256();
        for (size_t i = 0; i < 3; ++i) {
            const LaneTerm& t = row.term[i];
            if (t.carries != nullptr)
                lift =
                    _mm256_sub_epi8(lift, _mm256_sign_epi8(carried(t.carries, in.at[i]), t.sign));
        }
        // Sign-extended to 16 bits in the halves' lane order.
        low = _mm256_add_epi16(low, _mm256_srai_epi16(_mm256_unpacklo_epi8(lift, lift), 8));
        high = _mm256_add_epi16(high, _mm256_srai_epi16(_mm256_unpackhi_epi8(lift, lift), 8));
    }
    if (row.windowed) {
        low = windowClamp(row, low);
        high = windowClamp(row, high);
    }
    return _mm256_packus_epi16(low, high);
}

// Matrices whose sums need 32 bits. Each term sign x (v x whole + fraction part + carry) is
// split in two: sign x whole x v, linear in v and summed exactly in 32-bit lanes by
// multiply-adds of 16-bit pairs, and sign x (fraction part + carry), at most 256 in size,
// summed in 16-bit lanes as for ordinary matrices.
struct WideRow {
    // Coefficients sign x whole = high x 32768 + low, as (red, green) and (blue, 0) pairs.
    __m256i lowRedGreen;
    __m256i lowBlue;
    __m256i highRedGreen;
    __m256i highBlue;
    bool high;  // some coefficient of the row reaches 32768
    LaneTerm term[3];
    bool carried;
};

VS_AVX2 inline __m256i pair(int32_t first, int32_t second) {
    return _mm256_set1_epi32(static_cast<int32_t>((static_cast<uint32_t>(second) << 16) |
                                                  (static_cast<uint32_t>(first) & 0xFFFF)));
}

VS_AVX2 inline WideRow wideRow(const CarriedProducts& products, int row) {
    WideRow w{};
    int32_t high[3];
    int32_t low[3];
    for (size_t i = 0; i < 3; ++i) {
        const size_t k = static_cast<size_t>(row) * 3 + i;
        const FixedTerm& f = products.terms[k];
        const int64_t coefficient = int64_t{f.sign} * f.whole;
        high[i] = static_cast<int32_t>(coefficient >> 15);  // floor: low is 0 .. 32767
        low[i] = static_cast<int32_t>(coefficient - int64_t{high[i]} * 32768);
        w.high = w.high || high[i] != 0;
        LaneTerm& t = w.term[i];
        t.fraction = _mm256_set1_epi16(static_cast<int16_t>(f.fraction));
        t.sign = _mm256_set1_epi8(static_cast<char>(f.sign));
        t.sign16 = _mm256_set1_epi16(f.sign);
        t.carries = products.carried[k] ? products.carries[k].data() : nullptr;
        w.carried = w.carried || t.carries != nullptr;
    }
    w.lowRedGreen = pair(low[0], low[1]);
    w.lowBlue = pair(low[2], 0);
    w.highRedGreen = pair(high[0], high[1]);
    w.highBlue = pair(high[2], 0);
    return w;
}

// 32 pixels as (red, green) and (blue, 0) pairs of 16-bit lanes, in four groups of eight:
// pixels 0-3 and 16-19, 4-7 and 20-23, 8-11 and 24-27, 12-15 and 28-31.
struct WideInput {
    MixInput mix;
    __m256i redGreen[4];
    __m256i blue[4];
};

VS_AVX2 inline WideInput wideInput(__m256i r, __m256i g, __m256i b, const CarriedInputs& carried) {
    WideInput in{};
    in.mix = mixInput(r, g, b, carried);
    const __m256i zero = _mm256_setzero_si256();
    const __m256i* halves[2][3] = {{&in.mix.low[0], &in.mix.low[1], &in.mix.low[2]},
                                   {&in.mix.high[0], &in.mix.high[1], &in.mix.high[2]}};
    for (int h = 0; h < 2; ++h) {
        in.redGreen[2 * h] = _mm256_unpacklo_epi16(*halves[h][0], *halves[h][1]);
        in.redGreen[2 * h + 1] = _mm256_unpackhi_epi16(*halves[h][0], *halves[h][1]);
        in.blue[2 * h] = _mm256_unpacklo_epi16(*halves[h][2], zero);
        in.blue[2 * h + 1] = _mm256_unpackhi_epi16(*halves[h][2], zero);
    }
    return in;
}

// sign x (fraction part + carry) of the row's three terms for one half of the pixels.
VS_AVX2 inline __m256i sumFractions(const WideRow& row, const __m256i in[3]) {
    __m256i sum = _mm256_setzero_si256();
    for (size_t i = 0; i < 3; ++i) {
        const LaneTerm& t = row.term[i];
        sum = _mm256_add_epi16(sum,
                               _mm256_sign_epi16(_mm256_mulhi_epu16(in[i], t.fraction), t.sign16));
    }
    return sum;
}

// One output channel of 32 pixels, clamped to bytes.
VS_AVX2 inline __m256i mixWide(const WideRow& row, const WideInput& in) {
    __m256i fractions[2] = {sumFractions(row, in.mix.low), sumFractions(row, in.mix.high)};
    if (row.carried) {
        __m256i lift = _mm256_setzero_si256();
        for (size_t i = 0; i < 3; ++i) {
            const LaneTerm& t = row.term[i];
            if (t.carries != nullptr)
                lift = _mm256_sub_epi8(lift,
                                       _mm256_sign_epi8(carried(t.carries, in.mix.at[i]), t.sign));
        }
        fractions[0] =
            _mm256_add_epi16(fractions[0], _mm256_srai_epi16(_mm256_unpacklo_epi8(lift, lift), 8));
        fractions[1] =
            _mm256_add_epi16(fractions[1], _mm256_srai_epi16(_mm256_unpackhi_epi8(lift, lift), 8));
    }
    __m256i sum[4];
    for (int q = 0; q < 4; ++q) {
        __m256i whole = _mm256_add_epi32(_mm256_madd_epi16(in.redGreen[q], row.lowRedGreen),
                                         _mm256_madd_epi16(in.blue[q], row.lowBlue));
        if (row.high) {
            const __m256i high =
                _mm256_add_epi32(_mm256_madd_epi16(in.redGreen[q], row.highRedGreen),
                                 _mm256_madd_epi16(in.blue[q], row.highBlue));
            whole = _mm256_add_epi32(whole, _mm256_slli_epi32(high, 15));
        }
        // The fraction sums of the group's pixels, sign-extended to 32 bits.
        const __m256i half = fractions[q / 2];
        const __m256i spread = q % 2 == 0 ? _mm256_unpacklo_epi16(_mm256_setzero_si256(), half)
                                          : _mm256_unpackhi_epi16(_mm256_setzero_si256(), half);
        sum[q] = _mm256_add_epi32(whole, _mm256_srai_epi32(spread, 16));
    }
    // The packs saturate to the byte range and undo the grouping.
    return _mm256_packus_epi16(_mm256_packs_epi32(sum[0], sum[1]),
                               _mm256_packs_epi32(sum[2], sum[3]));
}

VS_AVX2 void writeMatrixWide(const uint8_t* r, const uint8_t* g, const uint8_t* b, uint32_t count,
                             const IspTables& tables, OutputLayout layout, uint8_t* dest) {
    const CarriedProducts& products = tables.colourCarried;
    const WideRow rows[3] = {wideRow(products, 0), wideRow(products, 1), wideRow(products, 2)};
    CarriedInputs carriedInput(nullptr, 0);
    for (size_t c = 0; c < 3; ++c) {
        for (size_t i = 0; i < 3; ++i)
            carriedInput.input[i] = carriedInput.input[i] || rows[c].term[i].carries != nullptr;
    }
    uint32_t x = 0;
    for (; x + 32 <= count; x += 32) {
        const WideInput in = wideInput(load32(r + x), load32(g + x), load32(b + x), carriedInput);
        storePixels32(dest + size_t{x} * layout.bytesPerPixel, layout, mixWide(rows[0], in),
                      mixWide(rows[1], in), mixWide(rows[2], in));
    }
    portableKernels().writeMatrix(r + x, g + x, b + x, count - x, tables, layout,
                                  dest + size_t{x} * layout.bytesPerPixel);
}

VS_AVX2 void writeMatrix(const uint8_t* r, const uint8_t* g, const uint8_t* b, uint32_t count,
                         const IspTables& tables, OutputLayout layout, uint8_t* dest) {
    const CarriedProducts& products = tables.colourCarried;
    if (!products.valid && !products.windowed) {
        if (products.exact)
            writeMatrixWide(r, g, b, count, tables, layout, dest);
        else  // tables that are no products: a guard only
            portableKernels().writeMatrix(r, g, b, count, tables, layout, dest);
        return;
    }
    const CarriedRow rows[3] = {carriedRow(products, 0), carriedRow(products, 1),
                                carriedRow(products, 2)};
    const CarriedInputs carriedInput(rows, 3);
    uint32_t x = 0;
    for (; x + 32 <= count; x += 32) {
        const MixInput in = mixInput(load32(r + x), load32(g + x), load32(b + x), carriedInput);
        storePixels32(dest + size_t{x} * layout.bytesPerPixel, layout, mixCarried(rows[0], in),
                      mixCarried(rows[1], in), mixCarried(rows[2], in));
    }
    portableKernels().writeMatrix(r + x, g + x, b + x, count - x, tables, layout,
                                  dest + size_t{x} * layout.bytesPerPixel);
}

// Whether the luminance row is three positive fractions with exact multipliers, as its
// weights always give: three high products per pixel then suffice.
bool plainLuminance(const CarriedProducts& luminance) {
    bool plain = luminance.valid;
    for (size_t k = 3; k < 6; ++k) {
        plain = plain && !luminance.carried[k] && luminance.terms[k].sign > 0 &&
                luminance.terms[k].whole == 0;
    }
    return plain;
}

VS_AVX2 void writeGrey(const uint8_t* r, const uint8_t* g, const uint8_t* b, uint32_t count,
                       uint8_t* dest) {
    const CarriedProducts& luminance = IspTables::greyCarried();
    static const bool plain = plainLuminance(luminance);
    if (!plain) {  // a guard only
        portableKernels().writeGrey(r, g, b, count, dest);
        return;
    }
    const __m256i weight[3] = {
        _mm256_set1_epi16(static_cast<int16_t>(luminance.terms[3].fraction)),
        _mm256_set1_epi16(static_cast<int16_t>(luminance.terms[4].fraction)),
        _mm256_set1_epi16(static_cast<int16_t>(luminance.terms[5].fraction))};
    const uint8_t* planes[3] = {r, g, b};
    uint32_t x = 0;
    for (; x + 32 <= count; x += 32) {
        // Halves in lane order, which the pack puts back in order.
        __m256i low = _mm256_setzero_si256();
        __m256i high = _mm256_setzero_si256();
        for (size_t i = 0; i < 3; ++i) {
            const __m256i v = load32(planes[i] + x);
            low = _mm256_add_epi16(
                low,
                _mm256_mulhi_epu16(_mm256_unpacklo_epi8(v, _mm256_setzero_si256()), weight[i]));
            high = _mm256_add_epi16(
                high,
                _mm256_mulhi_epu16(_mm256_unpackhi_epi8(v, _mm256_setzero_si256()), weight[i]));
        }
        store32(dest + x, _mm256_packus_epi16(low, high));
    }
    portableKernels().writeGrey(r + x, g + x, b + x, count - x, dest + x);
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
    "avx2",       bayerRow,  monoSmoothRow, writeDirect, writeMatrix, writeGrey,
    alternateRow, sumParity, reverse,       nullptr,     nullptr,     transposeBytesAvx2,
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
