// SPDX-License-Identifier: MIT
// The nine colour-mixing product tables, and the exact multiply form a vector unit uses.
#pragma once

#include <array>
#include <cstdint>

namespace vidscope::api {

using ProductTable = std::array<int32_t, 256>;
using ProductTables = std::array<ProductTable, 9>;

// Table entry t[v] (v = 0..255) equals sign * (v * whole + ((v * fraction) >> 16)): what lets
// a vector unit replace table reads without changing a single output value. Both products
// fit 16-bit lanes for coefficients below 256, 32-bit lanes for any.
struct FixedTerm {
    int16_t sign = 1;
    uint32_t whole = 0;
    uint16_t fraction = 0;

    int32_t apply(uint32_t v) const {
        return sign * static_cast<int32_t>(v * whole + ((v * fraction) >> 16));
    }
};

}  // namespace vidscope::api
