// SPDX-License-Identifier: MIT
// "IO Control": input and output bit, strobe, trigger mode and the software trigger.
#include "IOControl.h"

#include <QSignalBlocker>

#include "AppGlobals.h"
#include "AppSettings.h"
#include "TranslatableWindows.h"
#include "UserPrompts.h"
#include "ui_IOControl.h"
#include "vidscope/camera_api.h"

namespace {
constexpr int kInputBit = 0x02;
constexpr unsigned short kOutputBit = 0x80;
constexpr const char* kTriggerModeKey = "Control/TriggerMode";
constexpr const char* kTriggerPolarityKey = "Control/TriggerPolarity";
constexpr const char* kEnableStrobeKey = "Control/EnableStrobe";
constexpr const char* kStrobePolarityKey = "Control/StrobePolarity";
constexpr const char* kOutKey = "Control/Out";
constexpr const char* kSaveSnapKey = "Control/SaveSnap";
constexpr const char* kAutoTriggerKey = "Control/AutoTrigger";
}  // namespace

IOControl::IOControl(QWidget* parent, const QString& settingsFile)
    : QDialog(parent),
      ui_(std::make_unique<Ui::IOControl>()),
      settings_(std::make_unique<QSettings>(
          settingsFile.isEmpty() ? QString::fromLatin1(AppSettings::kFileName) : settingsFile,
          QSettings::IniFormat)) {
    ui_->setupUi(this);
    TranslatableWindows::instance().add(this, [this] { ui_->retranslateUi(this); });
}

IOControl::~IOControl() {
    settings_->sync();
}

bool IOControl::supportsStrobePolarity(int deviceCode) {
    switch (deviceCode & 0xFFF) {
        case 0x500:
        case 0x50B:
        case 0x030:
        case 0x03B:
        case 0x120:
        case 0x12B:
            return true;
        default:
            return false;
    }
}

int IOControl::stored(const char* key) const {
    return settings_->value(QLatin1String(key), 0).toInt();
}

void IOControl::store(const char* key, int value) {
    settings_->setValue(QLatin1String(key), value);
    settings_->sync();
}

void IOControl::report(const char* function) {
    emit toTable(QString::fromLatin1(function), CameraGetLastError());
}

void IOControl::announceMode(int mode) {
    emit mainTitleChanged(mode == kTriggerMode ? QStringLiteral("vidScope [Trigger Mode]")
                                               : QStringLiteral("vidScope"));
}

void IOControl::refreshInput() {
    const int gpio = CameraGetGPIO(currentCamera.load());
    if (gpio < 0) {
        report("CameraGetGPIO");
        return;
    }
    ui_->cbIn->setChecked((gpio & kInputBit) != 0);
}

void IOControl::setOutput(bool on) {
    if (CameraSetGPIO(currentCamera.load(), kOutputBit, on ? kOutputBit : 0) < 0)
        report("CameraSetGPIO");
}

bool IOControl::sendSnapMode(int mode) {
    if (!CameraSetSnapMode(currentCamera.load(), mode))
        return false;
    announceMode(mode);
    return true;
}

void IOControl::enableCameraControls(bool open) {
    cameraOpen_ = open;
    for (QWidget* w :
         {static_cast<QWidget*>(ui_->btnRefresh), static_cast<QWidget*>(ui_->cbOut),
          static_cast<QWidget*>(ui_->cbEnableStrobe), static_cast<QWidget*>(ui_->cbTriggerMode),
          static_cast<QWidget*>(ui_->btnTrigger)})
        w->setEnabled(open);
    ui_->cbStrobePolarity->setEnabled(open && polaritySupported_);
}

void IOControl::cameraChanged(int index) {
    enableCameraControls(index >= 0);
    if (index >= 0)
        applyStoredSettings();
}

