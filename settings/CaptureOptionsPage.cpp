// SPDX-License-Identifier: MIT
// The application's own options in the settings dialog, bound to keys of "./setting.ini".
#include "CaptureOptionsPage.h"

#include <QSignalBlocker>
#include <algorithm>
#include <cmath>

#include "AppGlobals.h"
#include "AppSettings.h"
#include "UserPrompts.h"
#include "ui_SettingDialog.h"

namespace {

constexpr double kLargestExposureScale = 10.0;
// Longer than a week between two shots is not a timed series any more.
constexpr int kLongestInterval = 7 * 24 * 60;

}  // namespace

CaptureOptionsPage::CaptureOptionsPage(Ui::SettingDialog& form, AppSettings& settings,
                                       QWidget* dialog)
    : QObject(dialog), ui_(form), settings_(settings), dialog_(dialog) {
    readKeys();
    connectControls();
}

int CaptureOptionsPage::intKey(const char* key, int fallback, int lowest, int highest) const {
    bool ok = false;
    const int value = settings_.qsettings().value(QLatin1String(key), fallback).toInt(&ok);
    return ok ? std::clamp(value, lowest, highest) : fallback;
}

void CaptureOptionsPage::write(const char* key, const QVariant& value) {
    settings_.qsettings().setValue(QLatin1String(key), value);
    settings_.sync();
}

void CaptureOptionsPage::selectScale(double scale) {
    QComboBox* box = ui_.cbIntervalScale;
    int found = box->findText(QStringLiteral("1"));
    for (int i = 0; i < box->count(); ++i) {
        if (std::abs(box->itemText(i).toDouble() - scale) < 1e-6)
            found = i;
    }
    const QSignalBlocker block(box);
    box->setCurrentIndex(found);
}

void CaptureOptionsPage::readKeys() {
    QSettings& ini = settings_.qsettings();
    ui_.leSavePath->setText(ini.value("File/Path", QStringLiteral(".")).toString());
    QRadioButton* types[] = {ui_.rbBMP, ui_.rbJPG, ui_.rbPNG};
    types[intKey("File/Type", 1, 0, 2)]->setChecked(true);
    ui_.cbCompression->setCurrentIndex(
        intKey("File/CompressionMethod", 0, 0, ui_.cbCompression->count() - 1));
    const int quality = intKey("File/Quality", 75, 1, 100);
    ui_.sdQuality->setValue(quality);
    ui_.leQuality->setText(QString::number(quality));
    ui_.cbFPS->setChecked(intKey("File/InstantFPS", 0, 0, 1) != 0);

    intervalShot_ = ini.value("File/IntervalShot", false).toBool();
    intervalTime_ = intKey("File/IntervalTime", 1, 1, kLongestInterval);
    intervalUnit_ = intKey("File/IntervalUnit", 0, 0, 1);
    bool ok = false;
    const double scale = ini.value("File/IntervalScale", 1.0).toDouble(&ok);
    selectScale(ok ? scale : 1.0);
    intervalScale_ = ui_.cbIntervalScale->currentText().toDouble();
    ui_.chkIntervalShot->setChecked(intervalShot_);
    ui_.leInterval->setText(QString::number(intervalTime_));
    ui_.cbIntervalUnit->setCurrentIndex(intervalUnit_);

    const int backlog =
        intKey("File/Backlog", 2, ui_.hsBacklog->minimum(), ui_.hsBacklog->maximum());
    ui_.hsBacklog->setValue(backlog);
    ui_.lblBacklog->setText(QString::number(backlog));
    frameBacklog.store(backlog);

    const double stored = ini.value("Control/ExposureScale", 1.0).toDouble(&ok);
    // Below 1 the exposure slider could not reach the short exposures; NaN compares false.
    exposureScale_ = ok && stored >= 1.0 ? std::min(stored, kLargestExposureScale) : 1.0;
}

void CaptureOptionsPage::connectControls() {
    connect(ui_.leSavePath, &QLineEdit::editingFinished, this,
            [this] { write("File/Path", ui_.leSavePath->text()); });
    connect(ui_.btnBrowse, &QPushButton::clicked, this, [this] {
        const QString dir = UserPrompts::instance().existingDirectory(dialog_, tr("Open Directory"),
                                                                      ui_.leSavePath->text());
        if (dir.isEmpty())
            return;
        ui_.leSavePath->setText(dir);
        write("File/Path", dir);
    });
    QRadioButton* types[] = {ui_.rbBMP, ui_.rbJPG, ui_.rbPNG};
    for (int type = 0; type < 3; ++type)
        connect(types[type], &QRadioButton::clicked, this,
                [this, type] { write("File/Type", type); });
    connect(ui_.cbCompression, &QComboBox::activated, this,
            [this](int index) { write("File/CompressionMethod", index); });
    connect(ui_.sdQuality, &QSlider::valueChanged, this, [this](int value) {
        ui_.leQuality->setText(QString::number(value));
        write("File/Quality", value);
    });
    connect(ui_.cbFPS, &QCheckBox::clicked, this,
            [this](bool checked) { write("File/InstantFPS", checked ? 1 : 0); });
    connect(ui_.hsBacklog, &QSlider::valueChanged, this, [this](int value) {
        ui_.lblBacklog->setText(QString::number(value));
        frameBacklog.store(value);
        write("File/Backlog", value);
    });
    connect(ui_.hsExposureScale, &QSlider::valueChanged, this, [this](int value) {
        exposureScale_ = value;
        ui_.lblExposureScale->setText(QString::number(value));
        write("Control/ExposureScale", double(value));
        emit exposureScaleChanged(exposureScale_);
    });
    connect(ui_.btnShotApply, &QPushButton::clicked, this, &CaptureOptionsPage::applyTimedShot);
}

void CaptureOptionsPage::applyTimedShot() {
    bool ok = false;
    const int time = ui_.leInterval->text().trimmed().toInt(&ok, 10);
    if (!ok || time < 1 || time > kLongestInterval) {
        UserPrompts::instance().notice(
            dialog_, tr("notice"),
            tr("Please enter a shot interval from 1 to %1.").arg(kLongestInterval));
        return;
    }
    intervalShot_ = ui_.chkIntervalShot->isChecked();
    intervalTime_ = time;
    intervalUnit_ = ui_.cbIntervalUnit->currentIndex();
    intervalScale_ = ui_.cbIntervalScale->currentText().toDouble();
    QSettings& ini = settings_.qsettings();
    ini.setValue("File/IntervalShot", intervalShot_);
    ini.setValue("File/IntervalTime", intervalTime_);
    ini.setValue("File/IntervalUnit", intervalUnit_);
    ini.setValue("File/IntervalScale", intervalScale_);
    settings_.sync();
    if (intervalShot_)
        emit shotTimerRequested(intervalTime_, intervalUnit_, intervalScale_);
    else
        emit shotTimerStopped();
}
