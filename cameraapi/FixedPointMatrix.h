// SPDX-License-Identifier: MIT
// Exact integer multiply form of a set of nine product tables, for vectorised colour mixing.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace vidscope::api {

using ProductTable = std::array<int32_t, 256>;
using ProductTables = std::array<ProductTable, 9>;

// Table entry t[v] (v = 0..255) equals sign * (v * whole + ((v * fraction) >> 16)). Both
// products fit 16-bit lanes, which is what lets a vector unit replace the nine table reads
// per pixel without changing a single output value.
struct FixedTerm {
    int16_t sign = 1;
    uint16_t whole = 0;
    uint16_t fraction = 0;

    int32_t apply(uint32_t v) const {
        return sign * static_cast<int32_t>(v * whole + ((v * fraction) >> 16));
    }
};

class FixedPointMatrix {
public:
    // Terms reproducing every entry of every table, or nothing when a table is not of that
    // form or its coefficient is too large for a three-term sum to stay within 16 bits.
    static std::optional<FixedPointMatrix> fromTables(const ProductTables& tables);

    const FixedTerm& term(int k) const { return terms_[static_cast<size_t>(k)]; }

private:
    static std::optional<FixedTerm> fitTable(const ProductTable& table);

    std::array<FixedTerm, 9> terms_{};
};

}  // namespace vidscope::api