void IOControl::applyStoredSettings() {
    const int camera = currentCamera.load();
    refreshInput();

    const int strobe = stored(kEnableStrobeKey);
    const int strobePolarity = stored(kStrobePolarityKey);
    if (!CameraEnableStrobe(camera, strobe == 1))
        report("CameraEnableStrobe");
    // The polarity's own failure is not reported: most families have no such switch, and
    // step 8 below greys the box out for them.
    CameraSetStrobePolarity(camera, strobePolarity == 1);
    ui_->cbEnableStrobe->setChecked(strobe == 1);
    ui_->cbStrobePolarity->setChecked(strobePolarity == 1);

    const int triggerPolarity = stored(kTriggerPolarityKey);
    saveSnapshotInTrigger.store(stored(kSaveSnapKey) == 1);
    autoTrigger.store(stored(kAutoTriggerKey) == 1);

    // Only 2 means trigger mode; any other stored value (0 in a fresh file) means continuous,
    // which is sent as 1 so that the frame path recognises the continuous stream.
    const int mode = stored(kTriggerModeKey) == kTriggerMode ? kTriggerMode : kContinuousMode;
    if (!sendSnapMode(mode))
        report("CameraSetSnapMode");
    if (!CameraSetTriggerPolarity(camera, triggerPolarity == 1))
        report("CameraSetTriggerPolarity");

    {
        const QSignalBlocker blocker(ui_->cbAutoTrigger);
        ui_->cbAutoTrigger->setChecked(autoTrigger.load());
    }
    ui_->cbSaveSnapshot->setChecked(saveSnapshotInTrigger.load());
    ui_->cbTriggerMode->setChecked(mode == kTriggerMode);

    const int out = stored(kOutKey);
    setOutput(out == 1);
    ui_->cbOut->setChecked(out == 1);

    const int id = CameraGetID(camera);
    if (id < 0)
        report("CameraGetID");
    polaritySupported_ = id >= 0 && supportsStrobePolarity(id);
    ui_->cbStrobePolarity->setEnabled(cameraOpen_ && polaritySupported_);
}

void IOControl::reapplyTriggerMode() {
    const int mode = stored(kTriggerModeKey);
    if (mode == kTriggerMode && !sendSnapMode(mode))
        report("CameraSetSnapMode");
}

void IOControl::on_btnRefresh_clicked() {
    refreshInput();
}

void IOControl::on_cbOut_clicked(bool checked) {
    store(kOutKey, checked ? 1 : 0);
    setOutput(checked);
}

void IOControl::on_cbEnableStrobe_clicked(bool checked) {
    store(kEnableStrobeKey, checked ? 1 : 0);
    if (!CameraEnableStrobe(currentCamera.load(), checked))
        report("CameraEnableStrobe");
}

void IOControl::on_cbStrobePolarity_clicked(bool checked) {
    store(kStrobePolarityKey, checked ? 1 : 0);
    if (!CameraSetStrobePolarity(currentCamera.load(), checked))
        report("CameraSetStrobePolarity");
}

void IOControl::on_cbTriggerMode_clicked(bool checked) {
    const int mode = checked ? kTriggerMode : kContinuousMode;
    if (!sendSnapMode(mode)) {
        // The error code is read before the notice, which runs an event loop of its own.
        const int error = CameraGetLastError();
        UserPrompts::instance().notice(this, tr("Warning"), tr("Trigger mode not supported."));
        ui_->cbTriggerMode->setChecked(false);
        emit toTable(QStringLiteral("CameraSetSnapMode"), error);
        return;
    }
    store(kTriggerModeKey, mode);
}

void IOControl::on_cbAutoTrigger_toggled(bool checked) {
    autoTrigger.store(checked);
    store(kAutoTriggerKey, checked ? 1 : 0);
}

void IOControl::on_cbSaveSnapshot_clicked(bool checked) {
    saveSnapshotInTrigger.store(checked);
    store(kSaveSnapKey, checked ? 1 : 0);
}

void IOControl::on_btnTrigger_clicked() {
    if (!CameraTriggerShot(currentCamera.load()))
        report("CameraTriggerShot");
}
