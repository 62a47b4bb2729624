// SPDX-License-Identifier: MIT
// The status-bar texts of the live video: statistics line, bus speed, pixel readout.
#include <gtest/gtest.h>

#include "StatusTexts.h"

namespace {

TEST(StatusTexts, StatisticsLine) {
    EXPECT_EQ(StatusTexts::statistics(29.456, 3, 3725, 87, 12.5),
              "fps: 29.46 dropped: 3 elasped: [01:02:05] avg: 87 exposure: 12.500ms");
    EXPECT_EQ(StatusTexts::statistics(0, 0, 0, 0, 0.0004),
              "fps: 0.00 dropped: 0 elasped: [00:00:00] avg: 0 exposure: 0.000ms");
    // Hours are not wrapped at a day.
    EXPECT_EQ(StatusTexts::statistics(1, 0, 100 * 3600 + 59, 5, 1),
              "fps: 1.00 dropped: 0 elasped: [100:00:59] avg: 5 exposure: 1.000ms");
    EXPECT_EQ(StatusTexts::statistics(5, 1, 61, std::nullopt, std::nullopt),
              "fps: 5.00 dropped: 1 elasped: [00:01:01] avg: - exposure: -ms");
}

TEST(StatusTexts, UsbSpeed) {
    EXPECT_EQ(StatusTexts::usb(2), "USB2.0");
    EXPECT_EQ(StatusTexts::usb(3), "USB3.0");
}

TEST(StatusTexts, GreyValueAndPixelReadout) {
    EXPECT_EQ(StatusTexts::grey(qRgb(255, 0, 0)), 87);
    EXPECT_EQ(StatusTexts::grey(qRgb(0, 255, 0)), 127);
    EXPECT_EQ(StatusTexts::grey(qRgb(0, 0, 255)), 39);
    EXPECT_EQ(StatusTexts::grey(qRgb(255, 255, 255)), 255);
    EXPECT_EQ(StatusTexts::pixel(10.5, 3, qRgb(255, 0, 0)), "Pos(10.5,3)   Rgb(255,0,0)   Gray:87");
    EXPECT_EQ(StatusTexts::pixel(0.1, 1234.25, qRgb(1, 2, 3)),
              "Pos(0.1,1234.25)   Rgb(1,2,3)   Gray:1");
}

}  // namespace
