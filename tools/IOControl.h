// SPDX-License-Identifier: MIT
// "IO Control": input and output bit, strobe, trigger mode and the software trigger.
#pragma once

#include <QDialog>
#include <QSettings>
#include <QString>
#include <memory>

namespace Ui {
class IOControl;
}

// Every switch is stored at once under "Control/..." in the settings file (a missing key reads
// as 0) and applied to the camera again after each opening (applyStoredSettings). Two switches
// are read by the frame path, not the camera: auto trigger (the capture thread's queries fire
// the trigger) and save snapshot (frames shown in trigger mode are saved as pictures).
class IOControl : public QDialog {
    Q_OBJECT

public:
    static constexpr int kContinuousMode = 1;
    static constexpr int kTriggerMode = 2;

    // settingsFile: the INI file; the program's own "./setting.ini" unless a test says otherwise.
    explicit IOControl(QWidget* parent = nullptr, const QString& settingsFile = QString());
    ~IOControl() override;

    // Whether the strobe polarity can be inverted on cameras with this device code.
    static bool supportsStrobePolarity(int deviceCode);

signals:
    void toTable(QString type, int num_error);
    // The main window's title for the current snap mode.
    void mainTitleChanged(QString title);

public slots:
    // The stored settings, applied to the current camera in a fixed order.
    void applyStoredSettings();
    // A resolution change re-sends a stored trigger mode.
    void reapplyTriggerMode();
    // -1: no camera open, the camera controls are disabled; otherwise they are enabled and the
    // stored settings applied.
    void cameraChanged(int index);

private slots:
    void on_btnRefresh_clicked();
    void on_cbOut_clicked(bool checked);
    void on_cbEnableStrobe_clicked(bool checked);
    void on_cbStrobePolarity_clicked(bool checked);
    void on_cbTriggerMode_clicked(bool checked);
    void on_cbAutoTrigger_toggled(bool checked);
    void on_cbSaveSnapshot_clicked(bool checked);
    void on_btnTrigger_clicked();

private:
    int stored(const char* key) const;
    void store(const char* key, int value);
    void report(const char* function);
    void refreshInput();
    void setOutput(bool on);
    bool sendSnapMode(int mode);
    void announceMode(int mode);
    void enableCameraControls(bool open);

    std::unique_ptr<Ui::IOControl> ui_;
    std::unique_ptr<QSettings> settings_;
    bool cameraOpen_ = true;
    bool polaritySupported_ = true;
};
