// SPDX-License-Identifier: MIT
// Exposure and gain controls over virtual cameras: register writes per family, timing, limits.
#include <gtest/gtest.h>

#include <vector>

#include "ControlFixture.h"
#include "vidscope/camera_api.h"

namespace vidscope::api {
namespace {

class ExposureControlsTest : public test::ControlFixture {
protected:
    static constexpr int kI = kIndex;
    uint16_t reg(uint16_t address) { return firmware().registers().value(address); }
};

struct FamilyCase {
    uint16_t deviceCode;
    uint16_t exposureRegister;
    int exposureOffset;
    uint16_t gainRegister;
    int gain;
    uint16_t gainWord;
};

// One model of each sensor family, with a gain from a band of its encoding.
const FamilyCase kFamilies[] = {
    {0x0030, 0x0B, 1, 0x35, 100, (100 - 32) / 7 + 32},
    {0x0130, 0x09, 0, 0x35, 100, (100 - 64) / 4 + 80},
    {0x0500, 0x09, 0, 0x35, 200, 4 << 8 | 0x7F},
    {0x0500, 0x09, 0, 0x35, 100, 50 | 0x40},
    {0x0120, 0x3012, 0, 0x305E, 77, 77},
    {0x0A00, 0x3012, 0, 0x305E, 20, 4 * 20 + 0x1800},
    {0x0E00, 0x3012, 0, 0x305E, 200, (200 - 128) / 2 + 0x1DC0},
    {0x3E60, 0x0E, 0, 0x11, 20, (20 / 4) << 8},
    {0x3E70, 0x0E, 0, 0x11, 40, 0x0700 | 8},
};

TEST_F(ExposureControlsTest, ExposureAndGainReachEachFamilysRegisters) {
    for (const FamilyCase& f : kFamilies) {
        SCOPED_TRACE(testing::Message() << std::hex << "device 0x" << f.deviceCode);
        ASSERT_TRUE(plug(f.deviceCode));
        ASSERT_TRUE(CameraSetExposure(kI, 321));
        EXPECT_EQ(reg(f.exposureRegister), 321 + f.exposureOffset);
        ASSERT_TRUE(CameraSetGain(kI, f.gain));
        EXPECT_EQ(reg(f.gainRegister), f.gainWord);
        EXPECT_EQ(CameraGetExposure(kI), 321);
        EXPECT_EQ(CameraGetGain(kI), f.gain);
        TearDown();
    }
}

TEST_F(ExposureControlsTest, SensorsWithoutRegistersOnlyStore) {
    ASSERT_TRUE(plug(0x32C0));
    EXPECT_TRUE(CameraSetExposure(kI, 99999));  // no upper bound
    EXPECT_TRUE(CameraSetGain(kI, 255));
    EXPECT_TRUE(log().entries().empty());
    EXPECT_EQ(CameraGetExposure(kI), 99999);
}

TEST_F(ExposureControlsTest, OutOfRangeValuesFailAndStoreNothing) {
    ASSERT_TRUE(plug(0x0130));
    for (int gain : {0, 256}) {
        EXPECT_FALSE(CameraSetGain(kI, gain));
        EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_PARAMETER_UNREASONABLE);
    }
    EXPECT_EQ(CameraGetGain(kI), 16);
    EXPECT_FALSE(CameraSetExposure(kI, 0));
    EXPECT_FALSE(CameraSetBlackLevel(kI, 256));
    EXPECT_FALSE(CameraSetAETarget(kI, 256));
    EXPECT_FALSE(CameraSetAdvancedGain(kI, 256));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_PARAMETER_UNREASONABLE);
    EXPECT_EQ(CameraGetExposure(kI), 5);
    EXPECT_TRUE(log().entries().empty()) << "a refused value reached the camera";

    unsigned int ms = 0;
    ASSERT_TRUE(CameraSetTimeout(kI, 100));
    ASSERT_TRUE(CameraGetTimeout(kI, &ms));
    EXPECT_EQ(ms, 500u);
    ASSERT_TRUE(CameraSetTimeout(kI, 60000));
    ASSERT_TRUE(CameraGetTimeout(kI, &ms));
    EXPECT_EQ(ms, 50000u);
    EXPECT_FALSE(CameraGetTimeout(kI, nullptr));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_PARAMETER_UNREASONABLE);
}

TEST_F(ExposureControlsTest, AFailedWriteReportsTheErrorButKeepsTheRequest) {
    ASSERT_TRUE(plug(0x0130));
    log().failLater(0xA6, 0);
    EXPECT_FALSE(CameraSetExposure(kI, 400));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_WRITE_PIPE);
    EXPECT_EQ(CameraGetExposure(kI), 400);
    EXPECT_NE(reg(0x09), 400);
}

TEST_F(ExposureControlsTest, TheTargetSitsAboveTheBlackLevel) {
    ASSERT_TRUE(plug(0x0130));
    ASSERT_TRUE(CameraSetBlackLevel(kI, 10));
    ASSERT_TRUE(CameraSetAETarget(kI, 70));
    context().pipeline.read([](const ImageSettings& s) { EXPECT_EQ(s.aeTarget, 80); });
    ASSERT_TRUE(CameraSetBlackLevel(kI, 30));
    EXPECT_EQ(CameraGetAETarget(kI), 50);
    ASSERT_TRUE(CameraSetBlackLevel(kI, 200));
    EXPECT_EQ(CameraGetAETarget(kI), 0);
    context().pipeline.modify([](ImageSettings& s) { s.meanBrightness = 230; });
    EXPECT_EQ(CameraGetBrightness(kI), 30);
}

