// SPDX-License-Identifier: MIT
// Each row loop of every set this processor runs against the portable one, row by row: any
// width, misaligned rows, random tables and matrices, and no byte written outside its row.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "IspTestSupport.h"
#include "cameraapi/isp/IspTables.h"

namespace vidscope::api::test {
namespace {

// Room around each row: the loops read one byte either side of a mosaic row and must write
// nothing outside what they are given.
constexpr size_t kGuard = 40;

// Widths around the 16-, 32- and 64-byte blocks of the vector loops, then random ones.
std::vector<uint32_t> rowWidths() {
    std::vector<uint32_t> widths = {0,  1,  2,  3,  15, 16, 17, 18, 31, 32, 33,  34,  35,  47,
                                    48, 49, 63, 64, 65, 66, 67, 95, 96, 97, 127, 128, 129, 130};
    std::mt19937 random(11);
    for (int i = 0; i < 40; ++i)
        widths.push_back(2 + random() % 700);
    return widths;
}

// A buffer of random bytes with a row starting `offset` bytes into it, misaligned on purpose.
struct Row {
    std::vector<uint8_t> bytes;
    size_t offset;

    Row(size_t width, uint32_t seed)
        : bytes(randomFrame(width + 2 * kGuard, seed)), offset(kGuard - seed % 7) {}
    uint8_t* data() { return bytes.data() + offset; }
};

ByteTable randomTable(std::mt19937& random) {
    ByteTable table{};
    for (uint8_t& entry : table)
        entry = static_cast<uint8_t>(random());
    return table;
}

// The portable set first, then the ones held against it.
std::vector<const IspKernels*> setsUnderTest() {
    return IspDispatch::available();
}

#if defined(__aarch64__)
TEST(IspKernelRows, NeonIsAvailableAndChosenOnArm64) {
    const IspKernels* neon = IspDispatch::find("neon");
    ASSERT_NE(neon, nullptr);
    EXPECT_EQ(setsUnderTest().back(), neon);
}
#endif

TEST(IspKernelRows, DemosaicAndSmoothingRows) {
    if (setsUnderTest().size() < 2)
        GTEST_SKIP() << "only the portable set runs on this processor";
    std::mt19937 random(3);
    const ByteTable lutA = randomTable(random);
    const ByteTable lutB = randomTable(random);
    const ByteTable lutC = randomTable(random);
    uint32_t seed = 100;
    for (uint32_t width : rowWidths()) {
        for (uint32_t variant = 0; variant < 4; ++variant, seed += 8) {
            Row above(width, seed);
            Row row(width, seed + 1);
            Row below(width, seed + 2);
            // Identity tables take the loops' no-lookup branch.
            const bool identity = variant == 3;
            const uint8_t* own = identity ? identityTable() : lutA.data();
            const uint8_t* green = identity ? identityTable() : lutB.data();
            const uint8_t* cross = identity ? identityTable() : lutC.data();
            std::array<std::vector<uint8_t>, 3> expected;
            std::vector<uint8_t> expectedSmooth;
            for (const IspKernels* set : setsUnderTest()) {
                std::array<Row, 3> planes = {Row(width, seed + 3), Row(width, seed + 3),
                                             Row(width, seed + 3)};
                const BayerRowArgs args{above.data(),
                                        row.data(),
                                        below.data(),
                                        width,
                                        variant & 1U,
                                        own,
                                        green,
                                        cross,
                                        planes[0].data(),
                                        planes[1].data(),
                                        planes[2].data()};
                if (width >= 2)
                    set->bayerRow(args);
                Row smooth(width, seed + 4);
                if (width >= 2)
                    set->monoSmoothRow(above.data(), row.data(), below.data(), width, own,
                                       smooth.data());
                if (set == setsUnderTest().front()) {
                    for (size_t p = 0; p < 3; ++p)
                        expected[p] = planes[p].bytes;
                    expectedSmooth = smooth.bytes;
                    continue;
                }
                for (size_t p = 0; p < 3; ++p)
                    ASSERT_EQ(planes[p].bytes, expected[p])
                        << set->name << " plane " << p << " width " << width << " variant "
                        << variant;
                ASSERT_EQ(smooth.bytes, expectedSmooth) << set->name << " width " << width;
            }
        }
    }
}

// A matrix of random coefficients up to `limit`: eighths, which have exact multipliers, and
// hundredths, whose double products land on integers at some multiples only (carries).
std::array<double, 9> randomMatrix(std::mt19937& random, int limit) {
    std::uniform_int_distribution<int> hundredths(-100 * limit, 100 * limit);
    std::array<double, 9> matrix{};
    for (double& m : matrix) {
        const int h = hundredths(random);
        m = random() % 3 == 0 ? std::round(h / 12.5) / 8.0 : h / 100.0;
    }
    return matrix;
}

TEST(IspKernelRows, ColourMixAndPixelWrites) {
    if (setsUnderTest().size() < 2)
        GTEST_SKIP() << "only the portable set runs on this processor";
    std::mt19937 random(5);
    const OutputLayout layouts[] = {{3, 0, 2}, {3, 2, 0}, {4, 0, 2}, {4, 2, 0}};
    bool sawCarried = false;
    bool sawNoForm = false;
    uint32_t seed = 5000;
    for (uint32_t width : rowWidths()) {
        IspTables tables;
        // Mostly colour corrections, now and then coefficients no 16-bit form holds.
        const int limit = random() % 8 == 0 ? 40 : 3;
        tables.colourTables = IspTables::productTables(randomMatrix(random, limit));
        tables.colourCarried = CarriedProducts::of(tables.colourTables);
        sawNoForm |= !tables.colourCarried.valid;
        for (bool c : tables.colourCarried.carried)
            sawCarried |= tables.colourCarried.valid && c;
        Row r(width, ++seed);
        Row g(width, ++seed);
        Row b(width, ++seed);
        for (const OutputLayout& layout : layouts) {
            const size_t outBytes = size_t{width} * layout.bytesPerPixel;
            std::vector<uint8_t> expectedMix;
            std::vector<uint8_t> expectedDirect;
            std::vector<uint8_t> expectedGrey;
            for (const IspKernels* set : setsUnderTest()) {
                // The fourth byte of four-byte pixels must keep what was there.
                Row mixed(outBytes, seed + 7);
                Row direct(outBytes, seed + 7);
                Row grey(width, seed + 7);
                set->writeMatrix(r.data(), g.data(), b.data(), width, tables, layout, mixed.data());
                set->writeDirect(r.data(), g.data(), b.data(), width, layout, direct.data());
                set->writeGrey(r.data(), g.data(), b.data(), width, grey.data());
                if (set == setsUnderTest().front()) {
                    expectedMix = mixed.bytes;
                    expectedDirect = direct.bytes;
                    expectedGrey = grey.bytes;
                    continue;
                }
                ASSERT_EQ(mixed.bytes, expectedMix)
                    << set->name << " width " << width << " layout " << layout.bytesPerPixel << "/"
                    << layout.redOffset << " matrix " << tables.colourTables[0][1];
                ASSERT_EQ(direct.bytes, expectedDirect) << set->name << " width " << width;
                ASSERT_EQ(grey.bytes, expectedGrey) << set->name << " width " << width;
            }
        }
    }
    EXPECT_TRUE(sawCarried);
    EXPECT_TRUE(sawNoForm);
}

TEST(IspKernelRows, TablesSumsAndReversal) {
    std::mt19937 random(9);
    uint32_t seed = 9000;
    // Long rows too: the sums gather in narrow lanes that must be emptied in time.
    std::vector<uint32_t> widths = rowWidths();
    widths.push_back(8192 + 96);
    for (uint32_t width : widths) {
        const ByteTable even = randomTable(random);
        const ByteTable odd = randomTable(random);
        Row row(width, ++seed);
        // Saturated rows show a sum that overflows its lanes.
        if (width > 8000)
            std::memset(row.data(), 0xFF, width);
        std::vector<uint8_t> expectedAlternate;
        std::vector<uint8_t> expectedReversed;
        uint64_t expectedSums[2] = {};
        for (const IspKernels* set : setsUnderTest()) {
            Row out(width, seed + 1);
            set->alternateRow(row.data(), width, even.data(), odd.data(), out.data());
            Row reversed = row;
            set->reverse(reversed.data(), width);
            const uint64_t sums[2] = {set->sumParity(row.data(), width, 0),
                                      set->sumParity(row.data(), width, 1)};
            if (set == setsUnderTest().front()) {
                expectedAlternate = out.bytes;
                expectedReversed = reversed.bytes;
                expectedSums[0] = sums[0];
                expectedSums[1] = sums[1];
                // The reference itself: a reversal that is its own inverse, sums that add up.
                set->reverse(reversed.data(), width);
                ASSERT_EQ(reversed.bytes, row.bytes);
                uint64_t total = 0;
                for (uint32_t x = 0; x < width; ++x)
                    total += row.data()[x];
                ASSERT_EQ(sums[0] + sums[1], total);
                continue;
            }
            ASSERT_EQ(out.bytes, expectedAlternate) << set->name << " width " << width;
            ASSERT_EQ(reversed.bytes, expectedReversed) << set->name << " width " << width;
            ASSERT_EQ(sums[0], expectedSums[0]) << set->name << " width " << width;
            ASSERT_EQ(sums[1], expectedSums[1]) << set->name << " width " << width;
        }
    }
}

}  // namespace
}  // namespace vidscope::api::test
