// SPDX-License-Identifier: MIT
// Snap mode, trigger shot, strobe, strobe polarity and GPIO per sensor family, on virtual cameras.
#include <gtest/gtest.h>

#include <vector>

#include "ControlFixture.h"
#include "vidscope/camera_api.h"

namespace vidscope::api::test {
namespace {

using Entry = RequestLog::Entry;

Entry readReg(uint16_t address) {
    return {true, 0xA7, 0, address, 10};
}
Entry writeReg(uint16_t address, uint16_t value) {
    return {false, 0xA6, value, address, 0};
}
Entry triggerRequest(uint16_t on) {
    return {true, 0xB4, on, 0, 10};
}

struct SnapCase {
    uint16_t deviceCode;
    std::vector<Entry> enter;  // requests of CameraSetSnapMode(2) from power-on
    std::vector<Entry> leave;  // requests of CameraSetSnapMode(1) after that
};

void PrintTo(const SnapCase& c, std::ostream* os) {
    *os << std::hex << "0x" << c.deviceCode;
}

class SnapModeTest : public ControlFixture, public ::testing::WithParamInterface<SnapCase> {};

TEST_P(SnapModeTest, EntersAndLeavesTriggerModeThroughItsRegisters) {
    const SnapCase& c = GetParam();
    ASSERT_TRUE(plug(c.deviceCode));
    EXPECT_EQ(CameraGetSnapMode(kIndex), 1);

    ASSERT_TRUE(CameraSetSnapMode(kIndex, 2)) << CameraGetErrorName(CameraGetLastError());
    EXPECT_EQ(log().entries(), c.enter);
    EXPECT_EQ(CameraGetSnapMode(kIndex), 2);
    EXPECT_EQ(firmware().sensorState().trigger, sim::TriggerState::Triggered);

    log().clear();
    ASSERT_TRUE(CameraSetSnapMode(kIndex, 1)) << CameraGetErrorName(CameraGetLastError());
    EXPECT_EQ(log().entries(), c.leave);
    EXPECT_EQ(CameraGetSnapMode(kIndex), 1);
    EXPECT_EQ(firmware().sensorState().trigger, sim::TriggerState::Continuous);
}

INSTANTIATE_TEST_SUITE_P(
    Families, SnapModeTest,
    ::testing::Values(SnapCase{0x0500,
                               {readReg(0x1E), writeReg(0x1E, 0x4106)},
                               {readReg(0x1E), writeReg(0x1E, 0x4006), writeReg(0x0B, 1)}},
                      SnapCase{0x0130,
                               {readReg(0x1E), writeReg(0x1E, 0x4106)},
                               {readReg(0x1E), writeReg(0x1E, 0x4006)}},
                      SnapCase{0x303B,
                               {readReg(0x07), writeReg(0x07, 0x0198)},
                               {readReg(0x07), writeReg(0x07, 0x0188)}},
                      SnapCase{0x0A00,
                               {readReg(0x301A), writeReg(0x301A, 0x10D8), triggerRequest(1)},
                               {readReg(0x301A), writeReg(0x301A, 0x10DC), triggerRequest(0)}},
                      SnapCase{0x3E00,
                               {readReg(0x301A), writeReg(0x301A, 0x10D8), triggerRequest(1)},
                               {readReg(0x301A), writeReg(0x301A, 0x10DC), triggerRequest(0)}},
                      SnapCase{0x312B, {writeReg(0x301A, 0x01D8)}, {writeReg(0x301A, 0x01DC)}},
                      SnapCase{0x3E70, {writeReg(0x0B, 0x0104)}, {writeReg(0x0B, 0x0006)}}));

class TriggerIoTest : public ControlFixture {};

TEST_F(TriggerIoTest, LeavingAModeNotEnteredWritesNothing) {
    ASSERT_TRUE(plug(0x0500));
    ASSERT_TRUE(CameraSetSnapMode(kIndex, 1));
    EXPECT_EQ(log().entries(), std::vector<Entry>{readReg(0x1E)});
}

TEST_F(TriggerIoTest, FamiliesWithoutTriggerRefuseAndKeepTheMode) {
    for (uint16_t code : {0x0100, 0x32C0, 0xC500}) {
        SCOPED_TRACE(code);
        ASSERT_TRUE(plug(code));
        EXPECT_FALSE(CameraSetSnapMode(kIndex, 2));
        EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_NOT_SUPPORTED);
        EXPECT_EQ(CameraGetSnapMode(kIndex), 1);
        EXPECT_FALSE(CameraTriggerShot(kIndex));
        EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_NOT_SUPPORTED);
        EXPECT_TRUE(log().entries().empty());
        TearDown();
    }
}

