// SPDX-License-Identifier: MIT
// The pipeline's tables against their formulas at the edges of every control's range.
#include <gtest/gtest.h>

#include "cameraapi/isp/IspTables.h"

namespace vidscope::api {
namespace {

template <size_t N>
void expectEntries(const ByteTable& table, const std::array<std::pair<int, int>, N>& expected) {
    for (auto [index, value] : expected)
        EXPECT_EQ(table[static_cast<size_t>(index)], value) << "entry " << index;
}

TEST(IspTables, GammaAtItsLimitsAndAtOne) {
    // Straight foot below 10, steep curve above, 255 pinned.
    expectEntries(
        IspTables::gammaTable(2.0),
        std::array<std::pair<int, int>, 8>{
            {{0, 0}, {1, 5}, {9, 45}, {10, 51}, {11, 53}, {128, 180}, {254, 254}, {255, 255}}});
    expectEntries(IspTables::gammaTable(0.3),
                  std::array<std::pair<int, int>, 6>{
                      {{9, 0}, {64, 2}, {128, 25}, {200, 112}, {254, 250}, {255, 255}}});
    ByteTable one = IspTables::gammaTable(1.0);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(one[static_cast<size_t>(i)], i);
}

TEST(IspTables, ContrastAboutTheMidpointAboveBlack) {
    ByteTable identity = IspTables::contrastTable(1.0, 0);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(identity[static_cast<size_t>(i)], i);
    EXPECT_EQ(IspTables::contrastTable(1.0, 255), identity) << "black 255 counts as none";
    expectEntries(IspTables::contrastTable(2.0, 0),
                  std::array<std::pair<int, int>, 6>{
                      {{63, 0}, {64, 1}, {100, 73}, {128, 129}, {200, 255}, {255, 255}}});
    expectEntries(IspTables::contrastTable(1.5, 10),
                  std::array<std::pair<int, int>, 5>{
                      {{63, 19}, {64, 20}, {100, 77}, {128, 120}, {200, 233}}});
    expectEntries(
        IspTables::contrastTable(0.3, 0),
        std::array<std::pair<int, int>, 4>{{{0, 88}, {127, 127}, {254, 165}, {255, 255}}});
    // With the highest black level all but the pinned top entry are black.
    for (double contrast : {0.3, 2.0}) {
        ByteTable table = IspTables::contrastTable(contrast, 254);
        EXPECT_EQ(table[254], 0);
        EXPECT_EQ(table[255], 255);
    }
}

TEST(IspTables, GainsTruncateAndSaturate) {
    ByteTable g15 = IspTables::gainTable(1.5);
    EXPECT_EQ(g15[169], 253);
    EXPECT_EQ(g15[170], 255);
    EXPECT_EQ(g15[255], 255);
    ByteTable g3 = IspTables::gainTable(3.0);
    EXPECT_EQ(g3[84], 252);
    EXPECT_EQ(g3[85], 255);
    EXPECT_EQ(IspTables::gainTable(1.01)[252], 254);
    EXPECT_EQ(IspTables::gainTable(0.0)[255], 0);
}

TEST(IspTables, ChannelAndToneTablesComposeGainContrastGamma) {
    ImageSettings s;
    s.gamma = 0.5;
    s.contrast = 1.4;
    s.blackLevel = 20;
    s.wbGainR = 1.7;
    s.wbGainB = 0.6;
    auto tables = IspTables::build(s, PixelMap{});
    const ByteTable gamma = IspTables::gammaTable(0.5);
    const ByteTable contrast = IspTables::contrastTable(1.4, 20);
    const ByteTable red = IspTables::gainTable(1.7);
    const ByteTable blue = IspTables::gainTable(0.6);
    for (size_t i = 0; i < 255; ++i) {
        EXPECT_EQ(tables->channelLut[IspTables::kRed][i], gamma[contrast[red[i]]]);
        EXPECT_EQ(tables->channelLut[IspTables::kGreen][i], gamma[contrast[i]]);
        EXPECT_EQ(tables->channelLut[IspTables::kBlue][i], gamma[contrast[blue[i]]]);
        EXPECT_EQ(tables->toneLut[i], gamma[contrast[i]]);
        // Monochrome grey: red gain at (odd, even), blue at (even, odd).
        EXPECT_EQ(tables->monoGreyLut[1][i], red[tables->toneLut[i]]);
        EXPECT_EQ(tables->monoGreyLut[2][i], blue[tables->toneLut[i]]);
        EXPECT_EQ(tables->monoGreyLut[3][i], tables->toneLut[i]);
    }
    EXPECT_EQ(tables->toneLut[255], 255);
}

TEST(IspTables, ColourMatrixIsBaseTimesSaturation) {
    const std::array<double, 9> identity{1, 0, 0, 0, 1, 0, 0, 0, 1};
    EXPECT_EQ(IspTables::colourMatrix(identity, 1.0), identity);
    std::array<double, 9> grey = IspTables::colourMatrix(identity, 0.0);
    for (size_t row = 0; row < 3; ++row) {
        EXPECT_EQ(grey[row * 3 + 0], 0.213);
        EXPECT_EQ(grey[row * 3 + 1], 0.712);
        EXPECT_EQ(grey[row * 3 + 2], 0.075);
    }
    // Base rows mix saturated rows: row 0 of (swap R and B) x S(2) is S(2)'s row 2.
    const std::array<double, 9> swap{0, 0, 1, 0, 1, 0, 1, 0, 0};
    std::array<double, 9> m = IspTables::colourMatrix(swap, 2.0);
    EXPECT_DOUBLE_EQ(m[0], -0.213);
    EXPECT_DOUBLE_EQ(m[1], -0.712);
    EXPECT_DOUBLE_EQ(m[2], 2.0 - 0.075);
    // Negative products truncate toward zero: -0.075 x 255 = -19.125 gives -19.
    ProductTables t = IspTables::productTables(IspTables::colourMatrix(identity, 2.0));
    EXPECT_EQ(t[2][255], -19);
    EXPECT_EQ(t[0][255], 455);  // (2 - 0.213) x 255 = 455.685
}

TEST(IspTables, GreyTablesHoldTheLuminanceWeights) {
    const ProductTables& grey = IspTables::greyTables();
    EXPECT_EQ(grey[3][255], 54);   // 0.213 x 255 = 54.315
    EXPECT_EQ(grey[4][255], 181);  // 0.712 x 255 = 181.56
    EXPECT_EQ(grey[5][255], 19);   // 0.075 x 255 = 19.125
    EXPECT_EQ(grey[4][100], 71);
}

TEST(IspTables, ColourTablesFollowOnlySaturationAndEnhancement) {
    ImageSettings s;
    auto before = IspTables::build(s, PixelMap{});
    EXPECT_FALSE(before->applyMatrix);
    s.ccm = {0, 0, 1, 0, 1, 0, 1, 0, 0};
    s.flags |= kFlagEnhancement;
    // Kept over from the set in force: a new matrix waits for the next colour rebuild.
    auto kept = IspTables::build(s, PixelMap{}, before.get());
    EXPECT_EQ(kept->colourTables, before->colourTables);
    EXPECT_TRUE(kept->applyMatrix);
    auto rebuilt = IspTables::build(s, PixelMap{});
    EXPECT_EQ(rebuilt->colourTables[2][200], 200);
    s.flags = 0;
    s.saturation = 0.9999999;
    EXPECT_TRUE(IspTables::build(s, PixelMap{})->applyMatrix) << "only exactly 1.0 skips";
}

}  // namespace
}  // namespace vidscope::api
