// SPDX-License-Identifier: MIT
// Conversion of YUV 4:2:2 frames into packed RGB24.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vidscope::api {

class YuvConverter {
public:
    // Converts `pixels` pixels (pairs of U, Y0, V, Y1) into R, G, B bytes in source order:
    // 3 x `pixels` bytes, whatever the output format asks for otherwise. The sensor of these
    // cameras applies tone and colour itself, so no table is involved.
    static void convert(const uint8_t* raw, size_t pixels, uint8_t* out);
};

}  // namespace vidscope::api
