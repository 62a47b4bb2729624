// SPDX-License-Identifier: MIT
// Factory settings of each camera model and the sequence that puts a camera back to them.
#include "ModelDefaults.h"

#include "vidscope/camera_api.h"

namespace {

using Matrix = std::array<double, 9>;
constexpr Matrix kIdentity{1, 0, 0, 0, 1, 0, 0, 0, 1};
constexpr Matrix k0030{1.61, -0.17, -0.31, -0.38, 1.81, -0.27, -0.09, -1.07, 2.23};
constexpr Matrix k0120{1.59, -0.17, -0.34, -0.44, 1.62, -0.07, 0.02, -0.77, 1.82};
constexpr Matrix k0130{1.41, -0.04, -0.25, -0.2, 1.58, -0.23, 0.17, -0.82, 1.79};
constexpr Matrix k0300{1.89, -0.35, -0.38, -0.31, 1.92, -0.4, -0.01, -1.27, 2.45};
constexpr Matrix k0500{1.72, -0.27, -0.3, -0.47, 1.79, -0.14, -0.12, -0.73, 1.96};
constexpr Matrix k0A00{2.0, -0.58, -0.32, -0.34, 2.17, -0.71, -0.04, -1.12, 2.29};
constexpr Matrix k0E00{2.0, -0.56, -0.32, -0.33, 1.65, -0.18, -0.04, -0.98, 2.11};

struct Row {
    uint16_t deviceCode;
    int exposure;
    int gain;
    unsigned int black;
    double gamma;
    double saturation;
    double red;
    double blue;
    Matrix ccm;
};

constexpr Row kRows[] = {
    {0x0030, 319, 32, 10, 1.33, 1.18, 1.22, 1.45, k0030},
    {0x003B, 319, 16, 10, 1.33, 1.0, 1.0, 1.0, kIdentity},
    {0x0120, 870, 32, 18, 1.0, 1.0, 1.52, 1.52, k0120},
    {0x012B, 870, 32, 18, 1.0, 1.0, 1.0, 1.0, kIdentity},
    {0x0130, 924, 32, 3, 1.33, 1.18, 1.6, 1.35, k0130},
    {0x013B, 924, 32, 3, 1.33, 1.0, 1.0, 1.0, kIdentity},
    {0x0300, 970, 16, 10, 1.33, 1.18, 1.36, 1.24, k0300},
    {0x0500, 680, 16, 10, 1.33, 1.18, 1.44, 1.59, k0500},
    {0x050B, 680, 16, 10, 1.33, 1.0, 1.0, 1.0, kIdentity},
    {0x0A00, 990, 8, 2, 1.33, 1.3, 1.77, 1.13, k0A00},
    {0x0A0B, 990, 8, 2, 1.33, 1.0, 1.0, 1.0, kIdentity},
    {0x0E00, 1020, 8, 10, 1.33, 1.3, 1.51, 1.66, k0E00},
    {0x3500, 1650, 16, 10, 1.33, 1.0, 1.44, 1.59, k0500},
    {0x350B, 1650, 16, 10, 1.33, 1.0, 1.0, 1.0, kIdentity},
    {0x3A00, 1935, 8, 2, 1.33, 1.3, 1.77, 1.13, k0A00},
    {0x3A0B, 1935, 8, 2, 1.33, 1.0, 1.0, 1.0, kIdentity},
    {0x3E00, 2379, 8, 10, 1.33, 1.3, 1.51, 1.66, k0E00},
    {0x3120, 606, 32, 18, 1.0, 1.0, 1.52, 1.52, k0120},
    {0x312B, 606, 32, 18, 1.0, 1.0, 1.0, 1.0, kIdentity},
    {0x3E60, 638, 16, 0, 1.33, 1.0, 1.75, 1.47, kIdentity},
    {0x3E70, 511, 16, 0, 1.33, 1.0, 1.75, 1.47, kIdentity},
    {0x3E6B, 638, 16, 0, 1.33, 1.0, 1.0, 1.0, kIdentity},
    {0x3E7B, 511, 16, 0, 1.33, 1.0, 1.0, 1.0, kIdentity},
};

// USB 3 builds of a USB 2 camera's sensor that have no tuning of their own.
struct Twin {
    uint16_t deviceCode;
    uint16_t sensorTwin;
};
constexpr Twin kTwins[] = {{0x3030, 0x0030}, {0x303B, 0x003B}};

const Row* findRow(int deviceCode) {
    for (const Row& row : kRows) {
        if (row.deviceCode == deviceCode)
            return &row;
    }
    return nullptr;
}

}  // namespace

