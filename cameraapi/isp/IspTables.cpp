// SPDX-License-Identifier: MIT
// Building the pipeline's tables from the image settings.
#include "cameraapi/isp/IspTables.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace vidscope::api {
namespace {

constexpr std::array<double, 3> kLuminanceWeights = {0.213, 0.712, 0.075};
// The gamma curve's rounding offset has always been computed in single precision; keeping
// that value keeps every table entry identical to what existing cameras show.
constexpr double kGammaOffset = static_cast<double>(0.499f);

// products[k][channelLut[k % 3][v]]: term k reads input channel k % 3.
ProductTables throughChannels(const ProductTables& products, const IspTables& tables) {
    ProductTables folded{};
    for (size_t k = 0; k < 9; ++k) {
        for (size_t v = 0; v < 256; ++v)
            folded[k][v] = products[k][tables.channelLut[k % 3][v]];
    }
    return folded;
}

uint8_t truncateToByte(double value) {
    auto truncated = static_cast<int64_t>(value);
    return static_cast<uint8_t>(truncated < 0 ? 0 : (truncated > 255 ? 255 : truncated));
}

}  // namespace

ByteTable IspTables::gammaTable(double gamma) {
    ByteTable table{};
    for (int i = 0; i < 256; ++i) {
        double curve = std::pow((i + 0.5) / 256.0, 1.0 / gamma);
        table[static_cast<size_t>(i)] = truncateToByte(curve * 256.0 - kGammaOffset);
    }
    // The power curve is steep near black; a straight foot avoids amplifying sensor noise.
    const int foot = table[10];
    for (int k = 0; k < 10; ++k)
        table[static_cast<size_t>(k)] = truncateToByte(k * foot / 10.0);
    table[255] = 255;
    return table;
}

ByteTable IspTables::contrastTable(double contrast, int32_t blackLevel) {
    const int32_t b = (blackLevel < 0 || blackLevel > 254) ? 0 : blackLevel;
    const double scale = 256.0 / (256 - b);
    const int32_t mid = b + (255 - b) / 2;
    ByteTable table{};
    for (int32_t i = 0; i < 256; ++i) {
        // Contrast about the middle of what remains above black, then stretched to full scale.
        double value = ((i - mid) * contrast + mid - b) * scale;
        table[static_cast<size_t>(i)] = truncateToByte(value);
    }
    table[255] = 255;
    return table;
}

ByteTable IspTables::gainTable(double gain) {
    ByteTable table{};
    for (int i = 0; i < 256; ++i) {
        double product = i * gain;
        table[static_cast<size_t>(i)] = product >= 255.0 ? 255 : truncateToByte(product);
    }
    return table;
}

std::array<double, 9> IspTables::colourMatrix(const std::array<double, 9>& base,
                                              double saturation) {
    std::array<double, 9> s{};
    for (size_t i = 0; i < 3; ++i) {
        for (size_t j = 0; j < 3; ++j) {
            s[i * 3 + j] = (1.0 - saturation) * kLuminanceWeights[j];
            if (i == j)
                s[i * 3 + j] += saturation;
        }
    }
    std::array<double, 9> m{};
    for (size_t i = 0; i < 3; ++i) {
        for (size_t j = 0; j < 3; ++j) {
            double sum = 0.0;
            for (size_t k = 0; k < 3; ++k)
                sum += base[i * 3 + k] * s[k * 3 + j];
            m[i * 3 + j] = sum;
        }
    }
    return m;
}

ProductTables IspTables::productTables(const std::array<double, 9>& matrix) {
    ProductTables tables{};
    for (size_t k = 0; k < 9; ++k) {
        for (int v = 0; v < 256; ++v)
            tables[k][static_cast<size_t>(v)] = static_cast<int32_t>(v * matrix[k]);
    }
    return tables;
}

const ProductTables& IspTables::greyTables() {
    static const ProductTables tables =
        productTables(colourMatrix({1.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 1.0}, 0.0));
    return tables;
}

namespace {

struct TermRange {
    int32_t low;
    int32_t high;
};

TermRange rangeOf(const ProductTable& table) {
    const auto [low, high] = std::minmax_element(table.begin(), table.end());
    return {*low, *high};
}

}  // namespace

