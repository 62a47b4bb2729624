// SPDX-License-Identifier: MIT
// Every row-loop set this processor runs gives the same bytes as the portable one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <utility>

#include "IspTestSupport.h"
#include "cameraapi/isp/IspRowWriter.h"
#include "cameraapi/isp/IspTables.h"
#include "cameraapi/isp/MosaicTurner.h"

namespace vidscope::api::test {
namespace {

struct Case {
    PipelineClass cls;
    uint32_t format;
};

// Colour settings of one pass over every size; the vector loops choose their path by them.
struct Variant {
    double saturation;
    std::array<double, 9> ccm;
    bool enhancement;
};

// Exact multipliers; coefficients such as 0.35 and 0.7 whose products round onto the next
// integer at some multiples only; coefficients too large for 16-bit lanes, up to the largest
// the camera API takes.
constexpr std::array<double, 9> kPlainCcm = {1.5, -0.3, -0.2, -0.25, 1.4, -0.15, 0.1, -0.6, 1.5};
constexpr std::array<double, 9> kCarriedCcm = {1.55,  -0.35, -0.2, -0.25, 1.7,
                                               -0.45, -0.05, -0.7, 1.75};
constexpr std::array<double, 9> kHugeCcm = {33.0, -32.5, 0.5, 0.2, 0.6, 0.2, -40.0, 0.0, 41.0};
constexpr std::array<double, 9> kExtremeCcm = {100000.0, -99999.7, 0.35, -100000.0, 100000.0,
                                               -0.45,    1.7,      -3.3, 99999.9};

const Variant kVariants[] = {
    {1.0, kPlainCcm, false},   // channel tables only
    {1.6, kPlainCcm, false},   // saturation, clamped both ways
    {1.0, kPlainCcm, true},    // negative terms
    {1.0, kCarriedCcm, true},  // carried products
    {1.0, kHugeCcm, true},     // no 16-bit form
    {2.0, kExtremeCcm, true},  // the largest products there are
};

// Every combination of mirror X, mirror Y and rotation.
uint16_t geometry(size_t index) {
    return static_cast<uint16_t>((index & 1 ? kFlagMirrorX : 0) | (index & 2 ? kFlagMirrorY : 0) |
                                 (index & 4 ? kFlagRotate : 0));
}

void configure(TestPipeline& t, const Variant& variant, double step, uint16_t geometryFlags) {
    t.pipeline.updateColour([&](ImageSettings& s) {
        s.gamma = 0.45 + 0.3 * step;
        s.contrast = 1.0 + 0.2 * step;
        s.blackLevel = static_cast<int32_t>(5 * step);
        s.wbGainR = 1.0 + 0.4 * step;
        s.wbGainB = 1.8 - 0.3 * step;
        s.saturation = variant.saturation;
        s.ccm = variant.ccm;
        s.flags =
            static_cast<uint16_t>(geometryFlags | (variant.enhancement ? kFlagEnhancement : 0));
    });
    t.pipeline.rebuildPixelMap(t.camera.sensorWidth, t.camera.sensorHeight);
}

TEST(IspKernels, AllSetsGiveIdenticalBytes) {
    const std::vector<const IspKernels*> sets = IspDispatch::available();
    if (sets.size() < 2)
        GTEST_SKIP() << "only the portable set runs on this processor";
    const std::vector<Case> cases = {
        {PipelineClass::BayerBGGR, CAMERA_FORMAT_RGB24},
        {PipelineClass::BayerGRBG, CAMERA_FORMAT_RGB24 | CAMERA_FORMAT_BLUE_FIRST},
        {PipelineClass::BayerGRBG, CAMERA_FORMAT_RGB24 | CAMERA_FORMAT_FOUR_BYTES},
        {PipelineClass::BayerBGGR, CAMERA_FORMAT_GRAY8},
        {PipelineClass::Monochrome, CAMERA_FORMAT_RGB24},
        {PipelineClass::Monochrome, CAMERA_FORMAT_GRAY8},
    };
    // Up to and past one, two and three blocks of 32 and 64 pixels, as the loops take them.
    const uint32_t widths[] = {2,  4,  6,  8,  14, 16,  30,  32,  34,  48,
                               62, 64, 66, 96, 98, 100, 130, 194, 258, 7};
    std::array<bool, 8> sawGeometry{};
    // Rotated frames are transposed 16 rows at a time: whole blocks, and some to spare.
    const uint32_t heights[] = {2, 4, 6, 10, 5, 34};
    uint32_t seed = 1;
    // How the colour tables of the matrix variants came out: each vector path must be met.
    bool sawExact = false;
    bool sawCarried = false;
    bool sawWindowed = false;
    bool sawWide = false;
    for (const Case& c : cases) {
        for (uint32_t w : widths) {
            for (uint32_t h : heights) {
                for (size_t v = 0; v < std::size(kVariants); ++v, ++seed) {
                    const Variant& variant = kVariants[v];
                    const double step = static_cast<double>(v % 4);
                    const size_t placement = seed % 8;
                    sawGeometry[placement] = true;
                    TestPipeline t(c.cls, w, h);
                    configure(t, variant, step, geometry(placement));
                    if (const auto tables = t.pipeline.tables(); tables->applyMatrix) {
                        const CarriedProducts& carried = tables->colourCarried;
                        const bool anyCarry =
                            std::find(carried.carried.begin(), carried.carried.end(), true) !=
                            carried.carried.end();
                        sawExact |= carried.valid && !anyCarry;
                        sawCarried |= carried.valid && anyCarry;
                        sawWindowed |= !carried.valid && carried.windowed;
                        sawWide |= carried.exact && !carried.windowed;
                    }
                    const std::vector<uint8_t> raw = randomFrame(size_t{w} * h, seed);
                    const std::vector<uint8_t> expected = t.convert(raw, c.format, *sets[0]);
                    const int32_t expectedMean = t.mean();
                    for (size_t k = 1; k < sets.size(); ++k) {
                        ASSERT_EQ(t.convert(raw, c.format, *sets[k]), expected)
                            << sets[k]->name << " " << w << "x" << h << " variant " << v
                            << " format " << c.format << " class " << int(c.cls) << " flags "
                            << geometry(placement);
                        ASSERT_EQ(t.mean(), expectedMean) << sets[k]->name;
                    }
                }
            }
        }
    }
    EXPECT_EQ(std::count(sawGeometry.begin(), sawGeometry.end(), true), 8);
    EXPECT_TRUE(sawExact);
    EXPECT_TRUE(sawCarried);
    EXPECT_TRUE(sawWindowed);
    EXPECT_TRUE(sawWide);
}

// Sizes drawn at random, odd ones included, some wider than a turned chunk, each with every
// mirror and rotation in turn.
TEST(IspKernels, RandomSizesGiveIdenticalBytesInEveryGeometry) {
    const std::vector<const IspKernels*> sets = IspDispatch::available();
    if (sets.size() < 2)
        GTEST_SKIP() << "only the portable set runs on this processor";
    const Case cases[] = {
        {PipelineClass::BayerGRBG, CAMERA_FORMAT_RGB24},
        {PipelineClass::BayerBGGR, CAMERA_FORMAT_RGB24 | CAMERA_FORMAT_FOUR_BYTES},
        {PipelineClass::BayerGRBG, CAMERA_FORMAT_GRAY8},
        {PipelineClass::Monochrome, CAMERA_FORMAT_RGB24},
        {PipelineClass::Monochrome, CAMERA_FORMAT_GRAY8},
    };
    std::mt19937 random(29);
    std::uniform_int_distribution<uint32_t> width(2, MosaicTurner::kChunkRows + 90);
    std::uniform_int_distribution<uint32_t> height(2, 300);
    for (uint32_t round = 0; round < 8; ++round) {
        const uint32_t w = width(random);
        const uint32_t h = height(random);
        const Case& c = cases[round % std::size(cases)];
        const Variant& variant = kVariants[random() % std::size(kVariants)];
        const std::vector<uint8_t> raw = randomFrame(size_t{w} * h, round);
        for (size_t index = 0; index < 8; ++index) {
            TestPipeline t(c.cls, w, h);
            configure(t, variant, static_cast<double>(round % 4), geometry(index));
            const std::vector<uint8_t> expected = t.convert(raw, c.format, *sets[0]);
            for (size_t k = 1; k < sets.size(); ++k) {
                ASSERT_EQ(t.convert(raw, c.format, *sets[k]), expected)
                    << sets[k]->name << " " << w << "x" << h << " flags " << geometry(index)
                    << " format " << c.format << " class " << int(c.cls);
            }
        }
    }
}

TEST(IspKernels, TransposeAnyShapeEitherWay) {
    // Past the 16-row blocks and the 32- and 64-column blocks of the vector forms.
    const uint32_t rowCounts[] = {1, 15, 16, 17, 32, 33};
    const uint32_t colCounts[] = {1, 16, 31, 32, 33, 64, 65, 130};
    for (const IspKernels* set : IspDispatch::available()) {
        for (uint32_t rows : rowCounts) {
            for (uint32_t cols : colCounts) {
                for (int direction = 0; direction < 4; ++direction) {
                    // Strides wider than the data, so that a stray write shows in the gaps.
                    const ptrdiff_t srcPitch = cols + 3;
                    const ptrdiff_t dstPitch = rows + 5;
                    const std::vector<uint8_t> src =
                        randomFrame(size_t(srcPitch) * rows, rows * 131 + cols);
                    std::vector<uint8_t> dst(size_t(dstPitch) * cols, 0xEE);
                    const bool srcBack = (direction & 1) != 0;
                    const bool dstBack = (direction & 2) != 0;
                    const uint8_t* from = src.data() + (srcBack ? (rows - 1) * srcPitch : 0);
                    uint8_t* to = dst.data() + (dstBack ? (cols - 1) * dstPitch : 0);
                    set->transpose(from, srcBack ? -srcPitch : srcPitch, rows, cols, to,
                                   dstBack ? -dstPitch : dstPitch);
                    for (uint32_t c = 0; c < cols; ++c) {
                        const size_t line = size_t(dstBack ? cols - 1 - c : c) * dstPitch;
                        for (uint32_t r = 0; r < dstPitch; ++r) {
                            const uint32_t sourceRow = srcBack ? rows - 1 - r : r;
                            const uint8_t want = r < rows ? src[sourceRow * srcPitch + c] : 0xEE;
                            ASSERT_EQ(dst[line + r], want)
                                << set->name << " " << rows << "x" << cols << " direction "
                                << direction << " at column " << c << " row " << r;
                        }
                    }
                }
            }
        }
    }
}

TEST(IspKernels, MirroredAndTurnedFramesLandWhereThePixelMapSays) {
    // One whole turned chunk and a part.
    const uint32_t w = MosaicTurner::kChunkRows + 6;
    const uint32_t h = 70;
    const std::vector<uint8_t> raw = randomFrame(size_t{w} * h, 23);
    const std::vector<Case> cases = {
        {PipelineClass::BayerGRBG, CAMERA_FORMAT_RGB24},
        {PipelineClass::BayerGRBG, CAMERA_FORMAT_RGB24 | CAMERA_FORMAT_FOUR_BYTES},
        {PipelineClass::BayerBGGR, CAMERA_FORMAT_GRAY8},
        {PipelineClass::Monochrome, CAMERA_FORMAT_RGB24 | CAMERA_FORMAT_FOUR_BYTES},
        {PipelineClass::Monochrome, CAMERA_FORMAT_GRAY8},
    };
    for (const Case& c : cases) {
        for (const uint16_t colour : {uint16_t{0}, kFlagEnhancement}) {
            // What the portable set placed, for the others to match byte for byte.
            std::array<std::vector<uint8_t>, 8> reference;
            for (const IspKernels* set : IspDispatch::available()) {
                TestPipeline t(c.cls, w, h);
                t.pipeline.updateColour([&](ImageSettings& s) {
                    s.ccm = kPlainCcm;
                    s.flags = colour;
                });
                const std::vector<uint8_t> plain = t.convert(raw, c.format, *set);
                const size_t p = plain.size() / raw.size();
                for (size_t index = 1; index < 8; ++index) {
                    const uint16_t flags = geometry(index) | colour;
                    t.pipeline.update([&](ImageSettings& s) { s.flags = flags; });
                    t.pipeline.rebuildPixelMap(w, h);
                    // Every output byte is compared, the fourth that is never written too.
                    const std::vector<uint8_t> moved = t.convert(raw, c.format, *set);
                    const std::vector<uint32_t> map = t.pipeline.tables()->map.materialize();
                    for (size_t i = 0; i < map.size(); ++i) {
                        for (size_t k = 0; k < p; ++k) {
                            ASSERT_EQ(moved[map[i] * p + k], plain[i * p + k])
                                << set->name << " flags " << flags << " source pixel " << i
                                << " format " << c.format << " class " << int(c.cls);
                        }
                    }
                    if (reference[index].empty())
                        reference[index] = moved;
                    else
                        ASSERT_EQ(moved, reference[index]) << set->name << " flags " << flags;
                }
            }
        }
    }
}

// A quarter-turned frame is interpolated, smoothed or given its cell gains from the turned
// mosaic, with the Bayer border redone upright: every pixel must still be the upright one,
// moved where the map says. The turned mosaic comes a chunk at a time through a ring of two,
// so the sizes pass one, two and three chunks; odd ones shift the pattern a turn or mirror
// gives the mosaic; frames under three pixels a side go pixel by pixel.
TEST(IspKernels, QuarterTurnedMosaicsLandWhereThePixelMapSays) {
    constexpr uint32_t kChunk = MosaicTurner::kChunkRows;
    const std::pair<uint32_t, uint32_t> sizes[] = {
        {2, 5},  {7, 2}, {3, 3}, {5, 8}, {kChunk, 4}, {kChunk + 1, 7}, {2 * kChunk + 37, 6},
        {40, 33}};
    const uint32_t formats[] = {
        CAMERA_FORMAT_RGB24,
        CAMERA_FORMAT_RGB24 | CAMERA_FORMAT_FOUR_BYTES | CAMERA_FORMAT_BLUE_FIRST,
        CAMERA_FORMAT_GRAY8};
    // Tables folded into the mix (raw planes), and applied before it.
    const Variant variants[] = {kVariants[0], kVariants[3], kVariants[4]};
    uint32_t seed = 5;
    for (const IspKernels* set : IspDispatch::available()) {
        for (const auto& [w, h] : sizes) {
            for (PipelineClass cls :
                 {PipelineClass::BayerBGGR, PipelineClass::BayerGRBG, PipelineClass::Monochrome}) {
                const std::vector<uint8_t> raw = randomFrame(size_t{w} * h, ++seed);
                for (uint32_t format : formats) {
                    for (const Variant& variant : variants) {
                        TestPipeline t(cls, w, h);
                        configure(t, variant, 1.0, 0);
                        const std::vector<uint8_t> upright = t.convert(raw, format, *set);
                        const int32_t uprightMean = t.mean();
                        const size_t p = upright.size() / raw.size();
                        for (size_t index = 4; index < 8; ++index) {
                            configure(t, variant, 1.0, geometry(index));
                            const std::vector<uint8_t> turned = t.convert(raw, format, *set);
                            ASSERT_EQ(t.mean(), uprightMean);
                            const PixelMap& map = t.pipeline.tables()->map;
                            for (uint32_t y = 0; y < h; ++y) {
                                for (uint32_t x = 0; x < w; ++x) {
                                    const size_t from = (size_t{y} * w + x) * p;
                                    const size_t to = map.destination(x, y) * p;
                                    ASSERT_TRUE(std::equal(upright.begin() + from,
                                                           upright.begin() + from + p,
                                                           turned.begin() + to))
                                        << set->name << " " << w << "x" << h << " flags "
                                        << geometry(index) << " format " << format << " class "
                                        << int(cls) << " source (" << x << ", " << y << ")";
                                }
                            }
                        }
                    }
                }
            }
        }
    }
}

// Entry v of table k from the carried form, as a vector lane adds it up.
int32_t carriedEntry(const CarriedProducts& p, size_t k, uint32_t v) {
    const int32_t carry = (p.carries[k][v / 8] >> (v % 8)) & 1;
    return p.terms[k].apply(v) + p.terms[k].sign * carry;
}

TEST(CarriedProducts, ReproduceTablesOfAnyCoefficient) {
    // Decimal coefficients are where the double products land on integers unevenly; random
    // ones cover the rest, up to the largest a saturated matrix of the largest CCM reaches.
    std::vector<double> coefficients;
    for (int hundredths = -400; hundredths <= 400; ++hundredths)
        coefficients.push_back(hundredths / 100.0);
    for (int tenths = -2000; tenths <= 2000; tenths += 7)
        coefficients.push_back(99000.0 + tenths / 10.0);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> spread(-31.9, 31.9);
    std::uniform_real_distribution<double> wide(-600000.0, 600000.0);
    for (int i = 0; i < 400; ++i) {
        coefficients.push_back(spread(random));
        coefficients.push_back(wide(random));
    }
    size_t carriedTerms = 0;
    size_t narrowMatrices = 0;
    for (size_t first = 0; first < coefficients.size(); first += 9) {
        std::array<double, 9> matrix{};
        bool narrow = true;
        for (size_t k = 0; k < 9; ++k) {
            matrix[k] = coefficients[(first + k) % coefficients.size()];
            narrow = narrow && std::abs(matrix[k]) < 32.0;
        }
        const ProductTables tables = IspTables::productTables(matrix);
        const CarriedProducts p = CarriedProducts::of(tables);
        ASSERT_TRUE(p.exact) << "coefficients from " << matrix[0];
        // Below 32 the 16-bit form is promised; above it would overflow.
        ASSERT_EQ(p.valid, narrow) << "coefficients from " << matrix[0];
        narrowMatrices += narrow ? 1 : 0;
        for (size_t k = 0; k < 9; ++k) {
            carriedTerms += p.carried[k] ? 1 : 0;
            for (uint32_t v = 0; v < 256; ++v)
                ASSERT_EQ(carriedEntry(p, k, v), tables[k][v]) << matrix[k] << " x " << v;
        }
    }
    EXPECT_GT(carriedTerms, 0U) << "no coefficient needed a carry";
    EXPECT_GT(narrowMatrices, 0U);
}

TEST(CarriedProducts, TellWhichLanesHoldTheSums) {
    std::array<double, 9> matrix = {1.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 1.0};
    EXPECT_TRUE(CarriedProducts::of(IspTables::productTables(matrix)).valid);
    matrix[4] = -32.5;
    const CarriedProducts wide = CarriedProducts::of(IspTables::productTables(matrix));
    EXPECT_TRUE(wide.exact);
    EXPECT_FALSE(wide.valid);
    // A table that is no product of one coefficient.
    ProductTables bent = IspTables::productTables({});
    bent[2][100] = 7;
    EXPECT_FALSE(CarriedProducts::of(bent).exact);
    EXPECT_FALSE(CarriedProducts::of(bent).valid);
}

// Large coefficients that nearly cancel: random planes would clamp almost every sum, so the
// planes here keep red and green close, where the sums fall inside the byte range.
TEST(IspKernels, WideMatrixMixesExactlyInsideTheByteRange) {
    struct Wide {
        std::array<double, 9> matrix;
        bool windowed;
    };
    const Wide matrices[] = {
        // Sums spanning fewer than 65536 values, one row entirely positive, one negative.
        {{40.0, -39.6, 0.7, 60.5, 0.2, 3.3, -80.25, -0.2, -100.9}, true},
        {{120.0, -119.6, 0.7, -0.2, 100.25, -99.9, 50.5, 0.3, -50.3}, true},
        // Beyond: 32-bit lanes.
        {{120.0, -119.6, 0.7, -0.2, 300.25, -299.9, 5000.5, 0.3, -5000.3}, false},
        {{99999.9, -99999.8, 0.35, 0.0, 1.0, 0.0, -579000.0, 578999.7, 0.45}, false},
    };
    const uint32_t count = 32 * 9 + 5;  // whole blocks and a tail
    std::mt19937 random(11);
    std::vector<uint8_t> r(count), g(count), b(count);
    for (uint32_t x = 0; x < count; ++x) {
        g[x] = static_cast<uint8_t>(random());
        r[x] = static_cast<uint8_t>(std::clamp<int>(g[x] + int(random() % 3) - 1, 0, 255));
        b[x] = static_cast<uint8_t>(std::clamp<int>(r[x] + int(random() % 3) - 1, 0, 255));
    }
    for (const auto& [matrix, windowed] : matrices) {
        IspTables tables;
        tables.colourTables = IspTables::productTables(matrix);
        tables.colourCarried = CarriedProducts::of(tables.colourTables);
        tables.colourSplit = SplitProducts::of(tables.colourTables);
        ASSERT_TRUE(tables.colourCarried.exact);
        ASSERT_FALSE(tables.colourCarried.valid);
        ASSERT_EQ(tables.colourCarried.windowed, windowed) << matrix[0];
        for (const OutputLayout layout : {OutputLayout{3, 0, 2}, OutputLayout{4, 2, 0}}) {
            std::vector<uint8_t> expected(size_t{count} * layout.bytesPerPixel, 0x5A);
            portableKernels().writeMatrix(r.data(), g.data(), b.data(), count, tables, layout,
                                          expected.data());
            size_t inside = 0;
            for (uint8_t byte : expected)
                inside += byte != 0 && byte != 255 && byte != 0x5A ? 1 : 0;
            EXPECT_GT(inside, size_t{count} / 4) << "the sums hardly left the clamp";
            for (const IspKernels* set : IspDispatch::available()) {
                std::vector<uint8_t> got(expected.size(), 0x5A);
                set->writeMatrix(r.data(), g.data(), b.data(), count, tables, layout, got.data());
                EXPECT_EQ(got, expected) << set->name << " matrix from " << matrix[0];
            }
        }
    }
}

}  // namespace
}  // namespace vidscope::api::test
