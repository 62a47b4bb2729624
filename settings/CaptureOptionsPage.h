// SPDX-License-Identifier: MIT
// The application's own options in the settings dialog, bound to keys of "./setting.ini".
#pragma once

#include <QObject>

class AppSettings;
class QWidget;

namespace Ui {
class SettingDialog;
}

// Reads every key at construction, range-checked against its control (a hand-edited or
// hostile file gives the control's default or the nearest value in range), and writes a key
// on each change of its control and synchronises the file. The timed-shot keys are written
// only by the group's "Apply". Owned by the dialog whose form it binds.
class CaptureOptionsPage : public QObject {
    Q_OBJECT

public:
    CaptureOptionsPage(Ui::SettingDialog& form, AppSettings& settings, QWidget* dialog);

    double exposureScale() const { return exposureScale_; }
    bool intervalShot() const { return intervalShot_; }
    int intervalTime() const { return intervalTime_; }
    int intervalUnit() const { return intervalUnit_; }
    double intervalScale() const { return intervalScale_; }

    // Applies the timed-shot group as its "Apply" button does.
    void applyTimedShot();

signals:
    void exposureScaleChanged(double scale);
    void shotTimerRequested(int time, int unit, double scale);
    void shotTimerStopped();

private:
    void readKeys();
    void connectControls();
    void write(const char* key, const QVariant& value);
    int intKey(const char* key, int fallback, int lowest, int highest) const;
    void selectScale(double scale);

    Ui::SettingDialog& ui_;
    AppSettings& settings_;
    QWidget* dialog_;
    double exposureScale_ = 1.0;
    bool intervalShot_ = false;
    int intervalTime_ = 1;
    int intervalUnit_ = 0;
    double intervalScale_ = 1.0;
};
