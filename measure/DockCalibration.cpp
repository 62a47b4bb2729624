// SPDX-License-Identifier: MIT
// The "Calibration" dock: a known distance over its pixel count gives units per pixel.
#include "DockCalibration.h"

#include <QSettings>
#include <QSignalBlocker>
#include <cmath>

#include "InteractiveScene.h"
#include "TranslatableWindows.h"
#include "UserPrompts.h"
#include "ui_DockCalibration.h"

namespace {

// Text that is not a number counts as 0, which every caller refuses.
double numberOrZero(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0.0;
}

QString groupKey(int group, const char* name) {
    return QStringLiteral("Group%1/%2").arg(group).arg(QLatin1String(name));
}

}  // namespace

DockCalibration::DockCalibration(QWidget* parent, InteractiveScene* scene, QSettings& settings)
    : QDockWidget(parent),
      ui_(std::make_unique<Ui::DockCalibration>()),
      scene_(scene),
      settings_(settings) {
    ui_->setupUi(this);
    fillUnits();
    TranslatableWindows::instance().add(this, [this] {
        ui_->retranslateUi(this);
        fillUnits();
        showValues();
    });
    group_ = settings_.value(QStringLiteral("Calibration/Group"), 1).toInt();
    if (group_ < 1 || group_ > kGroups)
        group_ = 1;
    for (int group = 1; group <= kGroups; ++group) {
        nameEdit(group)->setText(
            settings_.value(QStringLiteral("Calibration/s_group%1").arg(group), defaultName(group))
                .toString());
    }
    loadGroup();
}

DockCalibration::~DockCalibration() = default;

QString DockCalibration::defaultName(int group) {
    return QStringLiteral("Group%1").arg(group);
}

QLineEdit* DockCalibration::nameEdit(int group) const {
    QLineEdit* edits[kGroups] = {ui_->leGroup1, ui_->leGroup2, ui_->leGroup3,
                                 ui_->leGroup4, ui_->leGroup5, ui_->leGroup6};
    return edits[group - 1];
}

QRadioButton* DockCalibration::groupButton(int group) const {
    QRadioButton* buttons[kGroups] = {ui_->rbGroup1, ui_->rbGroup2, ui_->rbGroup3,
                                      ui_->rbGroup4, ui_->rbGroup5, ui_->rbGroup6};
    return buttons[group - 1];
}

void DockCalibration::fillUnits() {
    const QSignalBlocker blocker(ui_->cbUnit);
    const int index = ui_->cbUnit->currentIndex();
    ui_->cbUnit->clear();
    ui_->cbUnit->addItems({tr("cm"), tr("mm"), tr("um")});
    ui_->cbUnit->setCurrentIndex(index);
}

void DockCalibration::loadGroup() {
    distance_ = settings_.value(groupKey(group_, "Distance"), 1.0).toDouble();
    pixels_ = settings_.value(groupKey(group_, "PixelCount"), 1.0).toDouble();
    unit_ = settings_.value(groupKey(group_, "Unit"), 1).toInt();
    const double factor = distance_ / pixels_;
    // A hand-edited file may hold a zero, a text or an overflowing pair: no factor then.
    factor_ = pixels_ == 0 || !std::isfinite(factor) || factor == 0 ? 1.0 : factor;
    showValues();
    applyToScene();
}

void DockCalibration::showValues() {
    ui_->leDistance->setText(QString::number(distance_, 'f', 2));
    ui_->lePixelCount->setText(QString::number(pixels_, 'f', 2));
    ui_->leFactor->setText(QString::number(factor_, 'g', 6));
    const int index = unit_ == 0 ? 0 : unit_ == 1 ? 1 : 2;
    {
        const QSignalBlocker blocker(ui_->cbUnit);
        ui_->cbUnit->setCurrentIndex(index);
    }
    const char* perPixel[] = {"cm/pixel", "mm/pixel", "um/pixel"};
    ui_->lblUnitPerPixel->setText(QString::fromLatin1(perPixel[index]));
    for (int group = 1; group <= kGroups; ++group)
        groupButton(group)->setChecked(group == group_);
}

void DockCalibration::applyToScene() {
    scene_->setCalibrationFactor(factor_);
    scene_->setUnit(unit_);
}

void DockCalibration::selectGroup(int group) {
    group_ = group;
    loadGroup();
}

void DockCalibration::on_rbGroup1_clicked() {
    selectGroup(1);
}
void DockCalibration::on_rbGroup2_clicked() {
    selectGroup(2);
}
void DockCalibration::on_rbGroup3_clicked() {
    selectGroup(3);
}
void DockCalibration::on_rbGroup4_clicked() {
    selectGroup(4);
}
void DockCalibration::on_rbGroup5_clicked() {
    selectGroup(5);
}
void DockCalibration::on_rbGroup6_clicked() {
    selectGroup(6);
}

void DockCalibration::on_cbUnit_currentIndexChanged(int index) {
    if (index < 0)
        return;
    unit_ = index;
    const char* perPixel[] = {"cm/pixel", "mm/pixel", "um/pixel"};
    ui_->lblUnitPerPixel->setText(QString::fromLatin1(perPixel[std::min(index, 2)]));
    scene_->setUnit(index);
}

std::optional<double> DockCalibration::factorFromEdits() const {
    const double distance = numberOrZero(ui_->leDistance->text());
    const double pixels = numberOrZero(ui_->lePixelCount->text());
    if (distance == 0 || pixels == 0)
        return std::nullopt;
    const double factor = distance / pixels;
    if (!std::isfinite(factor) || factor == 0)
        return std::nullopt;
    return factor;
}

void DockCalibration::warnInvalid() {
    UserPrompts::instance().warning(this, tr("Warn"), tr("Invalid numbers."));
}

void DockCalibration::on_btnCalculate_clicked() {
    const std::optional<double> factor = factorFromEdits();
    if (!factor) {
        warnInvalid();
        return;
    }
    distance_ = numberOrZero(ui_->leDistance->text());
    pixels_ = numberOrZero(ui_->lePixelCount->text());
    factor_ = *factor;
    ui_->leFactor->setText(QString::number(factor_, 'g', 6));
    scene_->setCalibrationFactor(factor_);
}

void DockCalibration::on_saveBtn_clicked() {
    if (!factorFromEdits()) {
        warnInvalid();
        return;
    }
    const int unit = ui_->cbUnit->currentIndex();
    settings_.setValue(QStringLiteral("Calibration/Group"), group_);
    for (int group = 1; group <= kGroups; ++group) {
        settings_.setValue(QStringLiteral("Calibration/s_group%1").arg(group),
                           nameEdit(group)->text());
    }
    settings_.setValue(groupKey(group_, "Distance"), numberOrZero(ui_->leDistance->text()));
    settings_.setValue(groupKey(group_, "PixelCount"), numberOrZero(ui_->lePixelCount->text()));
    settings_.setValue(groupKey(group_, "Unit"), unit);
    settings_.sync();
    close();
}

// Back to one unit per pixel in millimetres, the unit a fresh group starts with, so that
// the dock and every label agree on the unit after a reset.
void DockCalibration::on_resetBtn_clicked() {
    factor_ = 1.0;
    distance_ = 1.0;
    pixels_ = 1.0;
    unit_ = 1;
    showValues();
    applyToScene();
    nameEdit(group_)->setText(defaultName(group_));
}
