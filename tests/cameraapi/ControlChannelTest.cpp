// SPDX-License-Identifier: MIT
// Sensor registers, EEPROM bytes, user data and the stored colour matrix over a virtual camera.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cmath>
#include <limits>
#include <thread>

#include "ControlFixture.h"
#include "cameraapi/device/ControlChannel.h"
#include "vidscope/camera_api.h"

namespace vidscope::api::test {
namespace {

using Entry = RequestLog::Entry;

class ControlChannelTest : public ControlFixture {};

TEST_F(ControlChannelTest, RegisterRoundTripSendsTheAgreedRequests) {
    ASSERT_TRUE(plug(0x0500));  // 16-bit registers: two-byte replies
    ASSERT_TRUE(CameraWriteSCCB(kIndex, 0, 0x09, 0x1234, 0));
    EXPECT_EQ(firmware().registers().value(0x09), 0x1234);
    unsigned int value = 0;
    ASSERT_TRUE(CameraReadSCCB(kIndex, 0, 0x09, &value, 0));
    EXPECT_EQ(value, 0x1234u);
    const std::vector<Entry> expected{{false, 0xA6, 0x1234, 0x09, 0}, {true, 0xA7, 0, 0x09, 10}};
    EXPECT_EQ(log().entries(), expected);
}

TEST_F(ControlChannelTest, OneByteRegisterReplyIsTheValueItself) {
    ASSERT_TRUE(plug(0xC030));  // 8-bit registers: one-byte replies
    ASSERT_TRUE(CameraWriteSCCB(kIndex, 0, 0x40, 0x5A, 0));
    unsigned int value = 0xFFFF;
    ASSERT_TRUE(CameraReadSCCB(kIndex, 0, 0x40, &value, 0));
    EXPECT_EQ(value, 0x5Au);
}

TEST_F(ControlChannelTest, EepromByteRoundTripWaitsTheWriteTime) {
    ASSERT_TRUE(plug(0x3E00));
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(CameraWriteEEPROM(kIndex, 0, 0x1C00, 0xA5, 0));
    EXPECT_GE(std::chrono::steady_clock::now() - start, ControlChannel::kEepromWriteTime);
    EXPECT_EQ(firmware().eeprom().read(0x1C00), 0xA5);
    unsigned char value = 0;
    ASSERT_TRUE(CameraReadEEPROM(kIndex, 0, 0x1C00, &value, 0));
    EXPECT_EQ(value, 0xA5);
    const std::vector<Entry> expected{{false, 0xB1, 0xA5, 0x1C00, 0}, {true, 0xB0, 0, 0x1C00, 10}};
    EXPECT_EQ(log().entries(), expected);
}

TEST_F(ControlChannelTest, FailuresNameTheDirectionAndLeaveOutputsAlone) {
    ASSERT_TRUE(plug(0x0500));
    firmware().faults().failVendorRequests(0xA7, 1);
    unsigned int value = 77;
    EXPECT_FALSE(CameraReadSCCB(kIndex, 0, 0x09, &value, 0));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_READ_PIPE);
    EXPECT_EQ(value, 77u);

    firmware().faults().failVendorRequests(0xB1, 1);
    EXPECT_FALSE(CameraWriteEEPROM(kIndex, 0, 0x1C00, 1, 0));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_WRITE_PIPE);

    log().clear();
    EXPECT_FALSE(CameraReadSCCB(kIndex, 0, 0x09, nullptr, 0));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_PARAMETER_UNREASONABLE);
    EXPECT_TRUE(log().entries().empty());
}

TEST_F(ControlChannelTest, UnpluggedAndClosedCamerasFailCleanly) {
    ASSERT_TRUE(plug(0x3E00));
    firmware().unplug();
    unsigned char byte = 0;
    EXPECT_FALSE(CameraReadEEPROM(kIndex, 0, 0x1D00, &byte, 0));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_READ_PIPE);
    EXPECT_FALSE(CameraWriteSCCB(kIndex, 0, 0x3012, 5, 0));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_WRITE_PIPE);
    firmware().replug();

    context().device->Close();
    EXPECT_FALSE(CameraWriteEEPROM(kIndex, 0, 0x1D00, 0, 0));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_USB_DISCONNECTED);
    EXPECT_FALSE(CameraReadSCCB(kIndex + 1, 0, 0, nullptr, 0));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_NOT_INITIALIZED);
}

