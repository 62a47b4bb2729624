// SPDX-License-Identifier: MIT
// Lane constants shared by the vector row loops: byte shuffles that interleave planes.
#pragma once

#include <array>
#include <cstdint>

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

}  // namespace vidscope::api
