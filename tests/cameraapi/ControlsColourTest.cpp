// SPDX-License-Identifier: MIT
// Colour controls over a virtual camera: ranges, table effects and the toned sensor's writes.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include "ControlFixture.h"
#include "cameraapi/isp/ColourTables.h"
#include "cameraapi/isp/IspTables.h"
#include "vidscope/camera_api.h"

namespace vidscope::api {
namespace {

class ColourControlsTest : public test::ControlFixture {
protected:
    static constexpr int kI = kIndex;
    std::shared_ptr<const IspTables> tables() { return context().pipeline.tables(); }
    uint16_t toneRegister(uint16_t address) { return firmware().registers().value(address, 1); }
};

TEST_F(ColourControlsTest, RangesAreInclusiveAndARefusedValueChangesNothing) {
    ASSERT_TRUE(plug(0x0130));
    struct Case {
        bool (*set)(int, double);
        double low, high, below, above;
    };
    const Case cases[] = {{CameraSetGamma, 0.3, 2.0, 0.29, 2.01},
                          {CameraSetContrast, 0.3, 2.0, 0.29, 2.01},
                          {CameraSetSaturation, 0.0, 2.0, -0.01, 2.01}};
    for (const Case& c : cases) {
        const auto before = tables();
        for (double bad : {c.below, c.above, std::numeric_limits<double>::quiet_NaN()}) {
            EXPECT_FALSE(c.set(kI, bad)) << bad;
            EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_PARAMETER_UNREASONABLE);
        }
        EXPECT_EQ(tables(), before) << "a refused value published new tables";
        EXPECT_TRUE(c.set(kI, c.low));
        EXPECT_TRUE(c.set(kI, c.high));
    }
    EXPECT_DOUBLE_EQ(CameraGetGamma(kI), 2.0);
    EXPECT_DOUBLE_EQ(CameraGetContrast(kI), 2.0);
    EXPECT_DOUBLE_EQ(CameraGetSaturation(kI), 2.0);

    EXPECT_FALSE(CameraSetWBGain(kI, 1.0, 3.01, 1.0));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_PARAMETER_UNREASONABLE);
    EXPECT_FALSE(CameraSetGamma(256, 1.0));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_INDEX_OUT_OF_RANGE);
    EXPECT_DOUBLE_EQ(CameraGetGamma(kI + 1), -1.0);
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_NOT_INITIALIZED);
}

TEST_F(ColourControlsTest, SettersPublishTablesBuiltFromTheNewValues) {
    ASSERT_TRUE(plug(0x0130));
    ASSERT_TRUE(CameraSetBlackLevel(kI, 20));
    ASSERT_TRUE(CameraSetContrast(kI, 1.5));
    ASSERT_TRUE(CameraSetGamma(kI, 0.5));
    EXPECT_EQ(tables()->contrastLut, IspTables::contrastTable(1.5, 20));
    EXPECT_EQ(tables()->gammaLut, IspTables::gammaTable(0.5));

    ASSERT_TRUE(CameraSetWBGain(kI, 2.0, 1.0, 0.5));
    EXPECT_EQ(tables()->gainLut[IspTables::kRed], IspTables::gainTable(2.0));
    EXPECT_EQ(tables()->gainLut[IspTables::kBlue], IspTables::gainTable(0.5));
    double r = 0, g = 0, b = 0;
    EXPECT_TRUE(CameraGetWBGain(kI, &r, nullptr, &b));
    EXPECT_EQ(r, 2.0);
    EXPECT_EQ(b, 0.5);
    EXPECT_TRUE(CameraGetWBGain(kI, nullptr, nullptr, nullptr));
    EXPECT_TRUE(CameraGetWBGain(kI, nullptr, &g, nullptr));
    EXPECT_EQ(g, 1.0);
}

