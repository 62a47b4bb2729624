// SPDX-License-Identifier: MIT
// Parameter groups and the dead-pixel list in a virtual camera's EEPROM: layout and round trips.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "ControlFixture.h"
#include "vidscope/camera_api.h"

namespace vidscope::api {
namespace {

class ParameterGroupTest : public test::ControlFixture {
protected:
    static constexpr int kI = kIndex;
    static constexpr uint16_t kGroup0 = 0x1F00;
    static constexpr uint16_t kGroup1 = 0x1F40;

    std::vector<uint8_t> eeprom(uint16_t address, size_t length) {
        std::vector<uint8_t> bytes;
        for (size_t i = 0; i < length; ++i)
            bytes.push_back(firmware().eeprom().read(static_cast<uint16_t>(address + i)).value());
        return bytes;
    }
    void fill(uint16_t address, const std::vector<uint8_t>& bytes) {
        for (size_t i = 0; i < bytes.size(); ++i)
            firmware().eeprom().write(static_cast<uint16_t>(address + i), bytes[i]);
    }

    // Settings unlike every default and factory value.
    void applyDistinctSettings() {
        ASSERT_TRUE(CameraSetGain(kI, 40));
        ASSERT_TRUE(CameraSetExposure(kI, 300));
        ASSERT_TRUE(CameraSetGamma(kI, 0.456));
        ASSERT_TRUE(CameraSetContrast(kI, 1.25));
        ASSERT_TRUE(CameraSetAEC(kI, false));
        ASSERT_TRUE(CameraSetMirrorY(kI, true));
        ASSERT_TRUE(CameraSetWBGain(kI, 1.5, 1.0, 0.75));
        ASSERT_TRUE(CameraSetBlackLevel(kI, 10));
        ASSERT_TRUE(CameraSetAETarget(kI, 70));
        ASSERT_TRUE(CameraSetSaturation(kI, 0.8));
        ASSERT_TRUE(CameraSetInterpolation(kI, 2));
        ASSERT_TRUE(CameraSetResolutionMode(kI, 2));
        ASSERT_TRUE(CameraSetDelay(kI, 7));
        ASSERT_TRUE(CameraSetAdvancedGain(kI, 1));
        ASSERT_TRUE(CameraSetParam(kI, "image_format", 4));
        ASSERT_TRUE(CameraSetParam(kI, "roi_offset_x", 0x0102));
        ASSERT_TRUE(CameraSetParam(kI, "roi_height", 480));
        ASSERT_TRUE(CameraSetTimeout(kI, 800));
    }
};

TEST_F(ParameterGroupTest, ASavedGroupHasTheRecordLayout) {
    ASSERT_TRUE(plug(0x0130));
    applyDistinctSettings();
    const std::vector<uint8_t> group0 = eeprom(kGroup0, 40);
    ASSERT_TRUE(CameraSaveParameter(kI, 1));
    const std::vector<uint8_t> expected = {
        0x00, 40,   0x01, 0x2C,            // gain, exposure 300
        0x00, 45,   0x00, 125,             // gamma 0.456 keeps two decimals, contrast
        0x00, 0x06,                        // flags: AGC and mirror Y
        0x00, 150,  0x00, 100,  0x00, 75,  // white balance
        0x00, 10,   0x00, 80,              // black level, target above it
        0x00, 80,                          // saturation
        2,    2,    0x00, 7,               // interpolation, resolution mode, frame delay
        1,    4,    0,    0,               // advanced gain, image format, resolution index, ROI off
        0x01, 0x02, 0x00, 0x00, 0x00, 0x00, 0x01, 0xE0,  // ROI x, y, width, height
        0x03, 0x20};                                     // timeout 800
    EXPECT_EQ(eeprom(kGroup1, 40), expected);
    EXPECT_EQ(eeprom(kGroup0, 40), group0) << "group 1 overwrote group 0";
}

TEST_F(ParameterGroupTest, ALoadedGroupComesBackThroughTheSetters) {
    ASSERT_TRUE(plug(0x0130));
    applyDistinctSettings();
    ASSERT_TRUE(CameraSaveParameter(kI, 5)) << "an unknown group is group 0";
    ASSERT_TRUE(CameraLoadParameter(kI, 1));  // the factory group
    EXPECT_EQ(CameraGetGain(kI), 16);
    ASSERT_TRUE(CameraLoadParameter(kI, -1));
    EXPECT_DOUBLE_EQ(CameraGetGamma(kI), 0.45);
    EXPECT_DOUBLE_EQ(CameraGetContrast(kI), 1.25);
    EXPECT_EQ(CameraGetGain(kI), 40);
    EXPECT_EQ(firmware().registers().value(0x09), 300) << "exposure not applied";
    EXPECT_EQ(CameraGetBlackLevel(kI), 10);
    EXPECT_EQ(CameraGetAETarget(kI), 70);
    EXPECT_EQ(CameraGetAEC(kI), 0);
    EXPECT_EQ(CameraGetMirrorY(kI), 1);
    EXPECT_EQ(CameraGetResolutionMode(kI), 2);
    EXPECT_EQ(CameraGetDelay(kI), 7);
    EXPECT_EQ(CameraGetAdvancedGain(kI), 1);
    double r = 0, b = 0;
    ASSERT_TRUE(CameraGetWBGain(kI, &r, nullptr, &b));
    EXPECT_DOUBLE_EQ(r, 1.5);
    EXPECT_DOUBLE_EQ(b, 0.75);
    unsigned int x = 0, ms = 0;
    ASSERT_TRUE(CameraGetParam(kI, "roi_offset_x", &x));
    EXPECT_EQ(x, 0x0102u);
    ASSERT_TRUE(CameraGetTimeout(kI, &ms));
    EXPECT_EQ(ms, 800u);
}

TEST_F(ParameterGroupTest, AnImplausibleMatrixLoadsAsTheIdentity) {
    ASSERT_TRUE(plug(0x0130));
    const std::array<double, 9> wild = {6.0, 0.1, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 1.0};
    ASSERT_TRUE(CameraSetCCM(kI, wild.data()));
    ASSERT_TRUE(CameraSaveParameter(kI, 0));
    EXPECT_EQ(eeprom(0x1D20, 2), (std::vector<uint8_t>{0x02, 0x58})) << "600 not stored";
    ASSERT_TRUE(CameraLoadParameter(kI, 0));
    std::array<double, 9> loaded{};
    ASSERT_TRUE(CameraGetCCM(kI, loaded.data()));
    EXPECT_EQ(loaded, (std::array<double, 9>{1, 0, 0, 0, 1, 0, 0, 0, 1}));
}

TEST_F(ParameterGroupTest, UnprogrammedGarbledOrUnreadableGroupsChangeNothing) {
    ASSERT_TRUE(plug(0x0130));
    ASSERT_TRUE(CameraSetContrast(kI, 1.5));
    ASSERT_TRUE(CameraSetGain(kI, 99));
    const auto flags = [this] { return context().pipeline.read([](auto& s) { return s.flags; }); };
    const uint16_t flagsBefore = flags();
    auto expectNothingApplied = [&](int error) {
        EXPECT_EQ(CameraGetLastError(), error);
        EXPECT_DOUBLE_EQ(CameraGetContrast(kI), 1.5);
        EXPECT_EQ(CameraGetGain(kI), 99);
        EXPECT_EQ(flags(), flagsBefore);
        for (const auto& request : log().entries())
            EXPECT_EQ(request.request, 0xB0) << "only EEPROM reads may go out";
        log().clear();
    };

    fill(kGroup0, std::vector<uint8_t>(40, 0xFF));  // erased memory
    log().clear();
    EXPECT_FALSE(CameraLoadParameter(kI, 0));
    expectNothingApplied(CAMERA_ERROR_PARAMETER_UNREASONABLE);

    // A saved group with one value no setter takes: the white balance, checked late.
    ASSERT_TRUE(CameraSaveParameter(kI, 1));
    fill(kGroup1 + 14, {0x01, 0x2D});  // blue gain 3.01
    log().clear();
    EXPECT_FALSE(CameraLoadParameter(kI, 1));
    expectNothingApplied(CAMERA_ERROR_PARAMETER_UNREASONABLE);
    fill(kGroup1 + 14, {0x00, 0x64});
    fill(kGroup1 + 8, {0x04, 0x04});  // a switch no camera has
    log().clear();
    EXPECT_FALSE(CameraLoadParameter(kI, 1));
    expectNothingApplied(CAMERA_ERROR_PARAMETER_UNREASONABLE);

    log().failLater(0xB0, 20);
    EXPECT_FALSE(CameraLoadParameter(kI, 1));
    expectNothingApplied(CAMERA_ERROR_READ_PIPE);
    fill(kGroup1 + 8, {0x00, 0x04});
    ASSERT_TRUE(CameraLoadParameter(kI, 1)) << "the repaired group loads";
}

TEST_F(ParameterGroupTest, AFailedWriteEndsTheSaveWithWhatWasWrittenKept) {
    ASSERT_TRUE(plug(0x0130));
    ASSERT_TRUE(CameraSetGain(kI, 52));
    ASSERT_TRUE(CameraSetExposure(kI, 0x0ABC));
    const std::vector<uint8_t> factory = eeprom(kGroup0, 4);
    log().failLater(0xB1, 3);
    EXPECT_FALSE(CameraSaveParameter(kI, 0));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_WRITE_PIPE);
    EXPECT_EQ(log().withCode(0xB1).size(), 4u) << "the save went on after the failure";
    EXPECT_EQ(eeprom(kGroup0, 4), (std::vector<uint8_t>{0, 52, 0x0A, factory[3]}));
}

class DeadPixelStoreTest : public ParameterGroupTest {};

TEST_F(DeadPixelStoreTest, ASavedListIsStoredAndRepairedAndLoadsBack) {
    ASSERT_TRUE(plug(0x0130));
    const std::array<unsigned int, 5> list = {2, 0x0102, 7, 1279, 0x10005};
    ASSERT_TRUE(CameraSaveDeadpixel(kI, list.data()));
    EXPECT_EQ(eeprom(0x1E00, 10),
              (std::vector<uint8_t>{0, 2, 0x01, 0x02, 0, 7, 0x04, 0xFF, 0x00, 0x05}));
    context().pipeline.read([](const ImageSettings& s) {
        EXPECT_EQ(s.deadPixelCount, 2);
        EXPECT_EQ(s.deadPixels[1].x, 1279);
        EXPECT_EQ(s.deadPixels[1].y, 5) << "coordinates keep their low 16 bits";
    });

    context().pipeline.modify([](ImageSettings& s) { s.deadPixelCount = 0; });
    std::array<unsigned int, 127> loaded{};
    ASSERT_TRUE(CameraLoadDeadpixel(kI, loaded.data()));
    EXPECT_EQ(std::vector<unsigned int>(loaded.begin(), loaded.begin() + 5),
              (std::vector<unsigned int>{2, 0x0102, 7, 1279, 5}));
    context().pipeline.read([](const ImageSettings& s) { EXPECT_EQ(s.deadPixelCount, 2); });
}

TEST_F(DeadPixelStoreTest, CountsBeyondTheStoreAreRefusedOrReadAsEmpty) {
    ASSERT_TRUE(plug(0x0130));
    std::vector<unsigned int> tooMany(1 + 2 * 64, 4);
    tooMany[0] = 64;
    EXPECT_FALSE(CameraSaveDeadpixel(kI, tooMany.data()));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_PARAMETER_UNREASONABLE);
    EXPECT_TRUE(log().withCode(0xB1).empty());
    tooMany[0] = 63;
    ASSERT_TRUE(CameraSaveDeadpixel(kI, tooMany.data())) << "the full store is allowed";

    fill(0x1E00, {0x00, 64});
    std::array<unsigned int, 127> loaded{};
    loaded[0] = 99;
    ASSERT_TRUE(CameraLoadDeadpixel(kI, loaded.data()));
    EXPECT_EQ(loaded[0], 99u) << "an empty list writes nothing";
    context().pipeline.read([](const ImageSettings& s) { EXPECT_EQ(s.deadPixelCount, 0); });
    EXPECT_FALSE(CameraLoadDeadpixel(kI, nullptr));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_PARAMETER_UNREASONABLE);
}

TEST_F(DeadPixelStoreTest, AFailedReadLeavesNothingToRepair) {
    ASSERT_TRUE(plug(0x0130));
    const std::array<unsigned int, 5> list = {2, 10, 10, 20, 20};
    ASSERT_TRUE(CameraSaveDeadpixel(kI, list.data()));
    log().failLater(0xB0, 4);
    std::array<unsigned int, 127> loaded{};
    EXPECT_FALSE(CameraLoadDeadpixel(kI, loaded.data()));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_READ_PIPE);
    context().pipeline.read([](const ImageSettings& s) { EXPECT_EQ(s.deadPixelCount, 0); });
}

}  // namespace
}  // namespace vidscope::api