TEST_F(ControlChannelTest, UserDataRoundTripAndLengthCheck) {
    ASSERT_TRUE(plug(0x3E00));
    const std::array<unsigned char, 12> id{0x00, 0x11, 0x22, 0x33, 0x44, 0x55,
                                           0x66, 0x77, 0x88, 0x99, 0xAA, 0xFF};
    EXPECT_FALSE(CameraWriteUserData(kIndex, id.data(), 11));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_PARAMETER_UNREASONABLE);
    EXPECT_TRUE(log().entries().empty());

    ASSERT_TRUE(CameraWriteUserData(kIndex, id.data(), 12));
    const auto writes = log().withCode(0xB1);
    ASSERT_EQ(writes.size(), 12u);
    for (size_t i = 0; i < writes.size(); ++i) {
        EXPECT_EQ(writes[i].index, 0x1D00 + i) << "ascending addresses";
        EXPECT_EQ(firmware().eeprom().read(uint16_t(0x1D00 + i)), id[i]);
    }
    std::array<unsigned char, 12> back{};
    ASSERT_TRUE(CameraReadUserData(kIndex, back.data(), 12));
    EXPECT_EQ(back, id);
}

TEST_F(ControlChannelTest, UserDataStopsAtTheFirstFailingByte) {
    ASSERT_TRUE(plug(0x3E00));
    const std::array<unsigned char, 12> id{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    log().failLater(0xB1, 4);  // the fifth byte fails
    EXPECT_FALSE(CameraWriteUserData(kIndex, id.data(), 12));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_WRITE_PIPE);
    EXPECT_EQ(log().withCode(0xB1).size(), 5u);
    EXPECT_EQ(firmware().eeprom().read(0x1D03), 4) << "bytes before the failure stay written";
    EXPECT_NE(firmware().eeprom().read(0x1D05), 6);

    log().clear();
    log().failLater(0xB0, 2);
    std::array<unsigned char, 12> back{};
    EXPECT_FALSE(CameraReadUserData(kIndex, back.data(), 12));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_READ_PIPE);
    EXPECT_EQ(log().withCode(0xB0).size(), 3u);
    EXPECT_EQ(back[0], 1);
    EXPECT_EQ(back[1], 2);
}