SplitProducts SplitProducts::of(const ProductTables& tables) {
    SplitProducts split;
    for (size_t row = 0; row < 3; ++row) {
        std::array<TermRange, 3> range{};
        std::array<int32_t, 3> offset{};
        int32_t total = 0;
        for (size_t i = 0; i < 3; ++i) {
            range[i] = rangeOf(tables[row * 3 + i]);
            offset[i] = -range[i].low;
            total += offset[i];
        }
        // The offsets must sum to a multiple of 256: the rest goes to a term that stays
        // within a byte with it if there is one, else to a term that is wide anyway.
        const int32_t rest = (256 - total % 256) % 256;
        size_t takes = 0;
        int32_t bestSpan = std::numeric_limits<int32_t>::max();
        for (size_t i = 0; i < 3; ++i) {
            const int32_t span = range[i].high - range[i].low + rest;
            const int32_t cost = span <= 255 ? span - 65536 : span;
            if (cost < bestSpan) {
                bestSpan = cost;
                takes = i;
            }
        }
        offset[takes] += rest;
        total += rest;
        int64_t highest = 0;
        for (size_t i = 0; i < 3; ++i)
            highest += range[i].high + offset[i];
        if (highest > 65535 || total / 256 > 255)
            return SplitProducts{};
        split.highBias[row] = static_cast<uint8_t>(total / 256);
        for (size_t i = 0; i < 3; ++i) {
            const size_t k = row * 3 + i;
            split.narrow[k] = range[i].high + offset[i] <= 255;
            for (size_t v = 0; v < 256; ++v) {
                const auto word = static_cast<uint16_t>(tables[k][v] + offset[i]);
                split.bytes[k][v] = static_cast<uint8_t>(word & 0xFF);
                split.bytes[k][256 + v] = static_cast<uint8_t>(word >> 8);
            }
        }
    }
    split.valid = true;
    return split;
}

namespace {

// Keeps |sum of three terms| under 3 x (255 x 32 + 1) < 32768 in a 16-bit lane.
constexpr uint32_t kMaxNarrowWhole = 31;

struct CarriedTerm {
    FixedTerm term;
    std::array<uint8_t, 32> carries{};
    bool carried = false;
};

// Let x = v |c| be the exact product of an entry and a = 65536 |c|. The double product rounds
// x by far less than one, and never below an integer x lies above, so the entry |t[v]| is
// floor(x), or floor(x) + 1 where x lies just below an integer. The multiplier M, the largest
// whose products stay at or below every magnitude, exceeds a - 2: each v allows
// ((|t[v]| + 1) 65536 - 1) / v > (65536 x - 1) / v >= a - 1. So floor(v M / 65536) lies
// within 510 / 65536 of x from below, which makes it floor(x) or floor(x) - 1, the latter only
// where x lies just above an integer and the entry is floor(x). Every entry is therefore its
// multiplier form or one above: one carry bit, for any coefficient whose products are exact
// in an int32_t. Checked entry by entry all the same.
std::optional<CarriedTerm> carriedTerm(const ProductTable& table) {
    const bool negative = std::any_of(table.begin(), table.end(), [](int32_t e) { return e < 0; });
    const bool positive = std::any_of(table.begin(), table.end(), [](int32_t e) { return e > 0; });
    if ((negative && positive) || table[0] != 0)
        return std::nullopt;
    uint64_t multiplier = std::numeric_limits<uint64_t>::max();
    for (uint32_t v = 1; v < 256; ++v) {
        const auto magnitude = static_cast<uint64_t>(std::llabs(table[v]));
        multiplier = std::min(multiplier, (((magnitude + 1) << 16) - 1) / v);
    }
    if ((multiplier >> 16) > std::numeric_limits<int32_t>::max() / 255)
        return std::nullopt;
    CarriedTerm t;
    t.term.sign = negative ? -1 : 1;
    t.term.whole = static_cast<uint32_t>(multiplier >> 16);
    t.term.fraction = static_cast<uint16_t>(multiplier & 0xFFFF);
    for (uint32_t v = 0; v < 256; ++v) {
        const int64_t lift = (int64_t{table[v]} - t.term.apply(v)) * t.term.sign;
        if (lift != 0 && lift != 1)
            return std::nullopt;
        if (lift == 1) {
            t.carries[v / 8] = static_cast<uint8_t>(t.carries[v / 8] | (1U << (v % 8)));
            t.carried = true;
        }
    }
    return t;
}

}  // namespace

