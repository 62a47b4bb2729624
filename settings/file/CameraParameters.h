// SPDX-License-Identifier: MIT
// One camera's complete set-up as the parameter file holds it, read from and applied to a camera.
#pragma once

#include <array>

#include "ApiReport.h"

// Every value the parameter file carries, in the units of the camera API. Booleans are kept
// as the getters' integers (1 on, 0 off, -1 unreadable) so that a failed read is not mistaken
// for "off" while the values are compared.
struct CameraParameters {
    double gamma = 0.0;
    double saturation = 0.0;
    double contrast = 0.0;
    double wbRed = 0.0;
    double wbGreen = 0.0;
    double wbBlue = 0.0;
    int exposure = 0;
    int advancedGain = 0;
    int gain = 0;
    int blackLevel = 0;
    int aeTarget = 0;
    int delay = 0;
    int timeout = 0;
    int antiFlicker = 0;
    int interpolation = 0;
    int resolutionMode = 0;
    int rotate = 0;
    int awb = 0;
    int highSpeed = 0;
    int mirrorX = 0;
    int mirrorY = 0;
    int enhancement = 0;
    int aec = 0;
    int agc = 0;
    std::array<double, 9> ccm{};
    int imageFormat = 0;
    int resolutionIndex = 0;
    int enableRoi = 0;
    int roiOffsetX = 0;
    int roiOffsetY = 0;
    int roiWidth = 0;
    int roiHeight = 0;

    bool operator==(const CameraParameters&) const = default;

    // Reads every value with the getters; each failure is reported and its value is whatever
    // the getter returned.
    static CameraParameters readFrom(int camera, const ApiReport& report);
    // Stores the seven application keys with CameraSetParam.
    void storeParams(int camera, const ApiReport& report) const;
    // Applies the camera values with the setters in their fixed order, reporting each failure
    // and going on with the next.
    void applyTo(int camera, const ApiReport& report) const;
};
