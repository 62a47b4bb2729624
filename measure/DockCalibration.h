// SPDX-License-Identifier: MIT
// The "Calibration" dock: a known distance over its pixel count gives units per pixel.
#pragma once

#include <QDockWidget>
#include <memory>
#include <optional>

class InteractiveScene;
class QLineEdit;
class QRadioButton;
class QSettings;

namespace Ui {
class DockCalibration;
}

// Six named groups live in the settings file, one current. The factor in force is the scene's:
// every label and statistics value multiplies by it. Values that give no usable factor (zero,
// text, infinite) are refused with a warning and the factor in force stays.
class DockCalibration : public QDockWidget {
    Q_OBJECT

public:
    static constexpr int kGroups = 6;

    // Ownership: settings and scene are not owned and outlive the dock.
    DockCalibration(QWidget* parent, InteractiveScene* scene, QSettings& settings);
    ~DockCalibration() override;

    int currentGroup() const { return group_; }
    double factor() const { return factor_; }
    int unit() const { return unit_; }

private slots:
    void on_rbGroup1_clicked();
    void on_rbGroup2_clicked();
    void on_rbGroup3_clicked();
    void on_rbGroup4_clicked();
    void on_rbGroup5_clicked();
    void on_rbGroup6_clicked();
    void on_cbUnit_currentIndexChanged(int index);
    void on_btnCalculate_clicked();
    void on_saveBtn_clicked();
    void on_resetBtn_clicked();

private:
    void selectGroup(int group);
    void loadGroup();
    void showValues();
    void applyToScene();
    void fillUnits();
    void warnInvalid();
    // distance / pixels when both are usable numbers, else nothing.
    std::optional<double> factorFromEdits() const;
    QLineEdit* nameEdit(int group) const;
    QRadioButton* groupButton(int group) const;
    static QString defaultName(int group);

    std::unique_ptr<Ui::DockCalibration> ui_;
    InteractiveScene* scene_;
    QSettings& settings_;
    int group_ = 1;
    double factor_ = 1.0;
    int unit_ = 1;
    double distance_ = 1.0;
    double pixels_ = 1.0;
};