TEST_F(TriggerIoTest, RefusedRegisterReadStopsTheSwitch) {
    ASSERT_TRUE(plug(0x0500));
    log().failLater(0xA7, 0);
    EXPECT_FALSE(CameraSetSnapMode(kIndex, 2));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_READ_PIPE);
    EXPECT_TRUE(log().withCode(0xA6).empty()) << "a failed read writes nothing";
}

TEST_F(TriggerIoTest, LargeSensorsDependOnTheirModeRequest) {
    ASSERT_TRUE(plug(0x0A0B));
    firmware().faults().failVendorRequests(0xB4, 1);
    EXPECT_FALSE(CameraSetSnapMode(kIndex, 2));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_READ_PIPE);

    // A failed register read still writes (from 0) and sends the request, but fails the call.
    log().clear();
    log().failLater(0xA7, 0);
    EXPECT_FALSE(CameraSetSnapMode(kIndex, 2));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_READ_PIPE);
    EXPECT_EQ(log().entries(),
              (std::vector<Entry>{readReg(0x301A), writeReg(0x301A, 0), triggerRequest(1)}));
}

TEST_F(TriggerIoTest, TriggerShotPulsesTheTriggerBit) {
    ASSERT_TRUE(plug(0x3E00));
    EXPECT_TRUE(CameraTriggerShot(kIndex));
    EXPECT_EQ(log().entries(), (std::vector<Entry>{{true, 0xA4, 0x08, 0x08, 10}}));
}

struct StrobeCase {
    uint16_t deviceCode;
    uint16_t address;
    uint16_t enabled;   // register word after enabling from power-on
    uint16_t disabled;  // after disabling again
};

void PrintTo(const StrobeCase& c, std::ostream* os) {
    *os << std::hex << "0x" << c.deviceCode;
}

class StrobeTest : public ControlFixture, public ::testing::WithParamInterface<StrobeCase> {};

TEST_P(StrobeTest, SwitchesTheFamilysStrobeBits) {
    const StrobeCase& c = GetParam();
    ASSERT_TRUE(plug(c.deviceCode));
    ASSERT_TRUE(CameraEnableStrobe(kIndex, true));
    EXPECT_EQ(firmware().registers().value(c.address), c.enabled);
    EXPECT_TRUE(firmware().sensorState().strobeEnabled);
    ASSERT_TRUE(CameraEnableStrobe(kIndex, false));
    EXPECT_EQ(firmware().registers().value(c.address), c.disabled);
    EXPECT_FALSE(firmware().sensorState().strobeEnabled);
}

INSTANTIATE_TEST_SUITE_P(Families, StrobeTest,
                         ::testing::Values(StrobeCase{0x050B, 0x1E, 0x4016, 0x4006},
                                           StrobeCase{0x0300, 0x1E, 0x4606, 0x4006},
                                           StrobeCase{0x0030, 0x1B, 0x0000, 0x0001},
                                           StrobeCase{0x3120, 0x3046, 0x0100, 0x0000}));

