// SPDX-License-Identifier: MIT
// Golden checks of the conversions: Bayer orders and borders, monochrome, YUV, formats, map.
#include <gtest/gtest.h>

#include "IspTestSupport.h"
#include "cameraapi/isp/BayerInterpolator.h"

namespace vidscope::api::test {
namespace {

constexpr uint32_t kRgb = CAMERA_FORMAT_RGB24;
constexpr uint32_t kGrey = CAMERA_FORMAT_GRAY8;

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Rgb& p) {
    return os << "(" << p.r << "," << p.g << "," << p.b << ")";
}

Rgb pixel(const std::vector<uint8_t>& out, uint32_t width, uint32_t x, uint32_t y) {
    const size_t at = (size_t{y} * width + x) * 3;
    return {out[at], out[at + 1], out[at + 2]};
}

// 6 x 4 frame whose sample at (x, y) is 10 y + x + 1.
std::vector<uint8_t> rampFrame() {
    std::vector<uint8_t> raw(24);
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 6; ++x)
            raw[y * 6 + x] = static_cast<uint8_t>(10 * y + x + 1);
    return raw;
}

TEST(IspConvert, BayerBordersCopyFromTheirCellBGGR) {
    TestPipeline t(PipelineClass::BayerBGGR, 6, 4);
    std::vector<uint8_t> out = t.convert(rampFrame(), kRgb);
    EXPECT_EQ(pixel(out, 6, 0, 0), (Rgb{12, 2, 1}));
    EXPECT_EQ(pixel(out, 6, 1, 0), (Rgb{12, 2, 1}));
    EXPECT_EQ(pixel(out, 6, 0, 1), (Rgb{12, 11, 1}));
    EXPECT_EQ(pixel(out, 6, 5, 3), (Rgb{36, 35, 25}));
    EXPECT_EQ(pixel(out, 6, 5, 2), (Rgb{36, 26, 25}));  // (odd, even): red below, blue left
}

TEST(IspConvert, BayerBordersCopyFromTheirCellGRBG) {
    TestPipeline t(PipelineClass::BayerGRBG, 6, 4);
    std::vector<uint8_t> out = t.convert(rampFrame(), kRgb);
    EXPECT_EQ(pixel(out, 6, 0, 0), (Rgb{2, 1, 11}));
    EXPECT_EQ(pixel(out, 6, 1, 0), (Rgb{2, 1, 11}));
    EXPECT_EQ(pixel(out, 6, 0, 3), (Rgb{22, 32, 31}));
    EXPECT_EQ(pixel(out, 6, 5, 1), (Rgb{6, 16, 15}));
}

TEST(IspConvert, BayerInteriorIsBilinear) {
    // Sites of one colour share a value: every output pixel is that colour triple, which
    // fails for any swapped site or neighbour.
    for (PipelineClass order : {PipelineClass::BayerBGGR, PipelineClass::BayerGRBG}) {
        TestPipeline t(order, 8, 6);
        std::vector<uint8_t> raw(48);
        const std::array<uint8_t, 3> value = {200, 100, 40};
        for (uint32_t y = 0; y < 6; ++y)
            for (uint32_t x = 0; x < 8; ++x)
                raw[y * 8 + x] =
                    value[static_cast<size_t>(BayerInterpolator::colourAt(order, x, y))];
        std::vector<uint8_t> out = t.convert(raw, kRgb);
        for (uint32_t i = 0; i < 48; ++i)
            ASSERT_EQ(pixel(out, 8, i % 8, i / 8), (Rgb{200, 100, 40})) << i;
        EXPECT_EQ(t.mean(), 100) << "twice the green sum over all pixels";
    }
    // GRBG (2, 2) is green in a green-red row: red left/right, blue above/below.
    TestPipeline t(PipelineClass::BayerGRBG, 6, 4);
    std::vector<uint8_t> raw = randomFrame(24, 3);
    std::vector<uint8_t> out = t.convert(raw, kRgb);
    auto at = [&](int x, int y) { return int{raw[static_cast<size_t>(y * 6 + x)]}; };
    EXPECT_EQ(pixel(out, 6, 2, 2),
              (Rgb{(at(1, 2) + at(3, 2)) >> 1, at(2, 2), (at(2, 1) + at(2, 3)) >> 1}));
    // (3, 2) is red: blue from the diagonals, green from the cross.
    EXPECT_EQ(pixel(out, 6, 3, 2), (Rgb{at(3, 2), (at(3, 1) + at(3, 3) + at(2, 2) + at(4, 2)) >> 2,
                                        (at(2, 1) + at(4, 1) + at(2, 3) + at(4, 3)) >> 2}));
}

