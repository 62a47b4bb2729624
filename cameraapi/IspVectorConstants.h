// SPDX-License-Identifier: MIT
// Lane constants shared by the vector row loops: byte shuffles and colour-mixing terms.
#pragma once

#include <array>
#include <cstdint>

#include "cameraapi/FixedPointMatrix.h"

namespace vidscope::api {

// Shuffle masks that interleave three 16-byte planes into 48 bytes of three-byte pixels:
// mask[k][plane] picks, for output block k, the bytes of that plane (0x80 elsewhere).
struct InterleaveMasks {
    alignas(16) std::array<std::array<std::array<uint8_t, 16>, 3>, 3> mask{};

    constexpr InterleaveMasks() {
        for (int k = 0; k < 3; ++k) {
            for (int plane = 0; plane < 3; ++plane) {
                for (int j = 0; j < 16; ++j) {
                    const int n = 16 * k + j;
                    mask[static_cast<size_t>(k)][static_cast<size_t>(plane)]
                        [static_cast<size_t>(j)] =
                            n % 3 == plane ? static_cast<uint8_t>(n / 3) : uint8_t{0x80};
                }
            }
        }
    }
};

// One output channel's three terms in 16-bit lane form: product = v x whole + ((v x fraction)
// >> 16) with the sign folded into the whole part and into an XOR of the fraction part,
// whose off-by-one per negative term `bias` puts back.
struct MixingRow {
    std::array<int16_t, 3> whole{};
    std::array<uint16_t, 3> fraction{};
    std::array<uint16_t, 3> flip{};
    int16_t bias = 0;

    static MixingRow of(const FixedPointMatrix& m, int row) {
        MixingRow r;
        for (int i = 0; i < 3; ++i) {
            const FixedTerm& t = m.term(row * 3 + i);
            const auto k = static_cast<size_t>(i);
            r.whole[k] = static_cast<int16_t>(t.sign * t.whole);
            r.fraction[k] = t.fraction;
            r.flip[k] = t.sign < 0 ? 0xFFFF : 0;
            r.bias = static_cast<int16_t>(r.bias + (t.sign < 0 ? 1 : 0));
        }
        return r;
    }
};

}  // namespace vidscope::api
