// SPDX-License-Identifier: MIT
// The "Setting" dialog: every camera control of the open camera and the application's options.
#include "SettingDialog.h"

#include <QApplication>
#include <QSignalBlocker>
#include <QTimer>
#include <array>

#include "AppGlobals.h"
#include "AppSettings.h"
#include "CaptureOptionsPage.h"
#include "ModelDefaults.h"
#include "ParameterFile.h"
#include "SettingFormRefresher.h"
#include "TranslatableWindows.h"
#include "UserPrompts.h"
#include "ui_SettingDialog.h"
#include "vidscope/camera_api.h"

namespace {

// One-push white balance measures on the next converted frame; the gains are read again once
// a few frames have certainly passed.
constexpr int kOnePushSettleMs = 400;
// How often the shown gain, exposure and white balance follow the automatic loops.
constexpr int kLoopFollowMs = 1000;

int cam() {
    return currentCamera.load();
}

}  // namespace

SettingDialog::SettingDialog(AppSettings& settings, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::SettingDialog>()), settings_(settings) {
    ui_->setupUi(this);
    refresher_ = std::make_unique<SettingFormRefresher>(
        *ui_, [this](const QString& function, int error) { emit toTable(function, error); });
    loopFollower_ = std::make_unique<SettingFormRefresher>(*ui_, ApiReport{});
    loopTimer_ = new QTimer(this);
    loopTimer_->setInterval(kLoopFollowMs);
    connect(loopTimer_, &QTimer::timeout, this, &SettingDialog::followAutomaticLoops);
    options_ = new CaptureOptionsPage(*ui_, settings_, this);
    connect(options_, &CaptureOptionsPage::shotTimerRequested, this,
            &SettingDialog::shotTimerRequested);
    connect(options_, &CaptureOptionsPage::shotTimerStopped, this,
            &SettingDialog::shotTimerStopped);
    connect(options_, &CaptureOptionsPage::exposureScaleChanged, this,
            &SettingDialog::onExposureScaleChanged);
    {
        const QSignalBlocker block(ui_->hsExposureScale);
        ui_->hsExposureScale->setValue(int(options_->exposureScale()));
    }
    ui_->lblExposureScale->setText(QString::number(options_->exposureScale()));
    TranslatableWindows::instance().add(this, [this] { retranslate(); });
    setImageFormat(imageFormat.load());
    cameraChanged(-1);
}

SettingDialog::~SettingDialog() = default;

double SettingDialog::exposureScale() const {
    return options_->exposureScale();
}
bool SettingDialog::intervalShot() const {
    return options_->intervalShot();
}
int SettingDialog::intervalTime() const {
    return options_->intervalTime();
}
int SettingDialog::intervalUnit() const {
    return options_->intervalUnit();
}
double SettingDialog::intervalScale() const {
    return options_->intervalScale();
}

void SettingDialog::report(const char* function) {
    emit toTable(QString::fromLatin1(function), CameraGetLastError());
}

bool SettingDialog::check(bool ok, const char* function) {
    if (!ok)
        report(function);
    return ok;
}

void SettingDialog::retranslate() {
    // Values (line edits, labels beside the sliders, scale list) are not translatable in the
    // form, so retranslating leaves what the operator and the camera put there.
    ui_->retranslateUi(this);
}

void SettingDialog::setCameraControlsEnabled(bool enabled) {
    QWidget* controls[] = {ui_->gbEnhancement, ui_->gbExposure,       ui_->gbWhiteBalance,
                           ui_->gbROI,         ui_->gbResolutionMode, ui_->gbFrameControl,
                           ui_->gbImageFormat, ui_->gbParameter,      ui_->chkEnhancement,
                           ui_->gbCCM,         ui_->hsAdvancedGain,   ui_->gbRawImage};
    for (QWidget* widget : controls)
        widget->setEnabled(enabled);
}

void SettingDialog::cameraChanged(int index) {
    camera_ = index;
    if (index < 0) {
        model_ = CameraModel{};
        setCameraControlsEnabled(false);
        return;
    }
    model_ = CameraModel::of(index);
    setCameraControlsEnabled(true);
    setImageFormat(imageFormat.load());
    refreshFromCamera();
}