TEST(IspConvert, ChannelTablesAndMatrixApplyInOrder) {
    TestPipeline t(PipelineClass::BayerBGGR, 8, 6);
    std::vector<uint8_t> raw = randomFrame(48, 5);
    std::vector<uint8_t> plain = t.convert(raw, kRgb);
    t.pipeline.updateColour([](ImageSettings& s) { s.saturation = 0.0; });
    std::vector<uint8_t> grey = t.convert(raw, kRgb);
    for (size_t i = 0; i < grey.size(); i += 3) {
        ASSERT_EQ(grey[i], grey[i + 1]);
        ASSERT_EQ(grey[i], grey[i + 2]);
    }
    // Any saturation but exactly 1.0 goes through the matrix, whose truncation shows.
    t.pipeline.updateColour([](ImageSettings& s) { s.saturation = 0.9999999; });
    EXPECT_NE(t.convert(raw, kRgb), plain);
    t.pipeline.updateColour([](ImageSettings& s) { s.saturation = 1.0; });
    EXPECT_EQ(t.convert(raw, kRgb), plain);
    // A new matrix alone changes nothing; enhancement then swaps red and blue.
    t.pipeline.update([](ImageSettings& s) { s.ccm = {0, 0, 1, 0, 1, 0, 1, 0, 0}; });
    EXPECT_EQ(t.convert(raw, kRgb), plain);
    t.pipeline.updateColour([](ImageSettings& s) { s.flags |= kFlagEnhancement; });
    std::vector<uint8_t> swapped = t.convert(raw, kRgb);
    for (size_t i = 0; i < swapped.size(); i += 3) {
        ASSERT_EQ(swapped[i], plain[i + 2]);
        ASSERT_EQ(swapped[i + 2], plain[i]);
    }
    // Gains go through their tables: red doubled saturates, blue zero blackens.
    t.pipeline.updateColour([](ImageSettings& s) {
        s.flags = 0;
        s.wbGainR = 3.0;
        s.wbGainB = 0.0;
    });
    std::vector<uint8_t> gained = t.convert(raw, kRgb);
    for (size_t i = 0; i < gained.size(); i += 3) {
        ASSERT_EQ(gained[i], std::min(255, plain[i] * 3));
        ASSERT_EQ(gained[i + 2], 0);
    }
}

TEST(IspConvert, ByteOrderAndFourthByte) {
    TestPipeline t(PipelineClass::BayerGRBG, 6, 4);
    std::vector<uint8_t> raw = randomFrame(24, 9);
    std::vector<uint8_t> rgb = t.convert(raw, kRgb);
    std::vector<uint8_t> bgra = t.convert(
        raw, kRgb | CAMERA_FORMAT_BLUE_FIRST | CAMERA_FORMAT_FOUR_BYTES, IspDispatch::best(), 0x5A);
    ASSERT_EQ(bgra.size(), 24u * 4);
    for (size_t p = 0; p < 24; ++p) {
        EXPECT_EQ(bgra[p * 4 + 0], rgb[p * 3 + 2]);
        EXPECT_EQ(bgra[p * 4 + 1], rgb[p * 3 + 1]);
        EXPECT_EQ(bgra[p * 4 + 2], rgb[p * 3 + 0]);
        EXPECT_EQ(bgra[p * 4 + 3], 0x5A) << "the fourth byte is never written";
    }
    // GRAY8 wins over RGB24 when both are asked for.
    std::vector<uint8_t> grey = t.convert(raw, kGrey);
    std::vector<uint8_t> both(24, 0);
    std::vector<uint8_t> rawCopy = raw;
    t.run(rawCopy, both, kGrey | kRgb);
    EXPECT_EQ(both, grey);
    // 0.213 R + 0.712 G + 0.075 B, each truncated.
    for (size_t p = 0; p < 24; ++p) {
        int expected =
            int(0.213 * rgb[p * 3]) + int(0.712 * rgb[p * 3 + 1]) + int(0.075 * rgb[p * 3 + 2]);
        EXPECT_EQ(grey[p], std::min(expected, 255));
    }
}

