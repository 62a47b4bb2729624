// SPDX-License-Identifier: MIT
// The NEON row loops of the image pipeline, for ARM64 processors (every one of them has NEON).
#include "cameraapi/isp/kernels/IspKernelsNeon.h"

#if defined(__aarch64__)

#include <arm_neon.h>

#include <algorithm>
#include <array>

#include "cameraapi/isp/IspTables.h"

namespace vidscope::api {
namespace {

// A 256-byte table held in sixteen registers. TBL looks up 64 bytes and yields zero past
// them, TBX leaves the lane alone there: four lookups, each of the index less its quarter's
// start, fill every lane exactly once.
struct NeonTable {
    uint8x16x4_t quarter[4];

    explicit NeonTable(const uint8_t* lut)
        : quarter{vld1q_u8_x4(lut), vld1q_u8_x4(lut + 64), vld1q_u8_x4(lut + 128),
                  vld1q_u8_x4(lut + 192)} {}

    uint8x16_t operator()(uint8x16_t v) const {
        uint8x16_t out = vqtbl4q_u8(quarter[0], v);
        out = vqtbx4q_u8(out, quarter[1], vsubq_u8(v, vdupq_n_u8(64)));
        out = vqtbx4q_u8(out, quarter[2], vsubq_u8(v, vdupq_n_u8(128)));
        return vqtbx4q_u8(out, quarter[3], vsubq_u8(v, vdupq_n_u8(192)));
    }
};

// (a + b + c + d) >> 2 without losing the carries.
inline uint8x16_t quarterSum(uint8x16_t a, uint8x16_t b, uint8x16_t c, uint8x16_t d) {
    const uint16x8_t low = vaddq_u16(vaddl_u8(vget_low_u8(a), vget_low_u8(b)),
                                     vaddl_u8(vget_low_u8(c), vget_low_u8(d)));
    const uint16x8_t high = vaddq_u16(vaddl_high_u8(a, b), vaddl_high_u8(c, d));
    return vshrn_high_n_u16(vshrn_n_u16(low, 2), high, 2);
}

struct MosaicPlanes {
    uint8x16_t own;
    uint8x16_t green;
    uint8x16_t cross;
};

// Inner pixels x .. x + 15 of a mosaic row; `green` marks the lanes at green sites.
inline MosaicPlanes interpolate(const BayerRowArgs& a, uint32_t x, uint8x16_t green) {
    const uint8x16_t centre = vld1q_u8(a.row + x);
    const uint8x16_t left = vld1q_u8(a.row + x - 1);
    const uint8x16_t right = vld1q_u8(a.row + x + 1);
    const uint8x16_t up = vld1q_u8(a.above + x);
    const uint8x16_t down = vld1q_u8(a.below + x);
    const uint8x16_t horizontal = vhaddq_u8(left, right);
    const uint8x16_t vertical = vhaddq_u8(up, down);
    const uint8x16_t diagonal = quarterSum(vld1q_u8(a.above + x - 1), vld1q_u8(a.above + x + 1),
                                           vld1q_u8(a.below + x - 1), vld1q_u8(a.below + x + 1));
    return {vbslq_u8(green, horizontal, centre),
            vbslq_u8(green, centre, quarterSum(left, right, up, down)),
            vbslq_u8(green, vertical, diagonal)};
}

// Two runs of 16 pixels through one table into a plane; the table is loaded once for both.
inline void storeThroughLut(const uint8_t* lut, uint8x16_t first, uint8x16_t second,
                            uint8_t* plane) {
    if (lut != identityTable()) {
        const NeonTable table(lut);
        first = table(first);
        second = table(second);
    }
    vst1q_u8(plane, first);
    vst1q_u8(plane + 16, second);
}

void bayerRow(const BayerRowArgs& a) {
    // Lanes whose x has the green parity; blocks start at odd x.
    const uint8x16_t green =
        vreinterpretq_u8_u16(vdupq_n_u16(a.greenPhase == 1 ? uint16_t{0x00FF} : uint16_t{0xFF00}));
    uint32_t x = 1;
    // A block reads one byte past its last pixel, which must be an inner one.
    for (; x + 32 < a.width; x += 32) {
        const MosaicPlanes p0 = interpolate(a, x, green);
        const MosaicPlanes p1 = interpolate(a, x + 16, green);
        storeThroughLut(a.ownLut, p0.own, p1.own, a.ownPlane + x);
        storeThroughLut(a.greenLut, p0.green, p1.green, a.greenPlane + x);
        storeThroughLut(a.crossLut, p0.cross, p1.cross, a.crossPlane + x);
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

void monoSmoothRow(const uint8_t* up, const uint8_t* c, const uint8_t* dn, uint32_t width,
                   const uint8_t* lut, uint8_t* out) {
    const bool identity = lut == identityTable();
    const NeonTable table(lut);
    uint32_t x = 1;
    for (; x + 16 < width; x += 16) {
        const uint8x16_t vertical = vhaddq_u8(vld1q_u8(up + x), vld1q_u8(dn + x));
        const uint8x16_t horizontal = vhaddq_u8(vld1q_u8(c + x - 1), vld1q_u8(c + x + 1));
        const uint8x16_t centre = vld1q_u8(c + x);
        const uint16x8_t low = vaddq_u16(vaddl_u8(vget_low_u8(vertical), vget_low_u8(horizontal)),
                                         vshll_n_u8(vget_low_u8(centre), 1));
        const uint16x8_t high =
            vaddq_u16(vaddl_high_u8(vertical, horizontal), vshll_high_n_u8(centre, 1));
        const uint8x16_t mean = vshrn_high_n_u16(vshrn_n_u16(low, 2), high, 2);
        vst1q_u8(out + x, identity ? mean : table(mean));
    }
    portableKernels().monoSmoothRow(up + x - 1, c + x - 1, dn + x - 1, width - (x - 1), lut,
                                    out + x - 1);
}

// Sixteen pixels from three planes; a fourth byte of each pixel keeps its value.
inline void storePixels(uint8_t* dest, OutputLayout layout, uint8x16_t r, uint8x16_t g,
                        uint8x16_t b) {
    const uint8x16_t first = layout.redOffset == 0 ? r : b;
    const uint8x16_t last = layout.redOffset == 0 ? b : r;
    if (layout.bytesPerPixel == 3) {
        vst3q_u8(dest, (uint8x16x3_t{{first, g, last}}));
        return;
    }
    uint8x16x4_t quads = vld4q_u8(dest);
    quads.val[0] = first;
    quads.val[1] = g;
    quads.val[2] = last;
    vst4q_u8(dest, quads);
}

void writeDirect(const uint8_t* r, const uint8_t* g, const uint8_t* b, uint32_t count,
                 OutputLayout layout, uint8_t* dest) {
    uint32_t x = 0;
    for (; x + 16 <= count; x += 16) {
        storePixels(dest + size_t{x} * layout.bytesPerPixel, layout, vld1q_u8(r + x),
                    vld1q_u8(g + x), vld1q_u8(b + x));
    }
    portableKernels().writeDirect(r + x, g + x, b + x, count - x, layout,
                                  dest + size_t{x} * layout.bytesPerPixel);
}

// The high halves of the 32-bit products of 16-bit lanes.
inline uint16x8_t mulHigh(uint16x8_t a, uint16x8_t b) {
    const uint32x4_t low = vmull_u16(vget_low_u16(a), vget_low_u16(b));
    const uint32x4_t high = vmull_high_u16(a, b);
    return vuzp2q_u16(vreinterpretq_u16_u32(low), vreinterpretq_u16_u32(high));
}

// One term of an output channel: sign x (v x whole + ((v x fraction) >> 16)), plus the
// carries marked in a 32-byte bit set (byte v / 8, bit v % 8). The sign is applied by
// multiplying with 1 or -1, which in wrapping 16-bit lanes costs one multiply-add.
struct NeonTerm {
    uint16x8_t signedWhole;  // sign x whole
    uint16x8_t fraction;
    uint16x8_t sign;         // 1 or 0xFFFF
    int8x16_t negatedSign;   // -1 or 1: what a carried lane's -1 is multiplied by
    const uint8_t* carries;  // null for a term without carries
};

struct NeonRow {
    NeonTerm term[3];
};

NeonRow neonRow(const CarriedProducts& products, size_t row) {
    NeonRow r{};
    for (size_t i = 0; i < 3; ++i) {
        const size_t k = row * 3 + i;
        const FixedTerm& f = products.terms[k];
        r.term[i] = {vdupq_n_u16(static_cast<uint16_t>(f.sign * f.whole)), vdupq_n_u16(f.fraction),
                     vdupq_n_u16(static_cast<uint16_t>(f.sign)),
                     vdupq_n_s8(static_cast<int8_t>(-f.sign)),
                     products.carried[k] ? products.carries[k].data() : nullptr};
    }
    return r;
}

// Sixteen samples of one input plane as 16-bit halves, with where their carry bits lie.
struct NeonInput {
    uint8x16_t sample;
    uint16x8_t low;
    uint16x8_t high;
    uint8x16_t byte;  // v / 8
    uint8x16_t bit;   // 1 << (v % 8)
};

inline NeonInput neonInput(uint8x16_t v) {
    static constexpr uint8_t kBitOf[16] = {1, 2, 4, 8, 16, 32, 64, 128, 0, 0, 0, 0, 0, 0, 0, 0};
    return {v, vmovl_u8(vget_low_u8(v)), vmovl_high_u8(v), vshrq_n_u8(v, 3),
            vqtbl1q_u8(vld1q_u8(kBitOf), vandq_u8(v, vdupq_n_u8(7)))};
}

// One output channel of sixteen pixels. The sums wrap in 16 bits, which the table ranges the
// carried form accepts never reach; the signed saturating narrow is the clamp.
inline uint8x16_t mixRow(const NeonRow& row, const NeonInput (&in)[3]) {
    uint16x8_t low = vdupq_n_u16(0);
    uint16x8_t high = vdupq_n_u16(0);
    int8x16_t lift = vdupq_n_s8(0);
    for (size_t i = 0; i < 3; ++i) {
        const NeonTerm& t = row.term[i];
        low = vmlaq_u16(vmlaq_u16(low, in[i].low, t.signedWhole), mulHigh(in[i].low, t.fraction),
                        t.sign);
        high = vmlaq_u16(vmlaq_u16(high, in[i].high, t.signedWhole),
                         mulHigh(in[i].high, t.fraction), t.sign);
        if (t.carries != nullptr) {
            // -1 in the lanes whose sample is carried, turned into a step away from zero.
            const uint8x16x2_t set = vld1q_u8_x2(t.carries);
            const int8x16_t hit =
                vreinterpretq_s8_u8(vtstq_u8(vqtbl2q_u8(set, in[i].byte), in[i].bit));
            lift = vmlaq_s8(lift, hit, t.negatedSign);
        }
    }
    const int16x8_t sumLow = vaddq_s16(vreinterpretq_s16_u16(low), vmovl_s8(vget_low_s8(lift)));
    const int16x8_t sumHigh = vaddq_s16(vreinterpretq_s16_u16(high), vmovl_high_s8(lift));
    return vqmovun_high_s16(vqmovun_s16(sumLow), sumHigh);
}

void writeMatrix(const uint8_t* r, const uint8_t* g, const uint8_t* b, uint32_t count,
                 const IspTables& tables, OutputLayout layout, uint8_t* dest) {
    const CarriedProducts& products = tables.colourCarried;
    if (!products.valid) {
        // Coefficients of 32 and more, far beyond any colour correction: exact but slow.
        portableKernels().writeMatrix(r, g, b, count, tables, layout, dest);
        return;
    }
    const NeonRow rows[3] = {neonRow(products, 0), neonRow(products, 1), neonRow(products, 2)};
    uint32_t x = 0;
    for (; x + 16 <= count; x += 16) {
        const NeonInput in[3] = {neonInput(vld1q_u8(r + x)), neonInput(vld1q_u8(g + x)),
                                 neonInput(vld1q_u8(b + x))};
        storePixels(dest + size_t{x} * layout.bytesPerPixel, layout, mixRow(rows[0], in),
                    mixRow(rows[1], in), mixRow(rows[2], in));
    }
    portableKernels().writeMatrix(r + x, g + x, b + x, count - x, tables, layout,
                                  dest + size_t{x} * layout.bytesPerPixel);
}

void writeGrey(const uint8_t* r, const uint8_t* g, const uint8_t* b, uint32_t count,
               uint8_t* dest) {
    const CarriedProducts& luminance = IspTables::greyCarried();
    static const bool plain = luminance.plainLuminance();
    if (!plain) {  // a guard only
        portableKernels().writeGrey(r, g, b, count, dest);
        return;
    }
    const uint16x8_t weight[3] = {vdupq_n_u16(luminance.terms[3].fraction),
                                  vdupq_n_u16(luminance.terms[4].fraction),
                                  vdupq_n_u16(luminance.terms[5].fraction)};
    const uint8_t* planes[3] = {r, g, b};
    uint32_t x = 0;
    for (; x + 16 <= count; x += 16) {
        uint16x8_t low = vdupq_n_u16(0);
        uint16x8_t high = vdupq_n_u16(0);
        for (size_t i = 0; i < 3; ++i) {
            const uint8x16_t v = vld1q_u8(planes[i] + x);
            low = vaddq_u16(low, mulHigh(vmovl_u8(vget_low_u8(v)), weight[i]));
            high = vaddq_u16(high, mulHigh(vmovl_high_u8(v), weight[i]));
        }
        vst1q_u8(dest + x, vqmovn_high_u16(vqmovn_u16(low), high));
    }
    portableKernels().writeGrey(r + x, g + x, b + x, count - x, dest + x);
}

void alternateRow(const uint8_t* row, uint32_t width, const uint8_t* evenLut, const uint8_t* oddLut,
                  uint8_t* out) {
    const NeonTable even(evenLut);
    const NeonTable odd(oddLut);
    uint32_t x = 0;
    for (; x + 32 <= width; x += 32) {
        uint8x16x2_t pairs = vld2q_u8(row + x);
        pairs.val[0] = even(pairs.val[0]);
        pairs.val[1] = odd(pairs.val[1]);
        vst2q_u8(out + x, pairs);
    }
    // x is even, so even and odd carry over.
    portableKernels().alternateRow(row + x, width - x, evenLut, oddLut, out + x);
}

uint64_t sumParity(const uint8_t* row, uint32_t width, uint32_t phase) {
    uint64_t sum = 0;
    uint32_t x = 0;
    while (x + 32 <= width) {
        // Each 16-bit lane gains at most 2 x 255 a step: 128 steps stay below 65536.
        uint16x8_t lanes = vdupq_n_u16(0);
        for (int step = 0; step < 128 && x + 32 <= width; ++step, x += 32) {
            const uint8x16x2_t pairs = vld2q_u8(row + x);
            lanes = vpadalq_u8(lanes, phase == 0 ? pairs.val[0] : pairs.val[1]);
        }
        sum += vaddlvq_u16(lanes);
    }
    // x is a multiple of 32, so the parity carries over to the rest.
    return sum + portableKernels().sumParity(row + x, width - x, phase);
}

inline uint8x16_t reversed(uint8x16_t v) {
    const uint8x16_t halves = vrev64q_u8(v);
    return vextq_u8(halves, halves, 8);
}

void reverse(uint8_t* bytes, uint32_t count) {
    uint8_t* lo = bytes;
    uint8_t* hi = bytes + count;
    while (hi - lo >= 32) {
        hi -= 16;
        const uint8x16_t front = vld1q_u8(lo);
        const uint8x16_t back = vld1q_u8(hi);
        vst1q_u8(lo, reversed(back));
        vst1q_u8(hi, reversed(front));
        lo += 16;
    }
    std::reverse(lo, hi);
}

constexpr IspKernels kNeon = {
    "neon",       bayerRow,  monoSmoothRow, writeDirect, writeMatrix, writeGrey,
    alternateRow, sumParity, reverse,       nullptr,     nullptr,     transposeBytesNeon,
};

}  // namespace

const IspKernels* neonKernels() {
    return &kNeon;
}

}  // namespace vidscope::api

#else

namespace vidscope::api {

const IspKernels* neonKernels() {
    return nullptr;
}

}  // namespace vidscope::api

#endif