TEST_F(ExposureControlsTest, LoopSwitchesRephaseAndStopTheSensorsOwnLoop) {
    ASSERT_TRUE(plug(0x0030));
    context().frameCount = 10;
    ASSERT_TRUE(CameraSetAEC(kI, false));
    EXPECT_EQ(context().frameCount, 10u / 4 + 2) << "switching the loop re-phases the count";
    EXPECT_EQ(CameraGetAEC(kI), 0);
    ASSERT_TRUE(CameraSetAGC(kI, false));
    EXPECT_EQ(CameraGetAGC(kI), 0);
    EXPECT_EQ(reg(0xAF), 0) << "the sensor's own loop still runs";
    ASSERT_TRUE(CameraSetAntiFlicker(kI, 2));
    ASSERT_TRUE(CameraSetAntiFlicker(kI, 7));
    EXPECT_EQ(CameraGetAntiFlicker(kI), 0) << "an unknown mode is off";
}

TEST_F(ExposureControlsTest, AdvancedGainIsAReadModifyWriteOfTwoBits) {
    ASSERT_TRUE(plug(0x0120));
    const uint16_t others = reg(0x30B0) & ~0x30;
    ASSERT_TRUE(CameraSetAdvancedGain(kI, 2));
    EXPECT_EQ(reg(0x30B0), others | 0x20);
    ASSERT_TRUE(CameraSetAdvancedGain(kI, 3));
    EXPECT_EQ(reg(0x30B0), others | 0x30);
    ASSERT_TRUE(CameraSetAdvancedGain(kI, 9));
    EXPECT_EQ(reg(0x30B0), others);
    EXPECT_EQ(CameraGetAdvancedGain(kI), 9);
}

TEST_F(ExposureControlsTest, FrameDelayWritesBlankingAndUpdatesTheLineTiming) {
    ASSERT_TRUE(plug(0x0130));
    context().width = 1280;
    context().height = 1024;
    ASSERT_TRUE(CameraSetDelay(kI, 0));
    EXPECT_EQ(reg(0x05), 45);
    EXPECT_EQ(reg(0x06), 35);
    // A line is the width plus the read-back blanking plus the sensor's fixed 225 clocks.
    const double lineClocks = 1280 + 45 + 225;
    context().pipeline.read([&](const ImageSettings& s) {
        EXPECT_EQ(s.flickerLines, static_cast<int32_t>(24e6 / 100 / lineClocks));
    });
    ASSERT_TRUE(CameraSetExposure(kI, 200));
    EXPECT_DOUBLE_EQ(CameraGetExposureTime(kI), 200 * lineClocks / 1000 / 24);

    ASSERT_TRUE(CameraSetAntiFlicker(kI, 2));
    ASSERT_TRUE(CameraSetHighspeed(kI, true));
    EXPECT_TRUE(firmware().registers().highSpeed());
    context().pipeline.read([&](const ImageSettings& s) {
        EXPECT_EQ(s.flickerLines, static_cast<int32_t>(48e6 / 120 / lineClocks));
    });

    ASSERT_TRUE(CameraSetDelay(kI, 1000));
    EXPECT_EQ(CameraGetDelay(kI), 978);
    EXPECT_EQ(reg(0x05), (978 + 45) & 0x3FF);
    EXPECT_EQ(reg(0x06), (978 + 35) & 0x3FF);
    ASSERT_TRUE(CameraSetDelay(kI, -5));
    EXPECT_EQ(CameraGetDelay(kI), 0);
}

TEST_F(ExposureControlsTest, LargeSensorBlankingFollowsTheFrameSize) {
    ASSERT_TRUE(plug(0x0A00));
    context().width = 640;
    context().height = 480;
    ASSERT_TRUE(CameraSetDelay(kI, 10));
    EXPECT_EQ(reg(0x300A), 480 + 10 + 143);
    EXPECT_EQ(reg(0x300C), 1648 + 20) << "the line is never shorter than 1648 clocks";
    context().pipeline.read([&](const ImageSettings& s) {
        EXPECT_EQ(s.flickerLines, static_cast<int32_t>(24e6 / 100 / ((1648 + 20) >> 1)));
    });
    TearDown();

    ASSERT_TRUE(plug(0x3120));  // a USB 3 camera of the 0x0120 family at SuperSpeed
    context().height = 960;
    ASSERT_TRUE(CameraSetDelay(kI, 4));
    EXPECT_EQ(reg(0x300A), 960 + 4 + 30);
    EXPECT_EQ(reg(0x300C), 4 + 1650);
}

TEST_F(ExposureControlsTest, DeviceFunctionsNeedAnOpenDevice) {
    ASSERT_TRUE(plug(0x0130));
    context().device.reset();
    EXPECT_FALSE(CameraSetDelay(kI, 5));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_USB_DISCONNECTED);
    EXPECT_EQ(CameraGetDelay(kI), -1);
    EXPECT_FALSE(CameraSetHighspeed(kI, true));
    EXPECT_EQ(CameraGetHighspeed(kI), 0);
    EXPECT_FALSE(CameraSetExposure(kI, 50));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_USB_DISCONNECTED);
}

}  // namespace
}  // namespace vidscope::api