TEST(IspConvert, EveryMirrorAndRotationFollowsThePixelMap) {
    for (PipelineClass cls : {PipelineClass::BayerBGGR, PipelineClass::Monochrome}) {
        for (uint32_t format : {kRgb, kGrey, kRgb | CAMERA_FORMAT_FOUR_BYTES}) {
            TestPipeline t(cls, 10, 6);
            std::vector<uint8_t> raw = randomFrame(60, 11);
            const std::vector<uint8_t> plain = t.convert(raw, format);
            const size_t p = plain.size() / 60;
            for (uint16_t flags = 1; flags < 8; ++flags) {
                const uint16_t bits = (flags & 1 ? kFlagMirrorX : 0) |
                                      (flags & 2 ? kFlagMirrorY : 0) |
                                      (flags & 4 ? kFlagRotate : 0);
                t.pipeline.update([bits](ImageSettings& s) { s.flags = bits; });
                t.pipeline.rebuildPixelMap(10, 6);
                std::vector<uint8_t> moved = t.convert(raw, format);
                std::vector<uint32_t> map = t.pipeline.tables()->map.materialize();
                for (size_t i = 0; i < 60; ++i)
                    for (size_t c = 0; c < p; ++c)
                        ASSERT_EQ(moved[map[i] * p + c], plain[i * p + c])
                            << "flags " << bits << " pixel " << i << " format " << format;
            }
        }
    }
}

TEST(IspConvert, PixelMapFormulas) {
    // 4 x 3 image; source (1, 0) under each combination, then the top-left corner.
    const uint32_t w = 4, h = 3;
    auto dest = [&](uint16_t flags, uint32_t x, uint32_t y) {
        return PixelMap::build(w, h, flags).destination(x, y);
    };
    EXPECT_EQ(dest(0, 1, 0), 1u);
    EXPECT_EQ(dest(kFlagMirrorX, 1, 0), 2u);
    EXPECT_EQ(dest(kFlagMirrorY, 1, 0), 9u);
    EXPECT_EQ(dest(kFlagMirrorX | kFlagMirrorY, 1, 0), 10u);
    EXPECT_EQ(dest(kFlagRotate, 1, 0), 1u * 3 + 2);
    EXPECT_EQ(dest(kFlagRotate | kFlagMirrorX, 1, 0), 2u * 3 + 2);
    EXPECT_EQ(dest(kFlagRotate | kFlagMirrorY, 1, 0), 1u * 3 + 0);
    EXPECT_EQ(dest(kFlagRotate | kFlagMirrorX | kFlagMirrorY, 1, 0), 2u * 3);
    EXPECT_EQ(dest(kFlagMirrorX | kFlagMirrorY, 0, 0), w * h - 1) << "top-left to bottom-right";
    // A quarter turn clockwise puts the top-left at the top-right of an h-wide picture.
    PixelMap rotated = PixelMap::build(w, h, kFlagRotate);
    EXPECT_EQ(rotated.outputWidth(), h);
    EXPECT_EQ(rotated.destination(0, 0), h - 1);
}