void SettingDialog::refreshFromCamera() {
    if (camera_ < 0)
        return;
    {
        const QSignalBlocker block(ui_->hsExposureScale);
        ui_->hsExposureScale->setValue(int(options_->exposureScale()));
    }
    ui_->lblExposureScale->setText(QString::number(options_->exposureScale()));
    refresher_->refresh(cam(), options_->exposureScale(), model_.monochrome);
}

void SettingDialog::refreshWhiteBalance() {
    if (camera_ >= 0)
        refresher_->refreshWhiteBalance(cam());
}

void SettingDialog::openFromMainWindow() {
    refreshFromCamera();
    show();
    raise();
    activateWindow();
}

void SettingDialog::showEvent(QShowEvent* event) {
    loopTimer_->start();
    QDialog::showEvent(event);
}

void SettingDialog::hideEvent(QHideEvent* event) {
    loopTimer_->stop();
    QDialog::hideEvent(event);
}

void SettingDialog::followAutomaticLoops() {
    if (camera_ < 0)
        return;
    if (ui_->chkAutoGain->isChecked()) {
        loopFollower_->refreshGain(cam());
        ui_->lblGain->setText(QString::number(ui_->hsGain->value()));
    }
    if (ui_->chkAutoExposure->isChecked())
        loopFollower_->refreshExposure(cam(), options_->exposureScale());
    if (ui_->chkAWB->isChecked() && ui_->gbWhiteBalance->isEnabled())
        loopFollower_->refreshWhiteBalance(cam());
}

void SettingDialog::onExposureScaleChanged() {
    // The slider's range stays 1..4000: a new scale moves the slider, not the exposure.
    if (camera_ >= 0)
        refresher_->refreshExposure(cam(), options_->exposureScale());
}

// ---- Image enhancement, exposure and white balance ---------------------------------------

void SettingDialog::on_hsGamma_valueChanged(int value) {
    ui_->lblGamma->setText(QString::number(value / 100.0, 'f', 2));
    check(CameraSetGamma(cam(), value / 100.0), "CameraSetGamma");
}

void SettingDialog::on_hsContrast_valueChanged(int value) {
    ui_->lblContrast->setText(QString::number(value / 100.0, 'f', 2));
    check(CameraSetContrast(cam(), value / 100.0), "CameraSetContrast");
}

void SettingDialog::on_hsSaturation_valueChanged(int value) {
    ui_->lblSaturation->setText(QString::number(value / 100.0, 'f', 2));
    check(CameraSetSaturation(cam(), value / 100.0), "CameraSetSaturation");
}

void SettingDialog::on_hsBlackLevel_valueChanged(int value) {
    ui_->lblBlackLevel->setText(QString::number(value));
    check(CameraSetBlackLevel(cam(), unsigned(value)), "CameraSetBlackLevel");
}

void SettingDialog::on_chkAutoGain_clicked(bool checked) {
    check(CameraSetAGC(cam(), checked), "CameraSetAGC");
    refresher_->refreshGain(cam());
    ui_->lblGain->setText(QString::number(ui_->hsGain->value()));
    ui_->hsGain->setEnabled(!checked);
}

void SettingDialog::on_hsGain_valueChanged(int value) {
    ui_->lblGain->setText(QString::number(value));
    if (ui_->hsGain->isEnabled())
        check(CameraSetGain(cam(), value), "CameraSetGain");
}

void SettingDialog::on_chkAutoExposure_clicked(bool checked) {
    check(CameraSetAEC(cam(), checked), "CameraSetAEC");
    refresher_->refreshExposure(cam(), options_->exposureScale());
    ui_->hsExposure->setEnabled(!checked);
}

void SettingDialog::on_hsExposure_valueChanged(int value) {
    const int lines = int(value * options_->exposureScale());
    ui_->lblExposure->setText(QString::number(lines));
    if (ui_->hsExposure->isEnabled())
        check(CameraSetExposure(cam(), lines), "CameraSetExposure");
}