TEST_F(ColourControlsTest, AMatrixTakesEffectOnlyWithEnhancementOrSaturation) {
    ASSERT_TRUE(plug(0x0130));
    const std::array<double, 9> ccm = {1.5, -0.25, -0.25, 0.0, 1.0, 0.0, -0.5, 0.0, 1.5};
    const auto before = tables();
    ASSERT_TRUE(CameraSetCCM(kI, ccm.data()));
    EXPECT_EQ(tables()->mixingMatrix, before->mixingMatrix) << "the matrix alone changed it";
    std::array<double, 9> back{};
    ASSERT_TRUE(CameraGetCCM(kI, back.data()));
    EXPECT_EQ(back, ccm);

    ASSERT_TRUE(CameraSetEnhancement(kI, true));
    EXPECT_EQ(CameraGetEnhancement(kI), 1);
    EXPECT_TRUE(tables()->applyMatrix);
    EXPECT_EQ(tables()->mixingMatrix, IspTables::colourMatrix(ccm, 1.0));

    ASSERT_TRUE(CameraSetEnhancement(kI, false));
    ASSERT_TRUE(CameraSetSaturation(kI, 0.0));
    const auto grey = tables()->mixingMatrix;
    for (size_t row = 1; row < 3; ++row) {
        for (size_t col = 0; col < 3; ++col)
            EXPECT_DOUBLE_EQ(grey[row * 3 + col], grey[col]) << "saturation 0 is not grey";
    }
    EXPECT_FALSE(CameraSetCCM(kI, nullptr));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_PARAMETER_UNREASONABLE);
}

// A matrix typed in or read from a parameter file can hold anything; products of a coefficient
// that is not a number or absurdly large cannot be tabled.
TEST_F(ColourControlsTest, AMatrixThatCannotBeTabledIsRefusedAndChangesNothing) {
    ASSERT_TRUE(plug(0x0130));
    const std::array<double, 9> kept = {1.2, -0.1, -0.1, -0.2, 1.4, -0.2, 0.0, -0.5, 1.5};
    ASSERT_TRUE(CameraSetCCM(kI, kept.data()));
    for (double bad : {std::numeric_limits<double>::quiet_NaN(),
                       std::numeric_limits<double>::infinity(), -1.0e7}) {
        std::array<double, 9> hostile = kept;
        hostile[5] = bad;
        EXPECT_FALSE(CameraSetCCM(kI, hostile.data())) << bad;
        EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_PARAMETER_UNREASONABLE);
    }
    std::array<double, 9> back{};
    ASSERT_TRUE(CameraGetCCM(kI, back.data()));
    EXPECT_EQ(back, kept);
    std::array<double, 9> strong = kept;
    strong[0] = -1000.0;  // useless for a picture, but it tables
    EXPECT_TRUE(CameraSetCCM(kI, strong.data()));
}

TEST_F(ColourControlsTest, TheTonedSensorReceivesEveryToneSetting) {
    ASSERT_TRUE(plug(0xC130));
    ASSERT_TRUE(CameraSetGamma(kI, 0.45));
    const ByteTable lut = IspTables::gammaTable(0.45);
    EXPECT_EQ(toneRegister(0xDC), lut[4] << 8 | lut[0]);
    EXPECT_EQ(toneRegister(0xDE), lut[110] << 8 | lut[36]);
    EXPECT_EQ(toneRegister(0xE0), 255 << 8 | lut[219]);

    const std::array<std::pair<double, int>, 4> contrastSteps = {
        {{0.3, 2}, {0.75, 4}, {1.2, 5}, {2.0, 7}}};
    for (auto [contrast, step] : contrastSteps) {
        ASSERT_TRUE(CameraSetContrast(kI, contrast));
        EXPECT_EQ(toneRegister(0x05), step) << contrast;
    }
    const std::array<std::pair<double, int>, 5> saturationCodes = {
        {{0.0, 0x30}, {0.25, 0x20}, {0.5, 0x10}, {1.0, 0x00}, {1.01, 0x28}}};
    for (auto [saturation, code] : saturationCodes) {
        ASSERT_TRUE(CameraSetSaturation(kI, saturation));
        EXPECT_EQ(toneRegister(0x25), code) << saturation;
    }
    ASSERT_TRUE(CameraSetBlackLevel(kI, 0x12));
    EXPECT_EQ(toneRegister(0x34), 0x1212);
    EXPECT_EQ(firmware().sensorState().tone.saturation, 1.5) << "the sensor did not take it";
}