TEST(IspConvert, FrameOfAnotherSizeIsRefusedUntouched) {
    TestPipeline t(PipelineClass::BayerBGGR, 8, 6);
    std::vector<uint8_t> raw = randomFrame(48, 1);
    std::vector<uint8_t> out(48 * 3, 0x77);
    IspFrame frame{raw.data(), out.data(), 6, 8, kRgb};  // same count, other shape
    RegisterWriter writer = [](RegisterWrite) { return true; };
    EXPECT_EQ(t.pipeline.process(frame, t.camera, writer), IspPipeline::Result::Refused);
    frame = IspFrame{raw.data(), out.data(), 8, 5, kRgb};
    EXPECT_EQ(t.pipeline.process(frame, t.camera, writer), IspPipeline::Result::Refused);
    EXPECT_EQ(out, std::vector<uint8_t>(48 * 3, 0x77));
    // Rotated, the caller passes the swapped size.
    t.pipeline.update([](ImageSettings& s) { s.flags = kFlagRotate; });
    t.pipeline.rebuildPixelMap(8, 6);
    frame = IspFrame{raw.data(), out.data(), 6, 8, kRgb};
    EXPECT_EQ(t.pipeline.process(frame, t.camera, writer), IspPipeline::Result::Done);
}

TEST(IspConvert, MonochromeSmoothsColourAndWeighsGreyByCell) {
    TestPipeline t(PipelineClass::Monochrome, 5, 4);
    std::vector<uint8_t> raw = {10,  20,  30,  40,  50,   //
                                60,  70,  80,  90,  100,  //
                                110, 120, 130, 140, 150,  //
                                160, 170, 180, 190, 200};
    std::vector<uint8_t> rgb = t.convert(raw, kRgb);
    auto grey = [&](size_t i) { return rgb[i * 3]; };
    EXPECT_EQ(grey(0), 10);
    EXPECT_EQ(grey(9), 100) << "right border column";
    // (1, 1): ((20 + 120) / 2 + (60 + 80) / 2 + 2 x 70) / 4 = 70
    EXPECT_EQ(grey(6), 70);
    raw[6] = 71;  // ((70 + 70 + 142) >> 2) = 70: the centre counts twice, then shifts
    EXPECT_EQ(t.convert(raw, kRgb)[6 * 3], 70);
    raw[6] = 0;  // (70 + 70 + 0) >> 2 = 35
    EXPECT_EQ(t.convert(raw, kRgb)[6 * 3 + 2], 35);
    EXPECT_EQ(t.mean(), (2100 - 70) / 20);

    t.pipeline.update([](ImageSettings& s) {
        s.wbGainR = 2.0;
        s.wbGainB = 0.5;
    });
    std::vector<uint8_t> g = t.convert(raw, kGrey);
    EXPECT_EQ(g[0], 10);  // (even, even): green gain
    EXPECT_EQ(g[1], 40);  // (odd, even): red gain
    EXPECT_EQ(g[5], 30);  // (even, odd): blue gain
    EXPECT_EQ(g[8], 90);  // (odd, odd): green gain
    EXPECT_EQ(g[3], 80);
}

TEST(IspConvert, YuvGivesThreeBytesPerPixelAndNoGrey) {
    TestPipeline t(PipelineClass::Yuv422, 4, 2);
    std::vector<uint8_t> raw = {128, 100, 128, 10,   // grey pair, the second below black
                                200, 150, 60,  150,  // strong chroma
                                0,   0,   0,   0,   128, 255, 128, 255};
    EXPECT_EQ(IspPipeline::outputBytes(PipelineClass::Yuv422, 4, 2, kRgb), 24u);
    std::vector<uint8_t> out(24 + 4, 0xAB);
    std::vector<uint8_t> rawCopy = raw;
    t.run(rawCopy, out, kRgb | CAMERA_FORMAT_BLUE_FIRST | CAMERA_FORMAT_FOUR_BYTES);
    EXPECT_EQ((std::vector<uint8_t>(out.begin(), out.begin() + 12)),
              (std::vector<uint8_t>{84, 84, 84, 0, 0, 0, 40, 157, 255, 40, 157, 255}));
    EXPECT_EQ(out[21], 239);
    EXPECT_EQ((std::vector<uint8_t>(out.begin() + 24, out.end())), std::vector<uint8_t>(4, 0xAB))
        << "nothing past width x height x 3";
    std::vector<uint8_t> grey(16, 0xCD);
    rawCopy = raw;
    EXPECT_EQ(t.run(rawCopy, grey, kGrey), IspPipeline::Result::Done);
    EXPECT_EQ(grey, std::vector<uint8_t>(16, 0xCD));
}

}  // namespace
}  // namespace vidscope::api::test
