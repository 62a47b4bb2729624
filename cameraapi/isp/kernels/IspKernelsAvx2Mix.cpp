// SPDX-License-Identifier: MIT
// The AVX2 colour mixing: 16-bit lanes for ordinary and (modulo 65536) large matrices,
// multiply-adds into 32-bit lanes for the rest, and the luminance of grey output.
#include "cameraapi/isp/kernels/IspKernelsAvx2Mix.h"

#if defined(__x86_64__)

#include <array>

#include "cameraapi/isp/IspTables.h"
#include "cameraapi/isp/kernels/IspAvx2Lanes.h"

namespace vidscope::api::avx2 {
namespace {

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

    // Rows of either form: three terms, each with its carries or none.
    template <class Row>
    CarriedInputs(const Row* rows, size_t count) {
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
    const CarriedInputs carriedInput(rows, 3);
    uint32_t x = 0;
    for (; x + 32 <= count; x += 32) {
        const WideInput in = wideInput(load32(r + x), load32(g + x), load32(b + x), carriedInput);
        storePixels32(dest + size_t{x} * layout.bytesPerPixel, layout, mixWide(rows[0], in),
                      mixWide(rows[1], in), mixWide(rows[2], in));
    }
    portableKernels().writeMatrix(r + x, g + x, b + x, count - x, tables, layout,
                                  dest + size_t{x} * layout.bytesPerPixel);
}

}  // namespace

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

VS_AVX2 void writeGrey(const uint8_t* r, const uint8_t* g, const uint8_t* b, uint32_t count,
                       uint8_t* dest) {
    const CarriedProducts& luminance = IspTables::greyCarried();
    static const bool plain = luminance.plainLuminance();
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

}  // namespace vidscope::api::avx2

#endif