void SettingDialog::on_hsAETarget_valueChanged(int value) {
    ui_->lblAETarget->setText(QString::number(value));
    check(CameraSetAETarget(cam(), unsigned(value)), "CameraSetAETarget");
}

void SettingDialog::on_chkAntiFlicker_clicked(bool checked) {
    const unsigned int mode = checked ? unsigned(ui_->cbAntiFlicker->currentIndex() + 1) : 0;
    check(CameraSetAntiFlicker(cam(), mode), "CameraSetAntiFlicker");
}

void SettingDialog::on_cbAntiFlicker_activated(int index) {
    // Choosing the mains frequency matters only while avoidance is on.
    if (ui_->chkAntiFlicker->isChecked())
        check(CameraSetAntiFlicker(cam(), unsigned(index + 1)), "CameraSetAntiFlicker");
}

void SettingDialog::on_hsTimeOut_valueChanged(int value) {
    ui_->lblTimeOut->setText(QString::number(value));
    check(CameraSetTimeout(cam(), value), "CameraSetTimeout");
}

void SettingDialog::on_chkAWB_clicked(bool checked) {
    if (!ui_->chkAWB->isEnabled() || !ui_->gbWhiteBalance->isEnabled())
        return;
    for (QSlider* slider : {ui_->hsRedGain, ui_->hsGreenGain, ui_->hsBlueGain})
        slider->setEnabled(!checked);
    check(CameraSetAWB(cam(), checked), "CameraSetAWB");
    refreshWhiteBalance();
}

void SettingDialog::on_btnWB_clicked() {
    check(CameraOnePushWB(cam()), "CameraOnePushWB");
    refreshWhiteBalance();
    QTimer::singleShot(kOnePushSettleMs, this, &SettingDialog::refreshWhiteBalance);
}

void SettingDialog::applyWhiteBalanceGains() {
    ui_->lblRedGain->setText(QString::number(ui_->hsRedGain->value() / 100.0, 'f', 2));
    ui_->lblGreenGain->setText(QString::number(ui_->hsGreenGain->value() / 100.0, 'f', 2));
    ui_->lblBlueGain->setText(QString::number(ui_->hsBlueGain->value() / 100.0, 'f', 2));
    check(CameraSetWBGain(cam(), ui_->hsRedGain->value() / 100.0, ui_->hsGreenGain->value() / 100.0,
                          ui_->hsBlueGain->value() / 100.0),
          "CameraSetWBGain");
}

void SettingDialog::on_hsRedGain_valueChanged(int) {
    applyWhiteBalanceGains();
}
void SettingDialog::on_hsGreenGain_valueChanged(int) {
    applyWhiteBalanceGains();
}
void SettingDialog::on_hsBlueGain_valueChanged(int) {
    applyWhiteBalanceGains();
}

// ---- Frame control, image format, parameter groups ---------------------------------------

void SettingDialog::on_cbMirrorX_clicked(bool checked) {
    check(CameraSetMirrorX(cam(), checked), "CameraSetMirrorX");
}
void SettingDialog::on_cbMirrorY_clicked(bool checked) {
    check(CameraSetMirrorY(cam(), checked), "CameraSetMirrorY");
}
void SettingDialog::on_cbRotate_clicked(bool checked) {
    check(CameraSetRotate(cam(), checked), "CameraSetRotate");
}
void SettingDialog::on_cbHighspeed_clicked(bool checked) {
    check(CameraSetHighspeed(cam(), checked), "CameraSetHighspeed");
}

void SettingDialog::on_hsFrameSpeed_valueChanged(int value) {
    ui_->lblFrameSpeed->setText(QString::number(value));
    check(CameraSetDelay(cam(), value), "CameraSetDelay");
}

void SettingDialog::setImageFormat(int format) {
    QRadioButton* button = format == 1 ? ui_->rbRAW8 : format == 2 ? ui_->rbGRAY8 : ui_->rbRGB24;
    button->setChecked(true);
}

