// SPDX-License-Identifier: MIT
// Every row-loop set this processor runs gives the same bytes as the portable one.
#include <gtest/gtest.h>

#include "IspTestSupport.h"

namespace vidscope::api::test {
namespace {

struct Case {
    PipelineClass cls;
    uint32_t format;
};

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
    // Up to and past two and three 64-pixel blocks, as the widest loops take them.
    const uint32_t widths[] = {2,  4,  6,  8,  14, 16,  30,  32,  34,
                               48, 62, 64, 66, 98, 130, 194, 258, 7};
    const uint32_t heights[] = {2, 4, 6, 10, 5};
    uint32_t seed = 1;
    // Matrices with and without an exact integer multiply form take different vector paths.
    bool sawMultiplyForm = false;
    bool sawOtherForm = false;
    for (const Case& c : cases) {
        for (uint32_t w : widths) {
            for (uint32_t h : heights) {
                for (int variant = 0; variant < 4; ++variant, ++seed) {
                    TestPipeline t(c.cls, w, h);
                    // Plain tables, a saturated matrix, a matrix with negative terms under
                    // enhancement, and mirrored or rotated placement.
                    t.pipeline.updateColour([variant](ImageSettings& s) {
                        s.gamma = 0.45 + 0.3 * variant;
                        s.contrast = 1.0 + 0.2 * variant;
                        s.blackLevel = 5 * variant;
                        s.wbGainR = 1.0 + 0.4 * variant;
                        s.wbGainB = 1.8 - 0.3 * variant;
                        s.saturation = variant == 1 ? 1.6 : 1.0;
                        s.ccm = {1.5, -0.3, -0.2, -0.25, 1.4, -0.15, 0.1, -0.6, 1.5};
                        s.flags = static_cast<uint16_t>(
                            (variant == 2 ? kFlagEnhancement | kFlagMirrorX : 0) |
                            (variant == 3 ? kFlagRotate | kFlagMirrorY : 0));
                    });
                    t.pipeline.rebuildPixelMap(w, h);
                    if (t.pipeline.tables()->applyMatrix) {
                        sawMultiplyForm |= t.pipeline.tables()->colourFixed.has_value();
                        sawOtherForm |= !t.pipeline.tables()->colourFixed.has_value();
                    }
                    const std::vector<uint8_t> raw = randomFrame(size_t{w} * h, seed);
                    const std::vector<uint8_t> expected = t.convert(raw, c.format, *sets[0]);
                    const int32_t expectedMean = t.mean();
                    for (size_t k = 1; k < sets.size(); ++k) {
                        ASSERT_EQ(t.convert(raw, c.format, *sets[k]), expected)
                            << sets[k]->name << " " << w << "x" << h << " variant " << variant
                            << " format " << c.format << " class " << int(c.cls);
                        ASSERT_EQ(t.mean(), expectedMean) << sets[k]->name;
                    }
                }
            }
        }
    }
    EXPECT_TRUE(sawMultiplyForm);
    EXPECT_TRUE(sawOtherForm);
}

}  // namespace
}  // namespace vidscope::api::test
