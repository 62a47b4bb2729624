// SPDX-License-Identifier: MIT
// The "Setting" dialog: every camera control of the open camera and the application's options.
#pragma once

#include <QDialog>
#include <QString>
#include <memory>

#include "CameraModel.h"

class AppSettings;
class QTimer;
class CaptureOptionsPage;
class SettingFormRefresher;

namespace Ui {
class SettingDialog;
}

// Modeless, built once by the main window. Each control calls its camera API setter on the
// current camera the moment it changes; failures go out through toTable with the API name and
// the last error, and only the operator's own input errors raise a box (through UserPrompts).
// The dialog keeps no camera state: cameraChanged() rereads the new camera, or disables the
// camera controls while none is open.
class SettingDialog : public QDialog {
    Q_OBJECT

public:
    explicit SettingDialog(AppSettings& settings, QWidget* parent = nullptr);
    ~SettingDialog() override;

    double exposureScale() const;
    bool intervalShot() const;
    int intervalTime() const;
    int intervalUnit() const;
    double intervalScale() const;
    // The camera the controls show, -1 while none is open.
    int camera() const { return camera_; }
    bool monochrome() const { return model_.monochrome; }

signals:
    void toTable(QString type, int num_error);
    // "Return Max Reso": the main window goes back to the full resolution.
    void returnMaxReso();
    void enableDialog();
    // Calls into the main window: timed shots, region drawing, and the resolution list's
    // "ROI" entry once a region was applied.
    void shotTimerRequested(int time, int unit, double scale);
    void shotTimerStopped();
    void drawRoiRequested(bool draw);
    void roiResolutionSelected();

public slots:
    // The current camera changed: its index, or -1 when none is open.
    void cameraChanged(int index);
    // Rereads every control from the camera (after a group or file load, after Default).
    void refreshFromCamera();
    void refreshWhiteBalance();
    // Opened from the main window: fresh values, then shown and raised.
    void openFromMainWindow();
    // The region picked on the live image: into the fields, then applied as "Apply" does.
    void takeRegion(int x, int y, int width, int height);
    // The stored region the main window applied when it opened the camera: fields only.
    void showRegion(int x, int y, int width, int height);
    // The resolution list's "ROI" entry was chosen.
    void showRoiPage();

    // The "Setting" menu reaches these as well.
    void on_btnDefault_clicked();
    void on_btnSaveParam_clicked();
    void on_btnSaveAs_clicked();
    void on_btnLoadFrom_clicked();

private slots:
    void on_hsGamma_valueChanged(int value);
    void on_hsContrast_valueChanged(int value);
    void on_hsSaturation_valueChanged(int value);
    void on_hsBlackLevel_valueChanged(int value);
    void on_chkAutoGain_clicked(bool checked);
    void on_hsGain_valueChanged(int value);
    void on_chkAutoExposure_clicked(bool checked);
    void on_hsExposure_valueChanged(int value);
    void on_hsAETarget_valueChanged(int value);
    void on_chkAntiFlicker_clicked(bool checked);
    void on_cbAntiFlicker_activated(int index);
    void on_hsTimeOut_valueChanged(int value);
    void on_chkAWB_clicked(bool checked);
    void on_btnWB_clicked();
    void on_hsRedGain_valueChanged(int value);
    void on_hsGreenGain_valueChanged(int value);
    void on_hsBlueGain_valueChanged(int value);
    void on_cbMirrorX_clicked(bool checked);
    void on_cbMirrorY_clicked(bool checked);
    void on_cbRotate_clicked(bool checked);
    void on_cbHighspeed_clicked(bool checked);
    void on_hsFrameSpeed_valueChanged(int value);
    void on_rbRAW8_clicked();
    void on_rbGRAY8_clicked();
    void on_rbRGB24_clicked();
    void on_rdParam0_clicked();
    void on_rdParam1_clicked();
    void on_btnROIApply_clicked();
    void on_returnMaxReso_clicked();
    void on_drawROI_clicked();
    void on_rbCrop_clicked();
    void on_rbSkip_clicked();
    void on_rbBin_clicked();
    void on_chkEnhancement_clicked(bool checked);
    void on_btnCCMApply_clicked();
    void on_hsAdvancedGain_valueChanged(int value);
    void on_btnSaveRaw_clicked();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void followAutomaticLoops();
    void report(const char* function);
    bool check(bool ok, const char* function);
    void setCameraControlsEnabled(bool enabled);
    void retranslate();
    void setImageFormat(int format);
    void loadGroup(int group);
    void applyWhiteBalanceGains();
    void applyRoiFields();
    void onExposureScaleChanged();

    std::unique_ptr<Ui::SettingDialog> ui_;
    AppSettings& settings_;
    CaptureOptionsPage* options_ = nullptr;  // child QObject of this dialog
    std::unique_ptr<SettingFormRefresher> refresher_;
    // Reads what the automatic loops set, without logging: a camera that went away is
    // reported by the camera change that follows, not once a second.
    std::unique_ptr<SettingFormRefresher> loopFollower_;
    QTimer* loopTimer_ = nullptr;  // child of this dialog; runs while the dialog is shown
    int camera_ = -1;
    CameraModel model_;
};
