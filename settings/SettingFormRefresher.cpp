// SPDX-License-Identifier: MIT
// Reads the open camera into the settings form: every control, its label and enabling rules.
#include "SettingFormRefresher.h"

#include <QSignalBlocker>
#include <utility>

#include "ui_SettingDialog.h"
#include "vidscope/camera_api.h"

namespace {

// Timeouts above this are shown as the shortest one: the slider ends at 5000 and the frame
// query's own limit reaches 50000.
constexpr unsigned int kLargestShownTimeout = 4500;
constexpr int kShortestTimeout = 500;

void setSlider(QSlider* slider, int value) {
    const QSignalBlocker block(slider);
    slider->setValue(value);
}

void setChecked(QAbstractButton* button, bool checked) {
    const QSignalBlocker block(button);
    button->setChecked(checked);
}

QString twoDecimals(int hundredths) {
    return QString::number(hundredths / 100.0, 'f', 2);
}

}  // namespace

SettingFormRefresher::SettingFormRefresher(Ui::SettingDialog& form, ApiReport report)
    : ui_(form), report_(std::move(report)) {}

void SettingFormRefresher::refresh(int camera, double exposureScale, bool monochrome) {
    refreshRoiFields(camera);
    refreshEnhancementControls(camera);
    refreshExposureControls(camera, exposureScale);
    refreshFrameControls(camera);
    refreshMatrix(camera);
    applyEnablingRules(monochrome);
    updateValueLabels();
    refreshWhiteBalance(camera);
}

void SettingFormRefresher::refreshRoiFields(int camera) {
    const std::pair<const char*, QLineEdit*> fields[] = {{"roi_offset_x", ui_.leOffsetX},
                                                         {"roi_offset_y", ui_.leOffsetY},
                                                         {"roi_width", ui_.leWidth},
                                                         {"roi_height", ui_.leHeight}};
    for (const auto& [key, edit] : fields) {
        unsigned int value = 0;
        if (reportUnless(CameraGetParam(camera, key, &value), report_, "CameraGetParam"))
            edit->setText(QString::number(value));
    }
}

void SettingFormRefresher::refreshEnhancementControls(int camera) {
    const std::pair<double (*)(int), std::pair<QSlider*, const char*>> reals[] = {
        {CameraGetGamma, {ui_.hsGamma, "CameraGetGamma"}},
        {CameraGetContrast, {ui_.hsContrast, "CameraGetContrast"}},
        {CameraGetSaturation, {ui_.hsSaturation, "CameraGetSaturation"}},
    };
    for (const auto& [getter, target] : reals) {
        const double value = getter(camera);
        if (reportUnless(value != -1.0, report_, target.second))
            setSlider(target.first, int(value * 100));
    }
    const int enhancement = CameraGetEnhancement(camera);
    if (reportUnless(enhancement != -1, report_, "CameragetEnhancement"))
        setChecked(ui_.chkEnhancement, enhancement == 1);
    const int awb = CameraGetAWB(camera);
    if (reportUnless(awb != -1, report_, "CameraGetAWB"))
        setChecked(ui_.chkAWB, awb == 1);
    const int black = CameraGetBlackLevel(camera);
    if (reportUnless(black != -1, report_, "CameraGetBlackLevel"))
        setSlider(ui_.hsBlackLevel, black);
}

void SettingFormRefresher::refreshGain(int camera) {
    const int gain = CameraGetGain(camera);
    if (reportUnless(gain != -1, report_, "CameraGetGain"))
        setSlider(ui_.hsGain, gain);
}

void SettingFormRefresher::refreshExposure(int camera, double exposureScale) {
    const int exposure = CameraGetExposure(camera);
    if (reportUnless(exposure != -1, report_, "CameraGetExposure")) {
        setSlider(ui_.hsExposure, int(exposure / exposureScale));
        ui_.lblExposure->setText(QString::number(exposure));
    }
}

void SettingFormRefresher::refreshExposureControls(int camera, double exposureScale) {
    refreshGain(camera);
    const int advanced = CameraGetAdvancedGain(camera);
    if (reportUnless(advanced != -1, report_, "CameraGetAdvancedGain"))
        setSlider(ui_.hsAdvancedGain, advanced);
    const int agc = CameraGetAGC(camera);
    if (reportUnless(agc != -1, report_, "CameraGetAGC"))
        setChecked(ui_.chkAutoGain, agc == 1);
    refreshExposure(camera, exposureScale);
    unsigned int timeout = 0;
    if (reportUnless(CameraGetTimeout(camera, &timeout), report_, "CameraGetTimeout")) {
        const int shown = timeout <= kLargestShownTimeout ? int(timeout) : kShortestTimeout;
        setSlider(ui_.hsTimeOut, shown);
        ui_.lblTimeOut->setText(QString::number(shown));
    }
    const int aec = CameraGetAEC(camera);
    if (reportUnless(aec != -1, report_, "CameraGetAEC"))
        setChecked(ui_.chkAutoExposure, aec == 1);
    const int target = CameraGetAETarget(camera);
    if (reportUnless(target != -1, report_, "CameraGetAETarget"))
        setSlider(ui_.hsAETarget, target);
    const int flicker = CameraGetAntiFlicker(camera);
    if (reportUnless(flicker != -1, report_, "CameraGetAntiFlicker")) {
        const bool on = flicker == 1 || flicker == 2;
        setChecked(ui_.chkAntiFlicker, on);
        const QSignalBlocker block(ui_.cbAntiFlicker);
        if (on)
            ui_.cbAntiFlicker->setCurrentIndex(flicker - 1);
    }
}

