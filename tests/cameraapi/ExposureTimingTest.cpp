// SPDX-License-Identifier: MIT
// Line timing and frame-delay registers of every sensor family, against the sensors' tables.
#include <gtest/gtest.h>

#include <vector>

#include "cameraapi/device/ExposureTiming.h"

namespace vidscope::api {
namespace {

struct TimingCase {
    uint16_t deviceCode;
    uint16_t sensorCode;
    bool highSpeed;
    bool superSpeed;
    uint8_t mode;
    uint32_t height;
    uint16_t registerValue;  // what the blanking register reads back
    double lineClocks;       // width 640 plus the family's blanking
    double clockMHz;
};

// Width 640 throughout; the register value matters only where the family reads one.
const TimingCase kTimings[] = {
    {0x0030, 0x0030, false, false, 1, 480, 94, 640 + 94, 27.0},
    {0x003B, 0x003B, true, false, 1, 480, 94, 640 + 94, 27.0},
    {0x0130, 0x0130, false, false, 1, 480, 45, 640 + 45 + 225, 24.0},
    {0x013B, 0x013B, true, false, 1, 480, 45, 640 + 45 + 225, 48.0},
    {0x0300, 0x0300, false, false, 1, 480, 45, 640 + 45 + 369, 24.0},
    {0x0300, 0x0300, false, false, 2, 768, 45, 640 + 45 + 695, 24.0},
    {0x0300, 0x0300, false, false, 2, 769, 45, 640 + 45 + 369, 24.0},
    {0x0500, 0x0500, false, false, 1, 480, 0, 640 + 894, 24.0},
    {0x050B, 0x050B, true, false, 2, 480, 0, 640 + 2888, 48.0},
    {0x0500, 0x0500, false, false, 2, 481, 0, 640 + 1506, 24.0},
    {0x0500, 0x0500, false, false, 2, 961, 0, 640 + 894, 24.0},
    {0x0A00, 0x0A00, false, false, 1, 480, 1668, 1668 / 2, 24.0},
    {0x0A0B, 0x0A0B, true, false, 1, 480, 1668, 1668 / 2, 42.6667},
    {0x0E00, 0x0E00, true, false, 1, 480, 952, 952, 48.0},
    {0x0120, 0x0120, false, false, 1, 480, 1650, 1650, 24.0},
    {0x012B, 0x012B, true, false, 1, 480, 1650, 1650, 48.0},
    {0x3500, 0x0500, false, false, 1, 480, 0, 640 + 894, 48.0},
    {0x350B, 0x050B, false, true, 1, 480, 0, 640 + 894, 96.0},
    {0x3E00, 0x0E00, false, true, 1, 480, 952, 952, 96.0},
    {0x3A00, 0x0A00, false, false, 1, 480, 1668, 1668 / 2, 40.0},
    {0x3A0B, 0x0A0B, false, true, 1, 480, 1668, 1668 / 2, 80.0},
    {0x3120, 0x0120, false, false, 1, 480, 1650, 1650, 50.0},
    {0x312B, 0x012B, false, true, 1, 480, 1650, 1650, 100.0},
    {0x3E60, 0x0E60, false, false, 1, 480, 0, 1786, 28.5},
    {0x3E6B, 0x0E6B, false, true, 1, 480, 0, 1786, 114.0},
    {0x3E70, 0x0E70, false, false, 1, 480, 0, 1844, 28.5},
    {0x3E7B, 0x0E7B, false, true, 1, 480, 0, 1844, 94.0},
};

TEST(ExposureTiming, LineTimeAndFlickerPeriodForEveryFamilyAndSpeed) {
    for (const TimingCase& t : kTimings) {
        for (bool sixty : {false, true}) {
            SCOPED_TRACE(testing::Message()
                         << std::hex << "device 0x" << t.deviceCode << std::dec << " high speed "
                         << t.highSpeed << " SuperSpeed " << t.superSpeed << " mode " << int{t.mode}
                         << " height " << t.height);
            TimingInputs in;
            in.sensorCode = t.sensorCode;
            in.deviceCode = t.deviceCode;
            in.width = 640;
            in.height = t.height;
            in.resolutionMode = t.mode;
            in.highSpeed = t.highSpeed;
            in.superSpeed = t.superSpeed;
            in.sixtyHertz = sixty;
            const auto timing = ExposureTiming::lineTiming(in, t.registerValue);
            ASSERT_TRUE(timing);
            const double flickerHz = sixty ? 120.0 : 100.0;
            EXPECT_EQ(timing->flickerLines,
                      static_cast<int32_t>(t.clockMHz * 1e6 / flickerHz / t.lineClocks));
            EXPECT_DOUBLE_EQ(timing->lineTimeMs, t.lineClocks / 1000.0 / t.clockMHz);
        }
    }
    // Devices without a known clock keep their timing.
    TimingInputs in;
    in.width = 640;
    in.height = 480;
    for (uint16_t device : {0x3030, 0x32C0, 0xC130, 0x0100}) {
        in.deviceCode = device;
        in.sensorCode = device;
        EXPECT_FALSE(ExposureTiming::lineTiming(in, 100)) << std::hex << device;
    }
}

TEST(ExposureTiming, FrameDelayWritesTheBlankingOfEachFamily) {
    struct DelayCase {
        uint16_t sensorCode;
        uint16_t deviceCode;
        bool superSpeed;
        int32_t delay;
        int32_t storedDelay;
        std::vector<RegisterWrite> writes;
    };
    // Frame 640 x 480.
    const DelayCase cases[] = {
        {0x003B, 0x003B, false, 10, 10, {{0x06, 55}}},
        {0x0130, 0x0130, false, 10, 10, {{0x05, 55}, {0x06, 45}}},
        {0x050B, 0x050B, false, 979, 978, {{0x05, 1023}, {0x06, 1013}}},
        {0x0300, 0x0300, false, 978, 978, {{0x05, 1023}, {0x06, 1013}}},
        {0x0A0B, 0x0A0B, false, 10, 10, {{0x300A, 633}, {0x300C, 1668}}},
        {0x0E00, 0x3E00, true, 10, 10, {{0x300A, 636}, {0x300C, 962}}},
        {0x0120, 0x0120, false, 10, 10, {{0x300A, 520}, {0x300C, 1660}}},
        {0x012B, 0x312B, false, 10, 10, {{0x300A, 552}, {0x300C, 1660}}},
        {0x012B, 0x312B, true, 10, 10, {{0x300A, 520}, {0x300C, 1660}}},
        {0x0E6B, 0x3E6B, true, 10, 10, {{0x04, 0xF07A}}},
        {0x0E70, 0x3E70, true, 10, 10, {{0x04, 0xF084}}},
        {0x32C0, 0x32C0, true, 10, 10, {}},
    };
    for (const DelayCase& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << "sensor 0x" << c.sensorCode << " device 0x"
                                        << c.deviceCode << " SuperSpeed " << c.superSpeed);
        const BlankingPlan plan =
            ExposureTiming::blanking(c.sensorCode, c.deviceCode, c.delay, 640, 480, c.superSpeed);
        EXPECT_EQ(plan.delay, c.storedDelay);
        EXPECT_EQ(plan.writes, c.writes);
    }
    // The large sensor's line never gets shorter than 1648 clocks, but the delay still counts
    // twice on top of a wider one.
    EXPECT_EQ(ExposureTiming::blanking(0x0A00, 0x0A00, 5, 1280, 960, false).writes,
              (std::vector<RegisterWrite>{{0x300A, 960 + 5 + 143}, {0x300C, 2671 + 10}}));
}

}  // namespace
}  // namespace vidscope::api
