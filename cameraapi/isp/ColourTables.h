// SPDX-License-Identifier: MIT
// The seven shared RGB-to-YUV product tables used by the white-balance statistics.
#pragma once

#include <cstdint>

namespace vidscope::api {

// Each entry is trunc(v x coefficient) for v = 0..255. Shared by every camera and rebuilt
// whenever a camera is opened, possibly while another camera's processing thread reads them.
// A rebuild writes the very values already there, so a reader can never see a wrong entry;
// the entries are relaxed atomics only so that this overlap is also well-defined.
class ColourTables {
public:
    enum Table : int {
        lumR,  // 0.299: luma from R
        lumG,  // 0.587: luma from G
        lumB,  // 0.114: luma from B
        cbR,   // 0.169: R term of the blue difference
        cbG,   // 0.331: G term of the blue difference
        crG,   // 0.419: G term of the red difference
        crB,   // 0.081: B term of the red difference
        kTableCount
    };

    static void rebuild();
    // Zero until the first rebuild.
    static int32_t at(Table table, uint8_t value);
    static double coefficient(Table table);
};

}  // namespace vidscope::api