TEST(ColourMatrixCodingTest, TruncatesAndRefusesWhatDoesNotFit) {
    EXPECT_EQ(ControlChannel::encodeMatrixEntry(1.005), 100);
    EXPECT_EQ(ControlChannel::encodeMatrixEntry(-1.0), -100);
    EXPECT_EQ(ControlChannel::encodeMatrixEntry(-0.019), -1) << "toward zero, not down";
    EXPECT_EQ(ControlChannel::encodeMatrixEntry(-327.68), -32768);
    EXPECT_FALSE(ControlChannel::encodeMatrixEntry(327.68));
    EXPECT_FALSE(ControlChannel::encodeMatrixEntry(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_DOUBLE_EQ(ControlChannel::decodeMatrixEntry(0xFF, 0x9C), -1.0);
    EXPECT_DOUBLE_EQ(ControlChannel::decodeMatrixEntry(0x01, 0x2C), 3.0);
}

TEST_F(ControlChannelTest, ColourMatrixIsStoredHighByteFirstAndReadBack) {
    ASSERT_TRUE(plug(0x3E00));
    const double matrix[9] = {1.005, -1.0, 0.0, 0.25, 1.5, -0.75, 0.0, -0.5, 5.0};
    ASSERT_TRUE(CameraWriteEEPROMCCM(kIndex, matrix));
    const auto writes = log().withCode(0xB1);
    ASSERT_EQ(writes.size(), 18u);
    EXPECT_EQ(writes[0].index, 0x1D20);
    EXPECT_EQ(writes[0].value, 0x00);
    EXPECT_EQ(writes[1].value, 0x64);  // 1.005 stored as 100
    EXPECT_EQ(writes[2].value, 0xFF);
    EXPECT_EQ(writes[3].value, 0x9C);  // -1.00
    EXPECT_EQ(writes[17].index, 0x1D31);

    double back[9] = {};
    ASSERT_TRUE(CameraReadEEPROMCCM(kIndex, back));
    const double expected[9] = {1.0, -1.0, 0.0, 0.25, 1.5, -0.75, 0.0, -0.5, 5.0};
    for (int k = 0; k < 9; ++k)
        EXPECT_DOUBLE_EQ(back[k], expected[k]) << "entry " << k;
}

TEST_F(ControlChannelTest, ImplausibleStoredMatrixReadsAsIdentity) {
    ASSERT_TRUE(plug(0x3E00));
    const double stored[9] = {0.05, 0.3, 0.3, 0, 1, 0, 0, 0, 1};
    ASSERT_TRUE(CameraWriteEEPROMCCM(kIndex, stored));
    double back[9];
    ASSERT_TRUE(CameraReadEEPROMCCM(kIndex, back));
    const double identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    for (int k = 0; k < 9; ++k)
        EXPECT_EQ(back[k], identity[k]) << "entry " << k;
}

TEST_F(ControlChannelTest, ColourMatrixFailuresStopTheTransfer) {
    ASSERT_TRUE(plug(0x3E00));
    const double matrix[9] = {2.0, 0.5, 0.5, 0.5, 2.0, 0.5, 0.5, 0.5, 2.0};
    ASSERT_TRUE(CameraWriteEEPROMCCM(kIndex, matrix));

    log().clear();
    log().failLater(0xB0, 3);  // the high byte of entry 1 fails
    double back[9];
    EXPECT_FALSE(CameraReadEEPROMCCM(kIndex, back));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_READ_PIPE);
    EXPECT_EQ(log().withCode(0xB0).size(), 4u) << "no reads after the failure";
    EXPECT_DOUBLE_EQ(back[0], 2.0);
    for (int k = 1; k < 9; ++k)
        EXPECT_EQ(back[k], 0.0) << "entry " << k << " counts as zero";

    log().clear();
    const double tooLarge[9] = {1, 0, 0, 0, 1, 0, 0, 0, 400.0};
    EXPECT_FALSE(CameraWriteEEPROMCCM(kIndex, tooLarge));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_PARAMETER_UNREASONABLE);
    EXPECT_TRUE(log().entries().empty()) << "a refused matrix writes nothing";

    log().failLater(0xB1, 0);
    EXPECT_FALSE(CameraWriteEEPROMCCM(kIndex, matrix));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_WRITE_PIPE);
    EXPECT_EQ(log().withCode(0xB1).size(), 1u);
}

// Two threads share the control endpoint: each must read back what it wrote, never the other
// thread's reply (the request's setup and its reply belong together).
TEST_F(ControlChannelTest, ConcurrentAccessKeepsRequestsAndRepliesTogether) {
    ASSERT_TRUE(plug(0x0500));
    auto hammer = [](uint16_t address, uint16_t base, int* mismatches) {
        for (uint16_t i = 0; i < 200; ++i) {
            unsigned int value = 0;
            if (!CameraWriteSCCB(kIndex, 0, address, uint16_t(base + i), 0) ||
                !CameraReadSCCB(kIndex, 0, address, &value, 0) || value != uint16_t(base + i))
                ++*mismatches;
        }
    };
    int mismatchesA = 0;
    int mismatchesB = 0;
    int gpioFailures = 0;
    std::thread a(hammer, 0x35, 0x1000, &mismatchesA);
    std::thread b(hammer, 0x2B, 0x2000, &mismatchesB);
    std::thread gpio([&] {
        for (int i = 0; i < 200; ++i)
            gpioFailures += CameraGetGPIO(kIndex) < 0 ? 1 : 0;
    });
    a.join();
    b.join();
    gpio.join();
    EXPECT_EQ(mismatchesA, 0);
    EXPECT_EQ(mismatchesB, 0);
    EXPECT_EQ(gpioFailures, 0);
}

}  // namespace
}  // namespace vidscope::api::test
