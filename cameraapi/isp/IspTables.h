// SPDX-License-Identifier: MIT
// One immutable, self-consistent set of the image pipeline's look-up tables and pixel map.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "cameraapi/isp/ImageSettings.h"
#include "cameraapi/isp/PixelMap.h"
#include "cameraapi/isp/ProductTables.h"

namespace vidscope::api {

using ByteTable = std::array<uint8_t, 256>;

// Product tables as bytes for vector units that look up bytes and add with carries. Each
// output row's three tables are shifted up by offsets that make every entry non-negative and
// sum to 256 x highBias[row]: the 16-bit sum of the shifted entries then has the high byte
// highBias exactly when the true sum is 0..255, less below and more above, so the clamp is a
// byte compare. bytes[k] holds the low bytes (0..255) and the high bytes (256..511) of term
// k; a `narrow` term has only low bytes (its high bytes are all zero).
struct SplitProducts {
    std::array<std::array<uint8_t, 512>, 9> bytes{};
    std::array<bool, 9> narrow{};
    std::array<uint8_t, 3> highBias{};
    bool valid = false;  // false when a row's shifted entries cannot sum within 16 bits

    static SplitProducts of(const ProductTables& tables);
};

// The nine product tables as multiplications for 16-bit vector lanes: entry v of table k is
// terms[k].apply(v), moved one further from zero where bit v of carries[k] is set (byte v / 8,
// bit v % 8). A table is a truncated double product, and the rounding of that product to a
// double can lift it onto the next integer for some v but not for others, so that no single
// multiplier reproduces it; the carries mark those v. Terms whose multiplier suffices
// (`carried` false) have no carries at all.
struct CarriedProducts {
    std::array<FixedTerm, 9> terms{};
    std::array<std::array<uint8_t, 32>, 9> carries{};
    std::array<bool, 9> carried{};
    // The terms reproduce the tables: false only for tables that are no products of one
    // coefficient each, which productTables() never builds.
    bool exact = false;
    // And a row's three terms sum within 16-bit lanes (every coefficient below 32).
    bool valid = false;
    // Or at least each row's sums span fewer than 65536 values, so that 16-bit lanes hold
    // them modulo 65536 and the row's window tells where they lie: sum - low is exact as an
    // unsigned lane, and the true sum is that plus low, clamped.
    bool windowed = false;
    std::array<int32_t, 3> low{};  // the smallest sum of each row, never above 0

    static CarriedProducts of(const ProductTables& tables);
    // Whether the luminance row is three positive fractions with exact multipliers, as its
    // weights always give: three high products per pixel then suffice.
    bool plainLuminance() const;
};

// Built in one go from a settings snapshot and never changed afterwards: a conversion holds
// one set for the whole frame, so a setter that publishes a new set meanwhile cannot mix the
// old gamma with the new gains within one picture.
struct IspTables {
    enum Channel { kRed = 0, kGreen = 1, kBlue = 2 };

    ByteTable gammaLut{};
    ByteTable contrastLut{};
    ByteTable toneLut{};
    std::array<ByteTable, 3> gainLut{};     // by Channel
    std::array<ByteTable, 3> channelLut{};  // gamma(contrast(gain)), by Channel
    // Monochrome GRAY8: gain of the pixel's place in its 2 x 2 cell after the tone table,
    // indexed by (y & 1) * 2 + (x & 1).
    std::array<ByteTable, 4> monoGreyLut{};
    ProductTables colourTables{};
    // The matrix colourTables were built from.
    std::array<double, 9> mixingMatrix{};
    // Whether RGB24 output of colour frames goes through colourTables at all.
    bool applyMatrix = false;
    SplitProducts colourSplit;
    CarriedProducts colourCarried;
    // The colour and grey products with the channel tables folded in: indexed by the
    // interpolated sample itself.
    SplitProducts colourRawSplit;
    SplitProducts greyRawSplit;
    PixelMap map;

    // Every table from `settings`. With `keepColour`, the colour tables are carried over from
    // it instead: a new colour matrix takes effect only when saturation or enhancement is set.
    static std::shared_ptr<const IspTables> build(const ImageSettings& settings,
                                                  const PixelMap& map,
                                                  const IspTables* keepColour = nullptr);

    // The pure table formulas, shared with the controls that report or write them.
    static ByteTable gammaTable(double gamma);
    static ByteTable contrastTable(double contrast, int32_t blackLevel);
    static ByteTable gainTable(double gain);
    // base x saturation matrix, row-major.
    static std::array<double, 9> colourMatrix(const std::array<double, 9>& base, double saturation);
    static ProductTables productTables(const std::array<double, 9>& matrix);
    // Products of the luminance weights; fixed for good.
    static const ProductTables& greyTables();
    static const CarriedProducts& greyCarried();
    static const SplitProducts& greySplit();
};

}  // namespace vidscope::api
