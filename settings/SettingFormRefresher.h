// SPDX-License-Identifier: MIT
// Reads the open camera into the settings form: every control, its label and enabling rules.
#pragma once

#include "ApiReport.h"

namespace Ui {
class SettingDialog;
}

// Writes widgets only with their signals blocked, so a refresh never calls a setter back.
// Every failing read goes to the report with the API name the message log shows.
class SettingFormRefresher {
public:
    SettingFormRefresher(Ui::SettingDialog& form, ApiReport report);

    // The camera values of the form (the ROI fields included) and their enabling rules.
    void refresh(int camera, double exposureScale, bool monochrome);
    // The three white-balance gains: labels show them, sliders take trunc(gain x 100).
    void refreshWhiteBalance(int camera);
    // Gain and exposure after the automatic loops were switched (the sliders follow).
    void refreshGain(int camera);
    void refreshExposure(int camera, double exposureScale);
    // Enabling rules of the automatic modes and of the colour controls.
    void applyEnablingRules(bool monochrome);

private:
    // The labels beside the sliders whose value is the slider's position (exposure, timeout
    // and the white-balance gains are labelled where they are read).
    void updateValueLabels();
    void refreshEnhancementControls(int camera);
    void refreshExposureControls(int camera, double exposureScale);
    void refreshFrameControls(int camera);
    void refreshRoiFields(int camera);
    void refreshMatrix(int camera);

    Ui::SettingDialog& ui_;
    ApiReport report_;
};