void SettingFormRefresher::refreshFrameControls(int camera) {
    const int delay = CameraGetDelay(camera);
    if (reportUnless(delay != -1, report_, "CameraGetDelay"))
        setSlider(ui_.hsFrameSpeed, delay);
    const std::pair<int (*)(int), std::pair<QAbstractButton*, const char*>> flags[] = {
        {CameraGetMirrorX, {ui_.cbMirrorX, "CameraGetMirrorX"}},
        {CameraGetMirrorY, {ui_.cbMirrorY, "CameraGetMirrorY"}},
        {CameraGetRotate, {ui_.cbRotate, "CameraGetRotate"}},
        {CameraGetHighspeed, {ui_.cbHighspeed, "CameraGetHighspeed"}},
    };
    for (const auto& [getter, target] : flags) {
        const int value = getter(camera);
        if (reportUnless(value != -1, report_, target.second))
            setChecked(target.first, value == 1);
    }
    const int mode = CameraGetResolutionMode(camera);
    if (reportUnless(mode != -1, report_, "CameraGetResolutionMode")) {
        QAbstractButton* modes[] = {ui_.rbCrop, ui_.rbSkip, ui_.rbBin};
        if (mode >= 0 && mode <= 2)
            setChecked(modes[mode], true);
    }
}

void SettingFormRefresher::refreshMatrix(int camera) {
    double matrix[9] = {};
    if (!reportUnless(CameraGetCCM(camera, matrix), report_, "CameraGetCCM"))
        return;
    QLineEdit* edits[] = {ui_.leCCM0, ui_.leCCM1, ui_.leCCM2, ui_.leCCM3, ui_.leCCM4,
                          ui_.leCCM5, ui_.leCCM6, ui_.leCCM7, ui_.leCCM8};
    for (int i = 0; i < 9; ++i)
        edits[i]->setText(QString::number(matrix[i]));
}

void SettingFormRefresher::refreshWhiteBalance(int camera) {
    double gains[3] = {};
    if (!reportUnless(CameraGetWBGain(camera, &gains[0], &gains[1], &gains[2]), report_,
                      "CameraGetWBGain"))
        return;
    QSlider* sliders[] = {ui_.hsRedGain, ui_.hsGreenGain, ui_.hsBlueGain};
    QLabel* labels[] = {ui_.lblRedGain, ui_.lblGreenGain, ui_.lblBlueGain};
    for (int i = 0; i < 3; ++i) {
        setSlider(sliders[i], int(gains[i] * 100));
        labels[i]->setText(QString::number(gains[i], 'f', 2));
    }
}

void SettingFormRefresher::applyEnablingRules(bool monochrome) {
    ui_.hsGain->setEnabled(!ui_.chkAutoGain->isChecked());
    ui_.hsExposure->setEnabled(!ui_.chkAutoExposure->isChecked());
    // Monochrome sensors have no colours to balance, enhance or saturate.
    ui_.gbWhiteBalance->setEnabled(!monochrome);
    ui_.chkEnhancement->setEnabled(!monochrome);
    ui_.gbCCM->setEnabled(!monochrome && ui_.chkEnhancement->isChecked());
    ui_.hsSaturation->setEnabled(!monochrome);
    ui_.lblSaturation->setEnabled(!monochrome);
    ui_.lblSaturationName->setEnabled(!monochrome);
    const bool manualGains = !ui_.chkAWB->isChecked();
    for (QSlider* slider : {ui_.hsRedGain, ui_.hsGreenGain, ui_.hsBlueGain})
        slider->setEnabled(manualGains);
}

void SettingFormRefresher::updateValueLabels() {
    ui_.lblGamma->setText(twoDecimals(ui_.hsGamma->value()));
    ui_.lblContrast->setText(twoDecimals(ui_.hsContrast->value()));
    ui_.lblSaturation->setText(twoDecimals(ui_.hsSaturation->value()));
    ui_.lblBlackLevel->setText(QString::number(ui_.hsBlackLevel->value()));
    ui_.lblGain->setText(QString::number(ui_.hsGain->value()));
    ui_.lblAETarget->setText(QString::number(ui_.hsAETarget->value()));
    ui_.lblFrameSpeed->setText(QString::number(ui_.hsFrameSpeed->value()));
    ui_.lblAdvancedGain->setText(QString::number(ui_.hsAdvancedGain->value()));
}
