// SPDX-License-Identifier: MIT
// Factory settings of each camera model and the sequence that puts a camera back to them.
#pragma once

#include <array>
#include <cstdint>

#include "ApiReport.h"

// One row of the factory table: the starting point a model's colour tuning was measured at.
struct ModelDefaults {
    int exposure = 600;
    int gain = 16;
    unsigned int blackLevel = 0;
    double gamma = 1.33;
    double saturation = 1.0;
    double wbRed = 1.0;
    double wbBlue = 1.0;
    std::array<double, 9> ccm{1, 0, 0, 0, 1, 0, 0, 0, 1};

    bool operator==(const ModelDefaults&) const = default;

    // The row for a device code. A model without a row of its own takes that of the USB 2
    // camera with the same sensor where there is one; any other gets the generic row.
    static ModelDefaults forDevice(int deviceCode);

    // Puts the camera back to these values with the setters (reporting each failure and going
    // on), then stores RGB24 output, the first resolution and no region of interest as its
    // application keys.
    void applyTo(int camera, const ApiReport& report) const;
};