bool CarriedProducts::plainLuminance() const {
    bool plain = valid;
    for (size_t k = 3; k < 6; ++k)
        plain = plain && !carried[k] && terms[k].sign > 0 && terms[k].whole == 0;
    return plain;
}

CarriedProducts CarriedProducts::of(const ProductTables& tables) {
    CarriedProducts products;
    bool narrow = true;
    for (size_t k = 0; k < 9; ++k) {
        const std::optional<CarriedTerm> t = carriedTerm(tables[k]);
        if (!t)
            return CarriedProducts{};
        products.terms[k] = t->term;
        products.carries[k] = t->carries;
        products.carried[k] = t->carried;
        narrow = narrow && t->term.whole <= kMaxNarrowWhole;
    }
    products.exact = true;
    products.valid = narrow;
    products.windowed = true;
    for (size_t row = 0; row < 3; ++row) {
        int64_t low = 0;
        int64_t high = 0;
        for (size_t i = 0; i < 3; ++i) {
            const TermRange range = rangeOf(tables[row * 3 + i]);
            low += range.low;
            high += range.high;
            // The 16-bit multiply keeps the whole part modulo 65536 only up to this.
            products.windowed = products.windowed && products.terms[row * 3 + i].whole <= 0xFFFF;
        }
        products.low[row] = static_cast<int32_t>(low);
        products.windowed = products.windowed && high - low <= 0xFFFF;
    }
    return products;
}

const CarriedProducts& IspTables::greyCarried() {
    static const CarriedProducts carried = CarriedProducts::of(greyTables());
    return carried;
}

const SplitProducts& IspTables::greySplit() {
    static const SplitProducts split = SplitProducts::of(greyTables());
    return split;
}

std::shared_ptr<const IspTables> IspTables::build(const ImageSettings& settings,
                                                  const PixelMap& map,
                                                  const IspTables* keepColour) {
    auto tables = std::make_shared<IspTables>();
    tables->gammaLut = gammaTable(settings.gamma);
    tables->contrastLut = contrastTable(settings.contrast, settings.blackLevel);
    const std::array<double, 3> gains = {settings.wbGainR, settings.wbGainG, settings.wbGainB};
    for (size_t c = 0; c < 3; ++c) {
        tables->gainLut[c] = gainTable(gains[c]);
        for (size_t i = 0; i < 256; ++i)
            tables->channelLut[c][i] = tables->gammaLut[tables->contrastLut[tables->gainLut[c][i]]];
    }
    for (size_t i = 0; i < 256; ++i)
        tables->toneLut[i] = tables->gammaLut[tables->contrastLut[i]];
    tables->toneLut[255] = 255;
    // Cell positions (even, even), (odd, even), (even, odd), (odd, odd).
    const std::array<size_t, 4> cellGain = {kGreen, kRed, kBlue, kGreen};
    for (size_t cell = 0; cell < 4; ++cell) {
        for (size_t i = 0; i < 256; ++i)
            tables->monoGreyLut[cell][i] = tables->gainLut[cellGain[cell]][tables->toneLut[i]];
    }
    const bool enhanced = (settings.flags & kFlagEnhancement) != 0;
    tables->applyMatrix = enhanced || settings.saturation != 1.0;
    if (keepColour != nullptr) {
        tables->colourTables = keepColour->colourTables;
        tables->mixingMatrix = keepColour->mixingMatrix;
        tables->colourSplit = keepColour->colourSplit;
        tables->colourCarried = keepColour->colourCarried;
    } else {
        const std::array<double, 9>& base = enhanced ? settings.ccm : settings.defaultMatrix;
        tables->mixingMatrix = colourMatrix(base, settings.saturation);
        tables->colourTables = productTables(tables->mixingMatrix);
        tables->colourSplit = SplitProducts::of(tables->colourTables);
        tables->colourCarried = CarriedProducts::of(tables->colourTables);
    }
    tables->colourRawSplit = SplitProducts::of(throughChannels(tables->colourTables, *tables));
    tables->greyRawSplit = SplitProducts::of(throughChannels(greyTables(), *tables));
    tables->map = map;
    return tables;
}

}  // namespace vidscope::api