void SettingDialog::on_rbRAW8_clicked() {
    imageFormat.store(1);
    check(CameraSetParam(cam(), "image_format", 1), "CameraSetParam");
}
void SettingDialog::on_rbGRAY8_clicked() {
    imageFormat.store(2);
    check(CameraSetParam(cam(), "image_format", 2), "CameraSetParam");
}
void SettingDialog::on_rbRGB24_clicked() {
    imageFormat.store(4);
    check(CameraSetParam(cam(), "image_format", 4), "CameraSetParam");
}

void SettingDialog::loadGroup(int group) {
    check(CameraLoadParameter(cam(), group), "CameraLoadParameter");
    refreshFromCamera();
}
void SettingDialog::on_rdParam0_clicked() {
    loadGroup(0);
}
void SettingDialog::on_rdParam1_clicked() {
    loadGroup(1);
}

void SettingDialog::on_btnSaveParam_clicked() {
    if (camera_ < 0)
        return;
    // Each EEPROM byte takes 5 ms: the whole group is a noticeable moment.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    check(CameraSaveParameter(cam(), ui_->rdParam0->isChecked() ? 0 : 1), "CameraSaveParameter");
    QApplication::restoreOverrideCursor();
}

void SettingDialog::on_btnDefault_clicked() {
    if (camera_ < 0)
        return;
    const ApiReport forward = [this](const QString& f, int e) { emit toTable(f, e); };
    ModelDefaults::forDevice(CameraGetID(cam())).applyTo(cam(), forward);
    imageFormat.store(4);
    setImageFormat(4);
    emit enableDialog();
    refreshFromCamera();
    refreshWhiteBalance();
}

// ---- ROI, resolution mode -----------------------------------------------------------------

void SettingDialog::on_btnROIApply_clicked() {
    applyRoiFields();
}

void SettingDialog::applyRoiFields() {
    std::array<int, 4> v{};
    QLineEdit* edits[] = {ui_->leOffsetX, ui_->leOffsetY, ui_->leWidth, ui_->leHeight};
    bool valid = true;
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[std::size_t(i)] = edits[i]->text().trimmed().toInt(&ok, 10);
        valid = valid && ok;
    }
    if (!valid || v[0] < 0 || v[1] < 0 || v[2] <= 0 || v[3] <= 0) {
        UserPrompts::instance().notice(this, tr("notice"), tr("Please enter valid numbers."));
        return;
    }
    if (check(CameraSetROI(cam(), unsigned(v[0]), unsigned(v[1]), unsigned(v[2]), unsigned(v[3])),
              "CameraSetROI")) {
        // Kept with the camera's settings so that a saved group or file brings the region back.
        const std::pair<const char*, int> params[] = {{"enable_roi", 1},
                                                      {"roi_offset_x", v[0]},
                                                      {"roi_offset_y", v[1]},
                                                      {"roi_width", v[2]},
                                                      {"roi_height", v[3]}};
        for (const auto& [key, value] : params)
            check(CameraSetParam(cam(), key, static_cast<unsigned short>(value)), "CameraSetParam");
    } else {
        UserPrompts::instance().notice(this, tr("notice"),
                                       tr("ROI not supported or parameter invalid."));
    }
    emit roiResolutionSelected();
}

void SettingDialog::on_returnMaxReso_clicked() {
    emit returnMaxReso();
}

