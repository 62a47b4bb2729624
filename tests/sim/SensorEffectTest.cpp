// SPDX-License-Identifier: MIT
// Register effects: brightness from exposure, gain and light; frame timing; trigger and strobe
// bits.
#include <gtest/gtest.h>

#include "FirmwareTestSupport.h"

namespace vidscope::sim::test {
namespace {

// Mean of the middle of a scene patch in a full-size monochrome frame.
double patchLevel(CameraFirmware& fw, ScenePainter::Patch patch) {
    auto source = fw.bulkSource();
    const Collected c = collectFrame(*source, 1 << 20);
    return cellMean(c.frame, fw.geometry().width, fw.scene().patch(patch), -1, 0);
}

TEST(SensorEffects, BrightnessFollowsExposureGainAndLightAboveTheBlackLevel) {
    ScratchDirectory dir;
    auto fw = makeCamera(0x003B, dir);  // monochrome 752 x 480
    const double pedestal = fw->sensorState().blackPedestal;
    const uint16_t exposureRegister = readRegister(*fw, 0x0B);  // lines + 1
    const double base = patchLevel(*fw, ScenePainter::MidGrey) - pedestal;
    ASSERT_GT(base, 30.0);

    writeRegister(*fw, 0x0B, static_cast<uint16_t>(2 * (exposureRegister - 1) + 1));
    EXPECT_NEAR((patchLevel(*fw, ScenePainter::MidGrey) - pedestal) / base, 2.0, 0.08);
    writeRegister(*fw, 0x0B, exposureRegister);

    writeRegister(*fw, 0x35, 32);  // twice the unity gain of 16
    EXPECT_NEAR((patchLevel(*fw, ScenePainter::MidGrey) - pedestal) / base, 2.0, 0.08);
    writeRegister(*fw, 0x35, 16);

    fw->setIllumination(0.5);
    EXPECT_NEAR((patchLevel(*fw, ScenePainter::MidGrey) - pedestal) / base, 0.5, 0.05);
    fw->setIllumination(4.0);
    EXPECT_EQ(patchLevel(*fw, ScenePainter::White), 255.0);  // clipped
    fw->setIllumination(0.0);
    EXPECT_NEAR(patchLevel(*fw, ScenePainter::White), pedestal, 1.0);
}

TEST(SensorEffects, GainRegistersDecodeTheHostsEncodingPerFamily) {
    ScratchDirectory dir;
    struct Case {
        uint16_t productId;
        uint16_t address;
        uint16_t encoded;  // how the host writes gain 64 (four times unity)
    };
    for (const Case c : {Case{0x0030, 0x35, (64 - 32) / 7 + 32}, Case{0x0130, 0x35, 64 / 2},
                         Case{0x0500, 0x35, (64 / 2) | 0x40}, Case{0x0E00, 0x305E, 64 + 0x1C80},
                         Case{0x0120, 0x305E, 64}, Case{0x3E60, 0x11, 0x0700 | (64 - 32)}}) {
        auto fw = makeCamera(c.productId, dir);
        EXPECT_DOUBLE_EQ(fw->sensorState().gain, 1.0) << std::hex << c.productId;
        writeRegister(*fw, c.address, c.encoded);
        // The small global-shutter sensor loses a little to the coarse steps above 32.
        EXPECT_NEAR(fw->sensorState().gain, 4.0, 0.25) << std::hex << c.productId;
    }
    // Below unity the picture stays as bright as at unity: the loop starts from a quarter.
    for (const Case c :
         {Case{0x0500, 0x35, 4}, Case{0x0120, 0x305E, 4}, Case{0x3E60, 0x11, 0x0100}}) {
        auto fw = makeCamera(c.productId, dir);
        writeRegister(*fw, c.address, c.encoded);
        EXPECT_DOUBLE_EQ(fw->sensorState().gain, 1.0) << std::hex << c.productId;
    }
    auto hdr = makeCamera(0x0120, dir);
    writeRegister(*hdr, 0x30B0, readRegister(*hdr, 0x30B0) | 0x0020);  // column gain x4
    EXPECT_DOUBLE_EQ(hdr->sensorState().gain, 4.0);
}

TEST(SensorEffects, BlankingAndPixelClockSetTheFramePeriod) {
    ScratchDirectory dir;
    auto small = makeCamera(0x0030, dir);  // 27 MHz, line = width + register 0x05
    SensorTiming t = small->sensorState().timing;
    EXPECT_DOUBLE_EQ(t.lineTimeUs(), (752 + readRegister(*small, 0x05)) / 27.0);
    const double before = t.framePeriodUs();
    writeRegister(*small, 0x06, readRegister(*small, 0x06) + 100);
    EXPECT_NEAR(small->sensorState().timing.framePeriodUs() - before, 100 * t.lineTimeUs(), 1e-6);
    writeRegister(*small, 0x05, readRegister(*small, 0x05) + 27);
    EXPECT_NEAR(small->sensorState().timing.lineTimeUs() - t.lineTimeUs(), 1.0, 1e-9);

    auto classic = makeCamera(0x0500, dir);
    const double slow = classic->sensorState().timing.lineTimeUs();
    in(*classic, kHighSpeed, 1, 0);
    EXPECT_DOUBLE_EQ(classic->sensorState().timing.lineTimeUs(), slow / 2);

    FirmwareOptions usb2Port;
    usb2Port.superSpeedLink = false;
    auto fast = makeCamera(0x3E60, dir);
    auto throttled = makeCamera(0x3E60, dir, usb2Port);
    EXPECT_DOUBLE_EQ(throttled->sensorState().timing.pixelClockMHz, 28.5);
    EXPECT_DOUBLE_EQ(fast->sensorState().timing.pixelClockMHz, 114.0);

    // Frame length register; an exposure longer than the frame stretches it.
    auto large = makeCamera(0x0E00, dir);
    writeRegister(*large, 0x300A, 4000);
    t = large->sensorState().timing;
    EXPECT_NEAR(t.framePeriodUs(), 4000 * t.lineTimeUs(), 1e-6);
    writeRegister(*large, 0x3012, 6000);
    EXPECT_NEAR(large->sensorState().timing.framePeriodUs(), 6001 * t.lineTimeUs(), 1e-6);
}

TEST(SensorEffects, TriggerBitsOfEachFamily) {
    ScratchDirectory dir;
    struct Case {
        uint16_t productId;
        uint16_t address;
        uint16_t trigger;
        uint16_t continuous;
    };
    for (const Case c :
         {Case{0x0030, 0x07, 0x0198, 0x0188}, Case{0x0500, 0x1E, 0x4106, 0x4006},
          Case{0x0120, 0x301A, 0x01D8, 0x01DC}, Case{0x3E6B, 0x0B, 0x0104, 0x0006}}) {
        auto fw = makeCamera(c.productId, dir);
        writeRegister(*fw, c.address, c.trigger);
        EXPECT_EQ(fw->sensorState().trigger, TriggerState::Triggered) << std::hex << c.productId;
        writeRegister(*fw, c.address, c.continuous);
        EXPECT_EQ(fw->sensorState().trigger, TriggerState::Continuous) << std::hex << c.productId;
    }
    // The large sensors stop streaming through their reset register and take the trigger
    // mode from the firmware request.
    auto large = makeCamera(0x0E00, dir);
    writeRegister(*large, 0x301A, readRegister(*large, 0x301A) & 0xFFFB);
    EXPECT_EQ(large->sensorState().trigger, TriggerState::Standby);
    in(*large, kTriggerMode, 1, 0);
    EXPECT_EQ(large->sensorState().trigger, TriggerState::Triggered);
}

TEST(SensorEffects, StrobeFiresOncePerFrameWhileEnabled) {
    ScratchDirectory dir;
    auto fw = makeCamera(0x0500, dir);
    auto source = fw->bulkSource();
    in(*fw, kSelectResolution, 3, kResolutionRecord);  // a small window keeps frames cheap
    collectFrame(*source, 1 << 20);
    EXPECT_EQ(fw->strobePulses(), 0u);
    writeRegister(*fw, 0x1E, readRegister(*fw, 0x1E) | 0x30);
    EXPECT_TRUE(fw->sensorState().strobeEnabled);
    EXPECT_TRUE(fw->sensorState().strobeInverted);
    collectFrame(*source, 1 << 20);
    collectFrame(*source, 1 << 20);
    EXPECT_EQ(fw->strobePulses(), 2u);

    auto small = makeCamera(0x0030, dir);  // enabled by clearing bit 0
    EXPECT_FALSE(small->sensorState().strobeEnabled);
    writeRegister(*small, 0x1B, 0x0002);
    EXPECT_TRUE(small->sensorState().strobeEnabled);
    EXPECT_TRUE(small->sensorState().strobeInverted);
}

TEST(SensorEffects, TonedYuvSensorAppliesSaturationAndContrast) {
    ScratchDirectory dir;
    auto toned = makeCamera(0xC130, dir);
    auto source = toned->bulkSource();
    const Rect red = toned->scene().patch(ScenePainter::Red);
    const int width = toned->geometry().width;

    Collected normal = collectFrame(*source, 1 << 20);
    // Chroma bytes of the pixel pairs (starting at even x): U at byte 0, V at byte 2.
    EXPECT_GT(cellMean(normal.frame, width, red, 0, 0, 2, 2), 140.0);

    writeRegister(*toned, 0xF0, 1);
    writeRegister(*toned, 0x25, 0x30);  // saturation 0
    Collected grey = collectFrame(*source, 1 << 20);
    EXPECT_NEAR(cellMean(grey.frame, width, red, 0, 0, 2, 2), 128.0, 1.0);
    EXPECT_NEAR(cellMean(grey.frame, width, red, 0, 0, 2, 0), 128.0, 1.0);

    writeRegister(*toned, 0x05, 0);  // contrast step 0: every luma the same
    Collected flat = collectFrame(*source, 1 << 20);
    const double white =
        cellMean(flat.frame, width, toned->scene().patch(ScenePainter::White), -1, 0, 2, 1);
    const double black =
        cellMean(flat.frame, width, toned->scene().patch(ScenePainter::Black), -1, 0, 2, 1);
    EXPECT_NEAR(white, black, 2.0);
}

}  // namespace
}  // namespace vidscope::sim::test