TEST_F(ColourControlsTest, OtherSensorsGetNoToneWritesAndAFailedWriteKeepsTheValue) {
    ASSERT_TRUE(plug(0x0130));
    ASSERT_TRUE(CameraSetGamma(kI, 0.8));
    ASSERT_TRUE(CameraSetBlackLevel(kI, 9));
    EXPECT_TRUE(log().withCode(0xA6).empty());
    TearDown();

    ASSERT_TRUE(plug(0xC130));
    log().failLater(0xA6, 1);  // the page select goes through, the curve does not
    EXPECT_FALSE(CameraSetGamma(kI, 0.6));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_WRITE_PIPE);
    EXPECT_DOUBLE_EQ(CameraGetGamma(kI), 0.6);
    EXPECT_EQ(tables()->gammaLut, IspTables::gammaTable(0.6));
}

// Automatic white balance through the API: switched on, the next colour frame measures
// its greenish-grey cells and sets the gains that make them grey.
TEST_F(ColourControlsTest, AutomaticWhiteBalanceSetsTheGainsFromTheNextFrame) {
    ASSERT_TRUE(plug(0x0130));  // green and red on even rows, blue and green on odd ones
    ColourTables::rebuild();    // as opening a camera does
    unsigned int w = 0, h = 0;
    ASSERT_TRUE(CameraSetResolution(kI, 3, &w, &h, nullptr));
    std::vector<uint8_t> raw(size_t{w} * h);
    for (unsigned int y = 0; y < h; ++y) {
        for (unsigned int x = 0; x < w; ++x) {
            const bool evenRow = y % 2 == 0, evenColumn = x % 2 == 0;
            raw[size_t{y} * w + x] = evenRow == evenColumn ? 120 : (evenRow ? 100 : 90);
        }
    }
    std::vector<uint8_t> out(raw.size() * 3);
    ASSERT_TRUE(CameraSetAEC(kI, false));
    ASSERT_TRUE(CameraSetAGC(kI, false));
    ASSERT_TRUE(CameraISP(kI, raw.data(), out.data(), w, h, CAMERA_FORMAT_RGB24));
    double r = 0, g = 0, b = 0;
    ASSERT_TRUE(CameraGetWBGain(kI, &r, &g, &b));
    EXPECT_EQ(r, 1.0) << "measured without being asked";

    ASSERT_TRUE(CameraSetAWB(kI, true));
    EXPECT_EQ(CameraGetAWB(kI), 1);
    // The previous frame's mean (110) keeps these cells (luma 109) from counting as light.
    ASSERT_TRUE(CameraISP(kI, raw.data(), out.data(), w, h, CAMERA_FORMAT_RGB24));
    ASSERT_TRUE(CameraGetWBGain(kI, &r, &g, &b));
    EXPECT_EQ(r, 1.0);
    context().pipeline.modify([](ImageSettings& s) { s.meanBrightness = 0; });
    ASSERT_TRUE(CameraSetAWB(kI, true));
    ASSERT_TRUE(CameraISP(kI, raw.data(), out.data(), w, h, CAMERA_FORMAT_RGB24));
    ASSERT_TRUE(CameraGetWBGain(kI, &r, &g, &b));
    EXPECT_DOUBLE_EQ(r, 1.2);  // 120 / 100, in hundredths
    EXPECT_DOUBLE_EQ(g, 1.0);
    EXPECT_DOUBLE_EQ(b, 1.33);  // 120 / 90
}

}  // namespace
}  // namespace vidscope::api