void SettingDialog::on_drawROI_clicked() {
    const QMessageBox::StandardButton answer = UserPrompts::instance().question(
        this, tr("Draw ROI?"),
        tr("Please make sure the current resolution is the maximum resolution.\nAre you want "
           "to draw rectangle to create ROI now?"),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    // The picture must be free to draw on.
    hide();
    emit drawRoiRequested(true);
}

void SettingDialog::showRegion(int x, int y, int width, int height) {
    ui_->leOffsetX->setText(QString::number(x));
    ui_->leOffsetY->setText(QString::number(y));
    ui_->leWidth->setText(QString::number(width));
    ui_->leHeight->setText(QString::number(height));
}

void SettingDialog::takeRegion(int x, int y, int width, int height) {
    showRegion(x, y, width, height);
    emit drawRoiRequested(false);
    applyRoiFields();
    ui_->tabWidget->setCurrentWidget(ui_->tabROI);
    show();
}

void SettingDialog::showRoiPage() {
    ui_->tabWidget->setCurrentWidget(ui_->tabROI);
    openFromMainWindow();
}

void SettingDialog::on_rbCrop_clicked() {
    check(CameraSetResolutionMode(cam(), 0), "CameraSetResolutionMode");
}
void SettingDialog::on_rbSkip_clicked() {
    check(CameraSetResolutionMode(cam(), 1), "CameraSetResolutionMode");
}
void SettingDialog::on_rbBin_clicked() {
    check(CameraSetResolutionMode(cam(), 2), "CameraSetResolutionMode");
}

// ---- Colour matrix, advanced gain, raw frame ----------------------------------------------

void SettingDialog::on_chkEnhancement_clicked(bool checked) {
    check(CameraSetEnhancement(cam(), checked), "CameraSetEnhancement");
    ui_->gbCCM->setEnabled(checked);
}

void SettingDialog::on_btnCCMApply_clicked() {
    QLineEdit* edits[] = {ui_->leCCM0, ui_->leCCM1, ui_->leCCM2, ui_->leCCM3, ui_->leCCM4,
                          ui_->leCCM5, ui_->leCCM6, ui_->leCCM7, ui_->leCCM8};
    double matrix[9] = {};
    for (int i = 0; i < 9; ++i) {
        bool ok = false;
        matrix[i] = edits[i]->text().trimmed().toDouble(&ok);
        // A field that is not a number refuses the whole matrix: sending 0 in its place
        // would silently drop a colour channel.
        if (!ok) {
            UserPrompts::instance().notice(this, tr("notice"), tr("Please enter valid numbers."));
            return;
        }
    }
    if (check(CameraSetCCM(cam(), matrix), "CameraSetCCM"))
        check(CameraSetEnhancement(cam(), true), "CameraSetEnhancement");
}

void SettingDialog::on_hsAdvancedGain_valueChanged(int value) {
    ui_->lblAdvancedGain->setText(QString::number(value));
    check(CameraSetAdvancedGain(cam(), unsigned(value)), "CameraSetAdvancedGain");
}

void SettingDialog::on_btnSaveRaw_clicked() {
    saveRawRequested.store(true);
}

// ---- Parameter files ----------------------------------------------------------------------

void SettingDialog::on_btnSaveAs_clicked() {
    if (camera_ < 0)
        return;
    const QString path = UserPrompts::instance().saveFileName(
        this, tr("Save parameters file"), QString::fromLatin1(ParameterFile::kDefaultName),
        QString::fromLatin1(ParameterFile::kFilter));
    if (path.isEmpty())
        return;
    ParameterFile file(cam(), [this](const QString& f, int e) { emit toTable(f, e); });
    if (!file.save(path))
        UserPrompts::instance().warning(this, tr("Error"), file.errorString());
}

void SettingDialog::on_btnLoadFrom_clicked() {
    if (camera_ < 0)
        return;
    const QString path = UserPrompts::instance().openFileName(
        this, tr("Load parameters file"), QString::fromLatin1(ParameterFile::kDefaultName),
        QString::fromLatin1(ParameterFile::kFilter));
    if (path.isEmpty())
        return;
    ParameterFile file(cam(), [this](const QString& f, int e) { emit toTable(f, e); });
    const auto result = file.load(path, [this](int x, int y, int width, int height) {
        showRegion(x, y, width, height);
        applyRoiFields();
    });
    if (result == ParameterFile::LoadResult::NotParameterFile) {
        UserPrompts::instance().warning(this, tr("Error"),
                                        tr("Invalid camera configuration file!"));
        return;
    }
    if (result == ParameterFile::LoadResult::Unreadable) {
        UserPrompts::instance().warning(this, tr("Error"), file.errorString());
        return;
    }
    // The stored output format is the one the file chose.
    unsigned int format = 0;
    if (CameraGetParam(cam(), "image_format", &format) &&
        (format == 1 || format == 2 || format == 4)) {
        imageFormat.store(int(format));
        setImageFormat(int(format));
    }
    refreshFromCamera();
}
