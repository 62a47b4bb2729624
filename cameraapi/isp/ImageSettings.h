// SPDX-License-Identifier: MIT
// The image block of a camera context: tone, colour, exposure, geometry and loop state.
#pragma once

#include <array>
#include <cstdint>

namespace vidscope::api {

// Flags word bits.
inline constexpr uint16_t kFlagMirrorX = 0x001;
inline constexpr uint16_t kFlagMirrorY = 0x002;
inline constexpr uint16_t kFlagAutoGain = 0x004;
inline constexpr uint16_t kFlagAutoExposure = 0x008;
inline constexpr uint16_t kFlagRotate = 0x010;  // quarter turn: reported width and height swap
inline constexpr uint16_t kFlagEnhancement = 0x020;
inline constexpr uint16_t kFlagAutoWhiteBalance = 0x040;
inline constexpr uint16_t kFlagAntiFlicker50Hz = 0x080;
inline constexpr uint16_t kFlagAntiFlicker60Hz = 0x100;
inline constexpr uint16_t kFlagHighSpeed = 0x200;

inline constexpr int kMaxDeadPixels = 63;

struct DeadPixel {
    uint16_t x = 0;
    uint16_t y = 0;
};

// Read and written only while the camera's lock is held. The defaults are those of a freshly
// opened camera; fields without one are set when the camera's stored parameters are loaded.
// The lookup tables built from these settings live beside them in the context.
struct ImageSettings {
    uint8_t onePushPending = 0;
    uint8_t awbPending = 0;
    double gamma = 1.0;
    double contrast = 1.0;
    double saturation = 1.0;
    int32_t gain = 16;
    uint32_t advancedGain = 0;  // low byte significant
    int32_t exposure = 5;       // sensor lines
    int32_t blackLevel = 0;
    int32_t aeTarget = 70;  // stored as black level + target
    int32_t frameDelay = 0;
    int32_t timeoutMs = 500;
    uint8_t interpolation = 0;
    uint8_t resolutionMode = 1;  // 0 cropping, 1 skipping, 2 binning
    uint8_t storedImageFormat = 0;
    uint8_t resolutionIndex = 0;
    uint8_t roiEnabled = 0;
    uint16_t roiX = 0;
    uint16_t roiY = 0;
    uint16_t roiWidth = 0;
    uint16_t roiHeight = 0;
    double wbGainR = 1.0;
    double wbGainG = 1.0;
    double wbGainB = 1.0;
    std::array<double, 9> ccm{};  // row-major; zero until loaded from the camera
    std::array<double, 9> defaultMatrix{1.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 1.0};
    uint16_t flags = kFlagAutoGain | kFlagAutoExposure;
    uint16_t deadPixelCount = 0;
    std::array<DeadPixel, kMaxDeadPixels> deadPixels{};  // full-sensor coordinates
    int32_t meanAtLastAwb = 0;
    int32_t meanAtLastAe = 0;
    int32_t meanBrightness = 0;
    int32_t pendingAeDelta = 0;
    int32_t lastAeDelta = 0;
    int32_t aeExpected = 0;      // brightness the last correction of the loop aims at
    int32_t aeWaits = 0;         // measurements that have not shown that correction yet
    double aeLastTotal = 0;      // exposure times amplification when it was decided
    double aeSlope = 0;          // brightness per unit of that total, learnt; 0 unknown
    int32_t aeFromExposure = 0;  // the setting the last correction left
    int32_t aeFromGain = 0;
    uint8_t aeProbed = 0;  // the loop has tried a step its model did not promise
    int32_t flickerLines = 0;
};

}  // namespace vidscope::api
