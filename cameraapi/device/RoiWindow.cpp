// SPDX-License-Identifier: MIT
// A region of interest chosen on the displayed picture, placed on the sensor.
#include "cameraapi/device/RoiWindow.h"

#include "cameraapi/isp/ImageSettings.h"

namespace vidscope::api {

std::optional<RoiWindow> RoiWindow::toSensor(const RoiWindow& shown, uint16_t flags,
                                             uint32_t sensorWidth, uint32_t sensorHeight) {
    // Odd offsets or sizes would start or end the window inside a colour cell.
    if (((shown.x | shown.y | shown.width | shown.height) & 1) != 0)
        return std::nullopt;
    const int64_t x = shown.x;
    const int64_t y = shown.y;
    const int64_t w = shown.width;
    const int64_t h = shown.height;
    const int64_t maxW = sensorWidth;
    const int64_t maxH = sensorHeight;
    // Mirroring measures the offset from the far edge instead.
    const int64_t left = (flags & kFlagMirrorX) != 0 ? maxW - x - w : x;
    const int64_t top = (flags & kFlagMirrorY) != 0 ? maxH - y - h : y;
    const bool rotated = (flags & kFlagRotate) != 0;
    const int64_t sx = rotated ? top : left;
    const int64_t sy = rotated ? left : top;
    const int64_t sw = rotated ? h : w;
    const int64_t sh = rotated ? w : h;
    if (sx < 0 || sy < 0 || sw < 1 || sh < 1 || sx + sw > maxW || sy + sh > maxH)
        return std::nullopt;
    return RoiWindow{static_cast<uint32_t>(sx), static_cast<uint32_t>(sy),
                     static_cast<uint32_t>(sw), static_cast<uint32_t>(sh)};
}

}  // namespace vidscope::api
