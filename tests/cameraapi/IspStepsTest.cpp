// SPDX-License-Identifier: MIT
// Dead-pixel repair, white balance and the exposure loop around the conversion.
#include <gtest/gtest.h>

#include "IspTestSupport.h"
#include "cameraapi/isp/AutoExposure.h"
#include "cameraapi/isp/BayerInterpolator.h"
#include "cameraapi/isp/ColourTables.h"
#include "cameraapi/isp/DeadPixelRepair.h"
#include "cameraapi/isp/WhiteBalance.h"

namespace vidscope::api::test {
namespace {

using Location = std::optional<std::pair<uint32_t, uint32_t>>;

Location at(uint32_t x, uint32_t y) {
    return std::pair{x, y};
}

TEST(IspDeadPixels, FourWaysIntoTheFrame) {
    FrameWindow full{8, 6, 8, 6};
    EXPECT_EQ(DeadPixelRepair::locate({4, 3}, full), at(4, 3));
    EXPECT_EQ(DeadPixelRepair::locate({2, 0}, full), at(2, 0));
    EXPECT_EQ(DeadPixelRepair::locate({1, 2}, full), std::nullopt) << "no same colour to its left";
    EXPECT_EQ(DeadPixelRepair::locate({8, 2}, full), std::nullopt);

    FrameWindow roi{8, 6, 16, 12, true, 4, 2, 1};
    EXPECT_EQ(DeadPixelRepair::locate({10, 5}, roi), at(6, 3));
    EXPECT_EQ(DeadPixelRepair::locate({6, 5}, roi), std::nullopt);
    EXPECT_EQ(DeadPixelRepair::locate({7, 2}, roi), std::nullopt);
    EXPECT_EQ(DeadPixelRepair::locate({12, 5}, roi), std::nullopt);

    FrameWindow half{8, 6, 20, 16, false, 0, 0, 1};
    EXPECT_EQ(DeadPixelRepair::locate({11, 7}, half), at(5, 3));
    EXPECT_EQ(DeadPixelRepair::locate({6, 4}, half), std::nullopt);
    half.resolutionMode = 0;  // cropping: the same frame is a centred window
    EXPECT_EQ(DeadPixelRepair::locate({11, 7}, half), at(5, 2));

    FrameWindow window{8, 6, 12, 10, false, 0, 0, 1};
    EXPECT_EQ(DeadPixelRepair::locate({7, 5}, window), at(5, 3));
    EXPECT_EQ(DeadPixelRepair::locate({4, 5}, window), std::nullopt);
}

TEST(IspDeadPixels, RepairedInRawFramesUnlessTheListIsUnprogrammed) {
    TestPipeline t(PipelineClass::BayerBGGR, 8, 6);
    t.pipeline.update([](ImageSettings& s) {
        s.deadPixelCount = 2;
        s.deadPixels[0] = {5, 2};
        s.deadPixels[1] = {0, 1};
        s.deadPixels[2] = {6, 4};  // beyond the count
    });
    std::vector<uint8_t> raw = randomFrame(48, 21);
    std::vector<uint8_t> expected = raw;
    expected[2 * 8 + 5] = raw[2 * 8 + 3];
    std::vector<uint8_t> none;
    EXPECT_EQ(t.run(raw, none, CAMERA_FORMAT_RAW8), IspPipeline::Result::Done);
    EXPECT_EQ(raw, expected);
    t.pipeline.update([](ImageSettings& s) { s.deadPixelCount = DeadPixelRepair::kUnprogrammed; });
    std::vector<uint8_t> untouched = randomFrame(48, 21);
    raw = untouched;
    t.run(raw, none, CAMERA_FORMAT_RAW8);
    EXPECT_EQ(raw, untouched);
}

// A uniform mosaic with the given red, green and blue site values.
std::vector<uint8_t> mosaic(PipelineClass order, uint32_t w, uint32_t h,
                            std::array<uint8_t, 3> rgb) {
    std::vector<uint8_t> raw(size_t{w} * h);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            raw[y * w + x] = rgb[static_cast<size_t>(BayerInterpolator::colourAt(order, x, y))];
    return raw;
}

WhiteBalanceGains gainsOf(const TestPipeline& t) {
    return t.pipeline.read([](const ImageSettings& s) {
        return WhiteBalanceGains{s.wbGainR, s.wbGainG, s.wbGainB};
    });
}

TEST(IspWhiteBalance, OnePushMeasuresTheCentreAndAppliesToThisFrame) {
    TestPipeline t(PipelineClass::BayerGRBG, 12, 12);
    t.pipeline.update([](ImageSettings& s) { s.onePushPending = 1; });
    std::vector<uint8_t> out =
        t.convert(mosaic(PipelineClass::BayerGRBG, 12, 12, {70, 100, 30}), CAMERA_FORMAT_RGB24);
    WhiteBalanceGains g = gainsOf(t);
    EXPECT_DOUBLE_EQ(g.red, 1.42);  // 0.5 x 800 / 280 = 1.428..., kept to hundredths
    EXPECT_DOUBLE_EQ(g.blue, 3.33);
    const size_t centre = (6 * 12 + 6) * 3;
    EXPECT_EQ((std::vector<uint8_t>(out.begin() + centre, out.begin() + centre + 3)),
              (std::vector<uint8_t>{99, 100, 99}));
    EXPECT_EQ(t.pipeline.read([](const ImageSettings& s) { return s.onePushPending; }), 0);
    // A centre without red changes nothing.
    t.pipeline.update([](ImageSettings& s) { s.onePushPending = 1; });
    t.convert(mosaic(PipelineClass::BayerGRBG, 12, 12, {0, 100, 30}), CAMERA_FORMAT_RGB24);
    EXPECT_DOUBLE_EQ(gainsOf(t).red, 1.42);
}

TEST(IspWhiteBalance, OnePushOnMonochromeOnlyClearsTheRequest) {
    TestPipeline t(PipelineClass::Monochrome, 12, 12);
    t.pipeline.update([](ImageSettings& s) { s.onePushPending = 1; });
    t.convert(randomFrame(144, 2), CAMERA_FORMAT_GRAY8);
    EXPECT_EQ(t.pipeline.read([](const ImageSettings& s) { return s.onePushPending; }), 0);
    EXPECT_DOUBLE_EQ(gainsOf(t).red, 1.0);
}

TEST(IspWhiteBalance, EstimateNeedsThirtyTwoNearGreyCells) {
    ColourTables::rebuild();
    const std::array<uint8_t, 3> greenish = {80, 100, 80};          // Y 90, Cb -6, Cr -7
    auto raw = mosaic(PipelineClass::BayerBGGR, 20, 12, greenish);  // 8 x 4 cells
    std::optional<WhiteBalanceGains> g =
        WhiteBalance::estimate(raw.data(), 20, 12, PipelineClass::BayerBGGR, 0);
    ASSERT_TRUE(g.has_value());
    EXPECT_DOUBLE_EQ(g->red, 1.25);
    EXPECT_DOUBLE_EQ(g->blue, 1.25);
    EXPECT_FALSE(WhiteBalance::estimate(raw.data(), 20, 12, PipelineClass::BayerBGGR, 60))
        << "not brighter than the last frame by 30";
    raw = mosaic(PipelineClass::BayerBGGR, 20, 10, greenish);  // 8 x 3 cells
    EXPECT_FALSE(WhiteBalance::estimate(raw.data(), 20, 10, PipelineClass::BayerBGGR, 0));
    raw = mosaic(PipelineClass::BayerBGGR, 20, 12, {90, 100, 80});  // green lead below 16
    EXPECT_FALSE(WhiteBalance::estimate(raw.data(), 20, 12, PipelineClass::BayerBGGR, 0));
}

TEST(IspWhiteBalance, SchedulerAsksWhenBrightnessMoved) {
    ImageSettings s;
    s.flags = kFlagAutoWhiteBalance;
    s.meanBrightness = 40;
    EXPECT_FALSE(WhiteBalance::schedule(s, 6));
    EXPECT_TRUE(WhiteBalance::schedule(s, 5));
    EXPECT_EQ(s.awbPending, 1);
    EXPECT_EQ(s.meanAtLastAwb, 40);
    s.meanBrightness = 60;  // moved 20
    EXPECT_FALSE(WhiteBalance::schedule(s, 10));
    EXPECT_TRUE(WhiteBalance::schedule(s, 32));
    s.meanBrightness = 70;  // moved 10
    EXPECT_FALSE(WhiteBalance::schedule(s, 64));
    s.flags = 0;
    s.meanBrightness = 200;
    EXPECT_FALSE(WhiteBalance::schedule(s, 5));
}

TEST(IspExposure, RegisterEncodingsPerSensor) {
    auto gain = [](uint16_t sensor, int32_t g) {
        return ExposureRegisters::gain(sensor, g)->value;
    };
    EXPECT_EQ(gain(0x0500, 50), 50);
    EXPECT_EQ(gain(0x0500, 100), 0x72);
    EXPECT_EQ(gain(0x0500, 200), 0x047F);
    EXPECT_EQ(gain(0x0130, 64), 32);
    EXPECT_EQ(gain(0x0130, 100), 89);
    EXPECT_EQ(gain(0x0130, 200), 100);
    EXPECT_EQ(gain(0x0030, 10), 16);
    EXPECT_EQ(gain(0x0030, 100), 41);
    EXPECT_EQ(gain(0x0E00, 10), 0x1068);
    EXPECT_EQ(gain(0x0A0B, 20), 0x1850);
    EXPECT_EQ(gain(0x0A00, 40), 0x1C50);
    EXPECT_EQ(gain(0x0E00, 100), 0x1CE4);
    EXPECT_EQ(gain(0x0E00, 200), 0x1DE4);
    EXPECT_EQ(gain(0x0E60, 20), 0x0500);
    EXPECT_EQ(gain(0x0E7B, 40), 0x0708);
    EXPECT_EQ(ExposureRegisters::gain(0x0120, 9), (RegisterWrite{0x305E, 9}));
    EXPECT_FALSE(ExposureRegisters::gain(0x0100, 9));
    EXPECT_EQ(ExposureRegisters::loopGain(0x0500, 20), (RegisterWrite{0x35, 20}));
    EXPECT_EQ(ExposureRegisters::loopGain(0x0E00, 20), (RegisterWrite{0x305E, 0x1850}));
    EXPECT_EQ(ExposureRegisters::exposure(0x0030, 100), (RegisterWrite{0x0B, 101}));
    EXPECT_EQ(ExposureRegisters::exposure(0x0E70, 100), (RegisterWrite{0x0E, 100}));
    EXPECT_EQ(ExposureRegisters::exposure(0x050B, 100), (RegisterWrite{0x09, 100}));
    EXPECT_FALSE(ExposureRegisters::exposure(0x32C0, 100));
}

ImageSettings loopSettings(int32_t mean, int32_t exposure) {
    ImageSettings s;
    s.flags = kFlagAutoExposure | kFlagAutoGain;
    s.aeTarget = 70;
    s.meanBrightness = mean;
    s.exposure = exposure;
    s.gain = 16;
    return s;
}

TEST(IspExposure, OneCorrectionScalesTheTotalAndThenWaitsForIt) {
    ImageSettings s = loopSettings(35, 100);
    EXPECT_FALSE(AutoExposure::step(s, 7, 0x0E00).exposure) << "every fourth frame only";
    ExposureWrites w = AutoExposure::step(s, 8, 0x0E00);
    EXPECT_EQ(w.exposure, (RegisterWrite{0x3012, 200}));
    EXPECT_FALSE(w.gain) << "exposure can still go further";
    // The stale frames that follow do not count as the result of the correction ...
    for (uint32_t frame = 12; frame < 12 + 4 * AutoExposure::kMaxWaits; frame += 4) {
        s.meanBrightness = 36;
        w = AutoExposure::step(s, frame, 0x0E00);
        EXPECT_FALSE(w.exposure) << "frame " << frame;
    }
    // ... but a correction that never shows does not stop the loop either.
    w = AutoExposure::step(s, 12 + 4 * AutoExposure::kMaxWaits, 0x0E00);
    EXPECT_EQ(w.exposure, (RegisterWrite{0x3012, 200 * 70 / 36}));
    s.meanBrightness = 68;  // within 5 of the target
    EXPECT_FALSE(AutoExposure::step(s, 40, 0x0E00).exposure);
}

TEST(IspExposure, GainRisesOnlyBeyondTheLongestExposureAndFallsFirst) {
    ImageSettings s = loopSettings(20, 3000);
    ExposureWrites w = AutoExposure::step(s, 4, 0x0E00);
    EXPECT_EQ(w.exposure, (RegisterWrite{0x3012, 4000}));
    EXPECT_EQ(w.gain, (RegisterWrite{0x305E, 0x1C40})) << "gain 32, the loop's cap";
    // Twice too bright at the cap: the gain goes back to unity, the exposure stays long.
    s = loopSettings(140, 4000);
    s.gain = 32;
    w = AutoExposure::step(s, 4, 0x0E00);
    EXPECT_EQ(s.gain, 16);
    EXPECT_EQ(s.exposure, 4000);
    EXPECT_FALSE(w.exposure);
    // A gain set above the loop's range is not cut while brightening.
    s = loopSettings(60, 4000);
    s.gain = 100;
    AutoExposure::step(s, 4, 0x0E00);
    EXPECT_EQ(s.gain, 100);
    EXPECT_EQ(s.exposure, 4000);
}

TEST(IspExposure, ShortExposuresAreTrimmedWithTheGain) {
    // 5 lines give 68, 4 lines 54: neither within 5 of 60, 4 lines at gain 17 are.
    ImageSettings s = loopSettings(68, 5);
    s.aeTarget = 60;
    AutoExposure::step(s, 4, 0x012B);
    EXPECT_EQ(s.exposure, 4);
    EXPECT_EQ(s.gain, 17);
    // The coarse family steps 16, 20, 24, 32: 2 lines at 20 are 2.5, the closest to 2.6.
    s = loopSettings(100, 2);
    s.aeTarget = 130;
    ExposureWrites w = AutoExposure::step(s, 4, 0x0E6B);
    EXPECT_EQ(s.exposure, 2);
    EXPECT_EQ(w.gain, (RegisterWrite{0x11, 0x0500}));
    // Gain alone, for 1.78 times the brightness: 28 would come closest, but it is written as
    // 32 is, so the choice is between 24 and 32.
    s = loopSettings(100, 2);
    s.flags = kFlagAutoGain;
    s.aeTarget = 178;
    AutoExposure::step(s, 4, 0x0E6B);
    EXPECT_EQ(s.gain, 32);
    EXPECT_EQ(s.exposure, 2);
}

TEST(IspExposure, AntiFlickerKeepsWholePeriodsWithoutAlternating) {
    ImageSettings s = loopSettings(150, 300);
    s.flags = kFlagAutoExposure | kFlagAntiFlicker50Hz;
    s.aeTarget = 190;
    s.flickerLines = 300;
    // 1.27 periods: one period misses by 40, two by 110; exposure alone stays.
    EXPECT_FALSE(AutoExposure::step(s, 4, 0x0500).exposure);
    EXPECT_EQ(s.exposure, 300);
    s.flags |= kFlagAutoGain;  // the lowest gain that comes within half the tolerance
    ExposureWrites w = AutoExposure::step(s, 8, 0x0500);
    EXPECT_FALSE(w.exposure);
    EXPECT_EQ(w.gain, (RegisterWrite{0x35, 19}));
    s = loopSettings(200, 1200);
    s.flags = kFlagAutoExposure | kFlagAntiFlicker60Hz;
    s.aeTarget = 90;
    s.flickerLines = 300;
    AutoExposure::step(s, 4, 0x0500);
    EXPECT_EQ(s.exposure, 600);
    s = loopSettings(50, 300);
    s.flags = kFlagAutoExposure | kFlagAntiFlicker50Hz;
    s.aeTarget = 100;
    s.flickerLines = 0;  // no period known yet: whole lines
    AutoExposure::step(s, 4, 0x0500);
    EXPECT_EQ(s.exposure, 600);
}

TEST(IspExposure, FailedGainWriteSkipsExposureAndFailsGreyOnly) {
    ImageSettings s = loopSettings(20, 3000);
    ExposureWrites w = AutoExposure::step(s, 4, 0x0E00);
    std::vector<RegisterWrite> written;
    EXPECT_FALSE(w.perform([&](RegisterWrite r) {
        written.push_back(r);
        return false;
    }));
    EXPECT_EQ(written.size(), 1u);

    for (uint32_t format : {CAMERA_FORMAT_GRAY8, CAMERA_FORMAT_RGB24}) {
        TestPipeline t(PipelineClass::Monochrome, 8, 6);
        t.pipeline.update([](ImageSettings& st) {
            st.flags = kFlagAutoExposure;
            st.exposure = 100;
        });
        t.writesSucceed = false;
        std::vector<uint8_t> raw(48, 10);
        std::vector<uint8_t> out(48 * 3);
        const auto expected = format == CAMERA_FORMAT_GRAY8
                                  ? IspPipeline::Result::ExposureWriteFailed
                                  : IspPipeline::Result::Done;
        EXPECT_EQ(t.run(raw, out, format), expected);
        EXPECT_EQ(t.writes.size(), 1u);
        EXPECT_EQ(t.pipeline.read([](const ImageSettings& st) { return st.exposure; }), 700)
            << "stored even though the sensor did not take it";
    }
}

}  // namespace
}  // namespace vidscope::api::test
