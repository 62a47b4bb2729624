// SPDX-License-Identifier: MIT
// How a converted frame lies in memory: the API's format word and the matching QImage format.
#include "FrameLayout.h"

#include "vidscope/camera_api.h"

namespace {
constexpr int kRaw8 = 1;
constexpr int kGray8 = 2;
}  // namespace

FrameLayout FrameLayout::forOutput(int camera, int width, int height, int imageFormat) {
    if (imageFormat == kRaw8)
        return {CAMERA_FORMAT_RAW8, 1, QImage::Format_Grayscale8};
    if (imageFormat == kGray8)
        return {CAMERA_FORMAT_GRAY8, 1, QImage::Format_Grayscale8};
    // A YUV camera sends two bytes per pixel and always converts to three-byte colour.
    unsigned int rawSize = 0;
    const bool yuv =
        CameraGetImageBufferSizeFor(camera, &rawSize, width, height, CAMERA_FORMAT_RAW8) &&
        rawSize == unsigned(width) * unsigned(height) * 2;
    if (yuv)
        return {CAMERA_FORMAT_RGB24, 3, QImage::Format_RGB888};
    return {CAMERA_FORMAT_RGB24 | CAMERA_FORMAT_BLUE_FIRST | CAMERA_FORMAT_FOUR_BYTES, 4,
            QImage::Format_RGB32};
}
