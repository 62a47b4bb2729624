// SPDX-License-Identifier: MIT
// Helpers of the recording tests: pattern images and waiting for the thread's signals.
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QSignalSpy>

#include "TestFrames.h"

namespace avitest {

// A 32-bit RGB (or 8-bit grey) image of the pattern of frame `k`, as the frame path makes them.
inline QImage patternImage(int width, int height, int k, bool grey = false) {
    QImage image(width, height, grey ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (grey) {
                image.scanLine(y)[x] = greyAt(x, y, k);
            } else {
                const Rgb c = patternAt(x, y, k);
                image.setPixel(x, y, qRgb(c.r, c.g, c.b));
            }
        }
    }
    return image;
}

inline std::string expectedRgb(int width, int height, int k, bool grey = false) {
    return TestFrame::expected(width, height, grey ? PixelLayout::kGray8 : PixelLayout::kBgrx32, k);
}

// Waits for one more emission of `spy`'s signal (at most `ms`).
inline bool waitForSignal(QSignalSpy& spy, int ms = 20000) {
    const auto before = spy.count();
    return spy.count() > before || spy.wait(ms);
}

}  // namespace avitest
