// SPDX-License-Identifier: MIT
// The texts of the status-bar fields the live video fills: statistics, bus speed, pixel readout.
#pragma once

#include <QRgb>
#include <QString>
#include <optional>

namespace StatusTexts {

// "fps: 12.34 dropped: 1 elasped: [01:02:05] avg: 87 exposure: 12.500ms"; a brightness or
// exposure the camera could not tell shows as "-".
QString statistics(double fps, int dropped, qint64 elapsedSeconds, std::optional<int> brightness,
                   std::optional<double> exposureMs);
// "USB3.0" for speed 3.
QString usb(unsigned int speed);
// "Pos(10.5,3)   Rgb(255,0,0)   Gray:87"
QString pixel(double x, double y, QRgb rgb);
// The grey value the readout and the histogram use: (11 R + 16 G + 5 B) / 32.
int grey(QRgb rgb);

}  // namespace StatusTexts
