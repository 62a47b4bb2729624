// SPDX-License-Identifier: MIT
// The firmware's replies to vendor requests: lengths, byte orders, effects and refusals.
#include <gtest/gtest.h>

#include "FirmwareTestSupport.h"

namespace vidscope::sim::test {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(VendorRequests, FirmwareVersionIsFourBigEndianBytes) {
    ScratchDirectory dir;
    auto usb2 = makeCamera(0x0500, dir);
    auto usb3 = makeCamera(0x3E00, dir);
    EXPECT_EQ(in(*usb2, kFirmwareVersion, 0, 0).bytes, (Bytes{0x02, 0x01, 0x00, 0x07}));
    EXPECT_EQ(in(*usb3, kFirmwareVersion, 0, 0).bytes, (Bytes{0x03, 0x00, 0x01, 0x02}));
}

TEST(VendorRequests, SixteenBitRegistersReplyHighByteFirst) {
    ScratchDirectory dir;
    auto fw = makeCamera(0x0E00, dir);
    EXPECT_EQ(out(*fw, kWriteRegister, 0x1234, 0x3012), ControlOutcome::Ack);
    EXPECT_EQ(in(*fw, kReadRegister, 0, 0x3012).bytes, (Bytes{0x12, 0x34}));
    // Never written: reads 0, still two bytes.
    EXPECT_EQ(in(*fw, kReadRegister, 0, 0x4444).bytes, (Bytes{0x00, 0x00}));
}

TEST(VendorRequests, EightBitSensorRepliesOneByteAndRefusesWideAddresses) {
    ScratchDirectory dir;
    auto fw = makeCamera(0xC030, dir);
    EXPECT_EQ(out(*fw, kWriteRegister, 0x01A5, 0x20), ControlOutcome::Ack);
    EXPECT_EQ(in(*fw, kReadRegister, 0, 0x20).bytes, (Bytes{0xA5}));
    EXPECT_EQ(out(*fw, kWriteRegister, 1, 0x100), ControlOutcome::Stall);
    EXPECT_EQ(in(*fw, kReadRegister, 0, 0x100).outcome, ControlOutcome::Stall);
}

TEST(VendorRequests, TonedSensorSelectsRegisterBanksThroughThePageRegister) {
    ScratchDirectory dir;
    auto fw = makeCamera(0xC130, dir);
    writeRegister(*fw, 0xF0, 1);
    EXPECT_EQ(readRegister(*fw, 0x05), 5);  // contrast step at power-on
    writeRegister(*fw, 0x05, 2);
    writeRegister(*fw, 0xF0, 0);
    EXPECT_EQ(readRegister(*fw, 0x05), 0);
    writeRegister(*fw, 0xF0, 1);
    EXPECT_EQ(readRegister(*fw, 0x05), 2);
}

TEST(VendorRequests, ResolutionQueriesReplyLittleEndian) {
    ScratchDirectory dir;
    auto fw = makeCamera(0x0500, dir);  // 2592 x 1944
    EXPECT_EQ(in(*fw, kResolutionQuery, 1, kResolutionCount).bytes, (Bytes{4, 0, 0, 0}));
    EXPECT_EQ(in(*fw, kResolutionQuery, 0, kResolutionRecord).bytes,
              (Bytes{0x20, 0x0A, 0x98, 0x07, 1, 0}));
    EXPECT_EQ(in(*fw, kResolutionQuery, 1, kResolutionRecord).bytes,
              (Bytes{0x10, 0x05, 0xCC, 0x03, 1, 0}));
    EXPECT_EQ(in(*fw, kResolutionQuery, 4, kResolutionRecord).outcome, ControlOutcome::Stall);
    EXPECT_EQ(in(*fw, kResolutionQuery, 0, 2).outcome, ControlOutcome::Stall);

    auto yuv = makeCamera(0xC030, dir);
    EXPECT_EQ(in(*yuv, kResolutionQuery, 0, kResolutionRecord).bytes,
              (Bytes{0x80, 0x02, 0xE0, 0x01, 2, 0}));
}

TEST(VendorRequests, SelectingAResolutionChangesTheFrameAndRepliesItsRecord) {
    ScratchDirectory dir;
    auto fw = makeCamera(0x0500, dir);
    EXPECT_EQ(in(*fw, kSelectResolution, 3, kResolutionRecord).bytes,
              (Bytes{0x80, 0x02, 0xE0, 0x01, 1, 0}));  // 640 x 480 window
    FrameGeometry g = fw->geometry();
    EXPECT_EQ(g.width, 640);
    EXPECT_EQ(g.window.x, (2592 - 640) / 2);
    EXPECT_EQ(g.sampling, Sampling::Full);

    in(*fw, kSelectResolution, 1, kResolutionRecord);
    EXPECT_EQ(fw->geometry().sampling, Sampling::Skip);  // power-on mode: skipping
    EXPECT_EQ(in(*fw, kResolutionQuery, 2, kResolutionMode).bytes, (Bytes{2}));
    EXPECT_EQ(fw->geometry().sampling, Sampling::Bin);
    in(*fw, kResolutionQuery, 0, kResolutionMode);
    g = fw->geometry();
    EXPECT_EQ(g.sampling, Sampling::Full);
    EXPECT_EQ(g.window.width, 1296);  // cropping: the centre at full resolution
    EXPECT_EQ(in(*fw, kResolutionQuery, 3, kResolutionMode).outcome, ControlOutcome::Stall);
    EXPECT_EQ(in(*fw, kSelectResolution, 9, kResolutionRecord).outcome, ControlOutcome::Stall);
    EXPECT_EQ(in(*fw, kSelectResolution, 0, 1).outcome, ControlOutcome::Stall);
}

TEST(VendorRequests, RoiWindowAppliesOnlyWhenAcknowledgedForTheSameCorner) {
    ScratchDirectory dir;
    auto fw = makeCamera(0x0130, dir);  // 1280 x 1024
    const Bytes size200x100 = {200, 0, 100, 0};
    EXPECT_EQ(out(*fw, kRoiWindow, 100, 50, size200x100), ControlOutcome::Ack);
    EXPECT_EQ(in(*fw, kRoiWindow, 102, 50).bytes, (Bytes{0}));  // another corner
    EXPECT_EQ(fw->geometry().width, 1280);

    out(*fw, kRoiWindow, 100, 50, size200x100);
    EXPECT_EQ(in(*fw, kRoiWindow, 100, 50).bytes, (Bytes{1}));
    FrameGeometry g = fw->geometry();
    EXPECT_EQ(g.window, (Window{100, 50, 200, 100}));
    EXPECT_EQ(g.width, 200);
    EXPECT_EQ(g.height, 100);

    // Odd, too small, or past the sensor's edge: refused, the window stays.
    for (Bytes bad : {Bytes{201, 0, 100, 0}, Bytes{4, 0, 4, 0}, Bytes{0xA0, 0x04, 100, 0}}) {
        out(*fw, kRoiWindow, 100, 50, bad);
        EXPECT_EQ(in(*fw, kRoiWindow, 100, 50).bytes, (Bytes{0}));
    }
    EXPECT_EQ(fw->geometry().width, 200);
    // A window ending exactly at the edge fits.
    out(*fw, kRoiWindow, 1080, 0, {200, 0, 0, 4});
    EXPECT_EQ(in(*fw, kRoiWindow, 1080, 0).bytes, (Bytes{1}));
    EXPECT_EQ(out(*fw, kRoiWindow, 0, 0, {8, 0}), ControlOutcome::Stall);

    in(*fw, kSelectResolution, 0, kResolutionRecord);
    EXPECT_EQ(fw->geometry().width, 1280);
}

TEST(VendorRequests, GpioLatchesOutputsReflectsTheInputAndPulsesTheTrigger) {
    ScratchDirectory dir;
    auto fw = makeCamera(0x0500, dir);
    EXPECT_EQ(in(*fw, kSetGpio, 0x80, 0x80).bytes, (Bytes{0x80}));
    EXPECT_EQ(in(*fw, kGetGpio, 0, 0).bytes, (Bytes{0x80}));
    // The input bit cannot be written; the trigger bit does not stay set.
    EXPECT_EQ(in(*fw, kSetGpio, 0x0A, 0x0A).bytes, (Bytes{0x80}));
    fw->setInputLine(true);
    EXPECT_EQ(in(*fw, kGetGpio, 0, 0).bytes, (Bytes{0x82}));
    EXPECT_EQ(in(*fw, kSetGpio, 0, 0x80).bytes, (Bytes{0x02}));
    fw->setInputLine(false);
    EXPECT_EQ(fw->gpioState(), 0);
}

TEST(VendorRequests, UnknownOrMisdirectedRequestsStall) {
    ScratchDirectory dir;
    auto usb2 = makeCamera(0x0500, dir);
    EXPECT_EQ(in(*usb2, 0x99, 0, 0).outcome, ControlOutcome::Stall);
    EXPECT_EQ(out(*usb2, kReadRegister, 0, 0x09), ControlOutcome::Stall);
    EXPECT_EQ(in(*usb2, kWriteRegister, 5, 0x09).outcome, ControlOutcome::Stall);
    EXPECT_EQ(in(*usb2, kStreamStart, 0, 0).outcome, ControlOutcome::Stall);  // USB 3 only
    EXPECT_EQ(in(*usb2, kTriggerMode, 1, 0).outcome, ControlOutcome::Stall);  // large sensors only
    EXPECT_EQ(in(*usb2, kHighSpeed, 2, 0).outcome, ControlOutcome::Stall);

    auto large = makeCamera(0x0A00, dir);
    EXPECT_EQ(in(*large, kTriggerMode, 1, 0).bytes, (Bytes{1}));
    EXPECT_EQ(large->sensorState().trigger, TriggerState::Triggered);
}

TEST(VendorRequests, ShortDataStageGetsTheHeadOfTheReply) {
    ScratchDirectory dir;
    auto fw = makeCamera(0x0500, dir);
    const Reply r = in(*fw, kFirmwareVersion, 0, 0, 2);
    EXPECT_EQ(r.outcome, ControlOutcome::Ack);
    EXPECT_EQ(r.bytes, (Bytes{0x02, 0x01}));
}

TEST(VendorRequests, ErasedFirmwareAnswersNothingUntilPoweredAgain) {
    ScratchDirectory dir;
    auto fw = makeCamera(0x0500, dir);
    EXPECT_EQ(out(*fw, kEraseFirmware, 1, 0, {1}), ControlOutcome::Stall);  // wrong data byte
    EXPECT_FALSE(fw->firmwareErased());
    EXPECT_EQ(out(*fw, kEraseFirmware, 1, 0, {0}), ControlOutcome::Ack);
    EXPECT_TRUE(fw->firmwareErased());
    EXPECT_EQ(in(*fw, kFirmwareVersion, 0, 0).outcome, ControlOutcome::Stall);
    fw->unplug();
    fw->replug();
    EXPECT_EQ(in(*fw, kFirmwareVersion, 0, 0).outcome, ControlOutcome::Ack);
}

TEST(VendorRequests, InjectedFailuresHitTheChosenRequestsOnly) {
    ScratchDirectory dir;
    auto fw = makeCamera(0x0500, dir);
    fw->faults().failVendorRequests(kReadRegister, 2);
    EXPECT_EQ(in(*fw, kReadEeprom, 0, 0x1D00).outcome, ControlOutcome::Ack);
    EXPECT_EQ(in(*fw, kReadRegister, 0, 0x09).outcome, ControlOutcome::Stall);
    EXPECT_EQ(in(*fw, kReadRegister, 0, 0x09).outcome, ControlOutcome::Stall);
    EXPECT_EQ(in(*fw, kReadRegister, 0, 0x09).outcome, ControlOutcome::Ack);

    // A failed write has no effect.
    fw->faults().failVendorRequests(kWriteEeprom, 1, ControlOutcome::Timeout);
    EXPECT_EQ(out(*fw, kWriteEeprom, 0x42, 0x1D00), ControlOutcome::Timeout);
    EXPECT_NE(in(*fw, kReadEeprom, 0, 0x1D00).bytes, (Bytes{0x42}));

    fw->faults().failVendorRequests(0, 1);
    EXPECT_EQ(in(*fw, kGetGpio, 0, 0).outcome, ControlOutcome::Stall);
    EXPECT_EQ(in(*fw, kGetGpio, 0, 0).outcome, ControlOutcome::Ack);
}

TEST(VendorRequests, UnplugFailsRequestsAndReplugRestoresPowerOnRegisters) {
    ScratchDirectory dir;
    auto fw = makeCamera(0x0500, dir);
    std::vector<bool> changes;
    fw->setConnectionListener([&](bool c) { changes.push_back(c); });
    const uint16_t powerOnExposure = readRegister(*fw, 0x09);
    writeRegister(*fw, 0x09, powerOnExposure + 100);
    in(*fw, kSelectResolution, 2, kResolutionRecord);

    fw->unplug();
    EXPECT_EQ(in(*fw, kReadRegister, 0, 0x09).outcome, ControlOutcome::Disconnected);
    fw->replug();
    EXPECT_EQ(readRegister(*fw, 0x09), powerOnExposure);
    EXPECT_EQ(fw->geometry().width, 2592);
    EXPECT_EQ(changes, (std::vector<bool>{false, true}));
}

}  // namespace
}  // namespace vidscope::sim::test