ModelDefaults ModelDefaults::forDevice(int deviceCode) {
    const Row* row = findRow(deviceCode);
    for (const Twin& twin : kTwins) {
        if (row == nullptr && twin.deviceCode == deviceCode)
            row = findRow(twin.sensorTwin);
    }
    if (row == nullptr)
        return ModelDefaults{};
    return ModelDefaults{row->exposure,   row->gain, row->black, row->gamma,
                         row->saturation, row->red,  row->blue,  row->ccm};
}

void ModelDefaults::applyTo(int camera, const ApiReport& report) const {
    reportUnless(CameraSetRotate(camera, false), report, "CameraSetRotate");
    reportUnless(CameraSetGamma(camera, gamma), report, "CameraSetGamma");
    reportUnless(CameraSetSaturation(camera, saturation), report, "CameraSetSaturation");
    reportUnless(CameraSetContrast(camera, 1.0), report, "CameraSetContrast");
    reportUnless(CameraSetExposure(camera, exposure), report, "CameraSetExposure");
    reportUnless(CameraSetGain(camera, gain), report, "CameraSetGain");
    reportUnless(CameraSetAdvancedGain(camera, 0), report, "CameraSetAdvancedGain");
    reportUnless(CameraSetWBGain(camera, wbRed, 1.0, wbBlue), report, "CameraSetWBGain");
    // These two names are spelled as the message log has always shown them.
    reportUnless(CameraSetBlackLevel(camera, blackLevel), report, "cameraSetBlackLevel");
    reportUnless(CameraSetAETarget(camera, 70), report, "CameraSetAETarget");
    reportUnless(CameraSetDelay(camera, 0), report, "CameraSetDelay");
    reportUnless(CameraSetTimeout(camera, 500), report, "CameraSetTimeout");
    reportUnless(CameraSetAWB(camera, false), report, "CameraSetAWB");
    reportUnless(CameraSetHighspeed(camera, false), report, "CameraSetHighspeed");
    reportUnless(CameraSetMirrorX(camera, false), report, "CameraSetMirrorX");
    reportUnless(CameraSetMirrorY(camera, false), report, "cameraSetMirrorY");
    reportUnless(CameraSetAntiFlicker(camera, 0), report, "CameraSetAntiFlicker");
    reportUnless(CameraSetEnhancement(camera, false), report, "CameraSetEnhancement");
    reportUnless(CameraSetAEC(camera, false), report, "CameraSetAEC");
    reportUnless(CameraSetAGC(camera, false), report, "CameraSetAGC");
    reportUnless(CameraSetInterpolation(camera, 0), report, "CameraSetInterpolation");
    reportUnless(CameraSetResolutionMode(camera, 1), report, "CameraSetResolutionMode");
    reportUnless(CameraSetCCM(camera, ccm.data()), report, "CameraSetCCM");

    const std::pair<const char*, unsigned short> params[] = {
        {"image_format", 4}, {"resolution_index", 0}, {"enable_roi", 0}, {"roi_offset_x", 0},
        {"roi_offset_y", 0}, {"roi_width", 0},        {"roi_height", 0},
    };
    for (const auto& [key, value] : params)
        reportUnless(CameraSetParam(camera, key, value), report, "CameraSetParam");
}
