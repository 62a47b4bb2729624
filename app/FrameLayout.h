// SPDX-License-Identifier: MIT
// How a converted frame lies in memory: the API's format word and the matching QImage format.
#pragma once

#include <QImage>

// Colour frames are four-byte RGB32 (what the painter draws without converting), except a YUV
// camera's, which the pipeline always delivers as three-byte RGB; grey and raw frames are
// one byte per pixel.
struct FrameLayout {
    unsigned int format = 0;  // the format word handed to the API
    int bytesPerPixel = 0;
    QImage::Format qtFormat = QImage::Format_Invalid;

    // The layout of a width x height frame of `camera` in the application's imageFormat
    // (1 RAW8, 2 GRAY8, anything else colour).
    static FrameLayout forOutput(int camera, int width, int height, int imageFormat);
};
