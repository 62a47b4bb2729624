// SPDX-License-Identifier: MIT
// Fitting and verifying the integer multiply form of product tables.
#include "cameraapi/FixedPointMatrix.h"

#include <algorithm>
#include <cstdlib>

namespace vidscope::api {
namespace {

// A coefficient below this keeps |sum of three terms| under 3 x 255 x 32 < 32768.
constexpr uint32_t kMaxWhole = 31;

}  // namespace

std::optional<FixedPointMatrix> FixedPointMatrix::fromTables(const ProductTables& tables) {
    FixedPointMatrix matrix;
    for (size_t k = 0; k < tables.size(); ++k) {
        std::optional<FixedTerm> term = fitTable(tables[k]);
        if (!term)
            return std::nullopt;
        matrix.terms_[k] = *term;
    }
    return matrix;
}

std::optional<FixedTerm> FixedPointMatrix::fitTable(const ProductTable& table) {
    const bool negative = std::any_of(table.begin(), table.end(), [](int32_t e) { return e < 0; });
    // The smallest multiplier K (16 fraction bits) whose floor products reach every entry;
    // any valid multiplier is at least this one, so verifying it decides the question.
    uint64_t multiplier = 0;
    for (uint32_t v = 1; v < 256; ++v) {
        auto magnitude = static_cast<uint64_t>(std::llabs(table[v]));
        multiplier = std::max(multiplier, ((magnitude << 16) + v - 1) / v);
    }
    if ((multiplier >> 16) > kMaxWhole)
        return std::nullopt;
    FixedTerm term;
    term.sign = negative ? -1 : 1;
    term.whole = static_cast<uint16_t>(multiplier >> 16);
    term.fraction = static_cast<uint16_t>(multiplier & 0xFFFF);
    for (uint32_t v = 0; v < 256; ++v) {
        if (term.apply(v) != table[v])
            return std::nullopt;
    }
    return term;
}

}  // namespace vidscope::api