TEST_F(TriggerIoTest, FixedStrobeWordFollowsTheSnapModeAlone) {
    ASSERT_TRUE(plug(0x3E6B));
    ASSERT_TRUE(CameraEnableStrobe(kIndex, false));
    EXPECT_EQ(firmware().registers().value(0x0B), 0x46);
    ASSERT_TRUE(CameraSetSnapMode(kIndex, 2));
    log().clear();
    ASSERT_TRUE(CameraEnableStrobe(kIndex, false));
    EXPECT_EQ(firmware().registers().value(0x0B), 0x144);
    EXPECT_EQ(log().entries(), std::vector<Entry>{writeReg(0x0B, 0x144)}) << "no read";
}

TEST_F(TriggerIoTest, StrobeAndPolarityRefusals) {
    ASSERT_TRUE(plug(0x3E60));  // same family as 0x0E6B, but no strobe of its own
    EXPECT_FALSE(CameraEnableStrobe(kIndex, true));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_NOT_SUPPORTED);
    EXPECT_FALSE(CameraSetStrobePolarity(kIndex, true));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_NOT_SUPPORTED);
    TearDown();

    ASSERT_TRUE(plug(0x0130));  // strobe, but no polarity
    EXPECT_FALSE(CameraSetStrobePolarity(kIndex, false));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_NOT_SUPPORTED);
    log().failLater(0xA7, 0);
    EXPECT_FALSE(CameraEnableStrobe(kIndex, true));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_READ_PIPE);
    EXPECT_TRUE(log().withCode(0xA6).empty());
}

TEST_F(TriggerIoTest, StrobePolarityPerFamily) {
    struct Case {
        uint16_t code, address, bit;
    };
    for (const Case& c :
         {Case{0x0500, 0x1E, 0x20}, Case{0x003B, 0x1B, 0x02}, Case{0x0120, 0x3046, 0x80}}) {
        SCOPED_TRACE(c.code);
        ASSERT_TRUE(plug(c.code));
        const uint16_t before = firmware().registers().value(c.address);
        ASSERT_TRUE(CameraSetStrobePolarity(kIndex, true));
        EXPECT_EQ(firmware().registers().value(c.address), before | c.bit);
        EXPECT_TRUE(firmware().sensorState().strobeInverted);
        ASSERT_TRUE(CameraSetStrobePolarity(kIndex, false));
        EXPECT_EQ(firmware().registers().value(c.address), before & ~c.bit);
        EXPECT_FALSE(firmware().sensorState().strobeInverted);
        TearDown();
    }
}

TEST_F(TriggerIoTest, GpioBitsAndInputLine) {
    ASSERT_TRUE(plug(0x3E00));
    EXPECT_EQ(CameraSetGPIO(kIndex, 0x80, 0x80) & 0x80, 0x80);
    EXPECT_EQ(firmware().gpioState() & 0x80, 0x80);
    EXPECT_EQ(CameraGetGPIO(kIndex) & 0x80, 0x80);
    log().clear();
    EXPECT_EQ(CameraSetGPIO(kIndex, 0x80, 0) & 0x80, 0);
    EXPECT_EQ(log().entries(), (std::vector<Entry>{{true, 0xA4, 0, 0x80, 10}}));

    firmware().setInputLine(true);
    EXPECT_EQ(CameraGetGPIO(kIndex) & 0x02, 0x02);
    firmware().setInputLine(false);
    EXPECT_EQ(CameraGetGPIO(kIndex) & 0x02, 0);

    firmware().faults().failVendorRequests(0xA5, 1);
    EXPECT_EQ(CameraGetGPIO(kIndex), -1);
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_READ_PIPE);
    context().device->Close();
    EXPECT_EQ(CameraSetGPIO(kIndex, 0x80, 0x80), -1);
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_USB_DISCONNECTED);
}

TEST(TriggerPolarityTest, AcceptsAnythingAndLeavesTheLastError) {
    EXPECT_EQ(CameraGetSnapMode(300), -1);
    EXPECT_TRUE(CameraSetTriggerPolarity(300, 7));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_INDEX_OUT_OF_RANGE);
}

}  // namespace
}  // namespace vidscope::api::test
