// SPDX-License-Identifier: MIT
// The statistics table and its CSV, the calibration dock and the property dock.
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTableWidget>

#include "DockCalibration.h"
#include "DockProperty.h"
#include "MeasureFixture.h"
#include "VLineMark.h"

namespace {

class TableTest : public MeasureFixture {
protected:
    void SetUp() override {
        addPicture();
        setZoom(1);
    }
    template <typename T>
    T* find(QWidget* parent, const char* name) {
        T* widget = parent->findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    // A radio button without text takes clicks on its indicator only.
    static void clickRadio(QRadioButton* button) {
        QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(6, button->height() / 2));
    }
    void clickRow(int r) {
        QTableWidget* grid = table().table();
        table().show();
        const QRect cell = grid->visualItemRect(grid->item(r, 0));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    }
};

TEST_F(TableTest, RowsOfEveryTypeAndRewritesTouchOnlyCoordinates) {
    Statistics& t = table();
    t.addRow(4, 1, 2, 4, 6, 3, 4);
    t.addRow(6, 0, 0, 0, 0, 10, 0);
    t.addRow(2, 7.5, 1, 0, 0, 7.5, 0);
    t.addRow(3, 1, 9.25, 0, 0, 9.25, 0);
    t.addRow(5, 3, 4, 0, 0, 90, 0);
    t.addRow(9, 1, 1, 1, 1, 1, 1);  // unknown type: an empty row keeps the numbering
    EXPECT_EQ(row(0), QStringList({"Rectangle", "1.000", "2.000", "4.000", "6.000", "3.000",
                                   "4.000", "12.000"}));
    EXPECT_EQ(row(1), QStringList({"Circle", "0.000", "0.000", "", "", "10.000", "", "314.159"}));
    EXPECT_EQ(row(2), QStringList({"VLine", "7.500", "1.000", "", "", "7.500", "", ""}));
    EXPECT_EQ(row(3), QStringList({"HLine", "1.000", "9.250", "", "", "9.250", "", ""}));
    EXPECT_EQ(row(4), QStringList({"Arc", "3.000", "4.000", "", "", "90.000", "", ""}));
    EXPECT_EQ(row(5), QStringList(8, ""));

    t.rewriteRow(0, 4, 2, 3, 5, 7);  // results and area stay
    EXPECT_EQ(row(0), QStringList({"Rectangle", "2.000", "3.000", "5.000", "7.000", "3.000",
                                   "4.000", "12.000"}));
    t.rewriteRow(3, 3, 99, 8, 99, 99);
    EXPECT_EQ(row(3), QStringList({"HLine", "1.000", "8.000", "", "", "8.000", "", ""}));
    t.rewriteRow(4, 5, 1, 2, 3, 4);
    EXPECT_EQ(row(4), QStringList({"Arc", "1.000", "2.000", "", "", "90.000", "", ""}));
    t.rewriteRow(17, 1, 1, 2, 3, 4);  // no such row: nothing happens
    EXPECT_EQ(t.rowCount(), 6);
    // Cells cannot be edited.
    EXPECT_FALSE(t.table()->item(0, 1)->flags() & Qt::ItemIsEditable);
}

TEST_F(TableTest, CsvIsReadBackByPythonsCsvModule) {
#ifndef VIDSCOPE_PYTHON
    GTEST_SKIP() << "python3 not found at configure time";
#else
    scene_->setToolMode(InteractiveScene::kLine);
    click({1, 2});
    click({4, 6});
    scene_->setToolMode(InteractiveScene::kPolygon);
    click({1, 1});
    click({6, 1});
    click({1, 6}, Qt::MiddleButton);
    prompts_.fileName = dir_.path() + "/rows";
    table().show();
    QTest::mouseClick(find<QPushButton>(&table(), "btnExportCSV"), Qt::LeftButton);
    EXPECT_EQ(prompts_.choosers, QStringList{"Save file |  | CSV File (*.csv)"});
    QFile file(dir_.path() + "/rows.csv");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(),
              "Type,base.X,base.Y,second.X,second.Y,result1,result2,erea\r\n"
              "Line,1.000,2.000,4.000,6.000,5.000,,\r\n"
              "Polygon,,,,,,,12.500\r\n");
    QProcess python;
    python.start(VIDSCOPE_PYTHON,
                 {"-c",
                  "import csv,sys\n"
                  "rows=list(csv.reader(open(sys.argv[1],newline='')))\n"
                  "assert all(len(r)==8 for r in rows), rows\n"
                  "print(rows[1][0], float(rows[1][5]), rows[2][0], float(rows[2][7]))\n",
                  file.fileName()});
    ASSERT_TRUE(python.waitForFinished(20000));
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    EXPECT_EQ(python.readAllStandardOutput().trimmed(), "Line 5.0 Polygon 12.5");
#endif
}

TEST_F(TableTest, CsvEdgeCases) {
    // An empty table gives the header alone.
    QString reason;
    ASSERT_TRUE(table().exportCsv(dir_.path() + "/empty.csv", &reason));
    QFile empty(dir_.path() + "/empty.csv");
    ASSERT_TRUE(empty.open(QIODevice::ReadOnly));
    EXPECT_EQ(empty.readAll(), "Type,base.X,base.Y,second.X,second.Y,result1,result2,erea\r\n");
    // Cancelling writes nothing and says nothing more.
    prompts_.fileName.clear();
    QTest::mouseClick(find<QPushButton>(&table(), "btnExportCSV"), Qt::LeftButton);
    EXPECT_EQ(prompts_.choosers.size(), 1);
    EXPECT_TRUE(prompts_.boxes.isEmpty());
    // An unwritable place is reported.
    prompts_.fileName = dir_.path() + "/missing-dir/out.csv";
    QTest::mouseClick(find<QPushButton>(&table(), "btnExportCSV"), Qt::LeftButton);
    ASSERT_EQ(prompts_.boxes.size(), 1);
    EXPECT_TRUE(prompts_.boxes[0].startsWith("Error: Failed to open the file."));
    EXPECT_FALSE(QFile::exists(prompts_.fileName));
}

TEST_F(TableTest, ClickingARowSelectsItsMarkAndDeleteRemovesBoth) {
    scene_->setToolMode(InteractiveScene::kAxisY);
    for (int x : {10, 20, 30, 40})
        click({double(x), 100});
    ASSERT_EQ(table().rowCount(), 4);
    clickRow(2);
    EXPECT_EQ(scene_->selectedIndex(), 2);
    EXPECT_EQ(scene_->selectedMark(), scene_->marks()[2]);
    EXPECT_EQ(scene_->handles().size(), 3);
    QTest::mouseClick(find<QPushButton>(&table(), "btnDelete"), Qt::LeftButton);
    ASSERT_EQ(table().rowCount(), 3);
    ASSERT_EQ(scene_->markCount(), 3);
    for (int i = 0; i < 3; ++i) {
        const double x = static_cast<VLineMark*>(scene_->marks()[i])->point().x();
        EXPECT_EQ(table().cellText(i, 1).toDouble(), x);
        EXPECT_NE(x, 30);
    }
    EXPECT_EQ(scene_->selectedMark(), nullptr);
    EXPECT_TRUE(scene_->handles().isEmpty());
}

TEST_F(TableTest, CalibrationTurnsADistanceIntoTheFactorOfEveryLabel) {
    DockCalibration& dock = *controller_->dockCalibration();
    dock.show();
    auto* distance = find<QLineEdit>(&dock, "leDistance");
    auto* pixels = find<QLineEdit>(&dock, "lePixelCount");
    auto* calculate = find<QPushButton>(&dock, "btnCalculate");
    auto* unit = find<QComboBox>(&dock, "cbUnit");
    EXPECT_EQ(distance->text(), "1.00");
    EXPECT_EQ(unit->currentText(), "mm");
    unit->setCurrentIndex(2);
    EXPECT_EQ(scene_->unit(), 2);
    EXPECT_EQ(find<QLabel>(&dock, "lblUnitPerPixel")->text(), "um/pixel");
    unit->setCurrentIndex(1);

    distance->setText("10");
    pixels->setText("400");
    QTest::mouseClick(calculate, Qt::LeftButton);
    EXPECT_EQ(find<QLineEdit>(&dock, "leFactor")->text(), "0.025");
    EXPECT_DOUBLE_EQ(scene_->calibrationFactor(), 0.025);
    scene_->setToolMode(InteractiveScene::kLine);
    click({100, 100});
    click({300, 100});
    EXPECT_EQ(labelTexts(*scene_->marks()[0]), QStringList{"5.000[mm]"});
    EXPECT_EQ(table().cellText(0, 5), "5.000");

    // Refused values keep the factor in force.
    for (const char* text : {"abc", "0", "inf", "nan", "1e-320"}) {
        pixels->setText(text);
        QTest::mouseClick(calculate, Qt::LeftButton);
        EXPECT_DOUBLE_EQ(scene_->calibrationFactor(), 0.025) << text;
    }
    EXPECT_EQ(prompts_.boxes.count("Warn: Invalid numbers."), 5);
    pixels->setText("-400");  // a negative count is a direction, not an error
    QTest::mouseClick(calculate, Qt::LeftButton);
    EXPECT_DOUBLE_EQ(scene_->calibrationFactor(), -0.025);

    // Save refuses a bad count, writes nothing and stays open.
    pixels->setText("abc");
    QTest::mouseClick(find<QPushButton>(&dock, "saveBtn"), Qt::LeftButton);
    settings_->sync();
    EXPECT_FALSE(settings_->contains("Group1/PixelCount"));
    EXPECT_TRUE(dock.isVisible());
    pixels->setText("400");
    find<QLineEdit>(&dock, "leGroup1")->setText("Objective 10x");
    QTest::mouseClick(find<QPushButton>(&dock, "saveBtn"), Qt::LeftButton);
    EXPECT_FALSE(dock.isVisible());
    settings_->sync();
    EXPECT_EQ(settings_->value("Group1/PixelCount").toDouble(), 400);
    EXPECT_EQ(settings_->value("Calibration/s_group1").toString(), "Objective 10x");
    EXPECT_FALSE(settings_->contains("Group2/Distance"));

    // Another group and back: the file decides, unsaved edits are gone.
    dock.show();
    distance->setText("77");
    clickRadio(find<QRadioButton>(&dock, "rbGroup2"));
    EXPECT_EQ(dock.currentGroup(), 2);
    EXPECT_DOUBLE_EQ(scene_->calibrationFactor(), 1.0);
    clickRadio(find<QRadioButton>(&dock, "rbGroup1"));
    EXPECT_EQ(distance->text(), "10.00");
    EXPECT_DOUBLE_EQ(scene_->calibrationFactor(), 0.025);

    // Reset: one millimetre per pixel, shown and in force alike.
    unit->setCurrentIndex(0);
    QTest::mouseClick(find<QPushButton>(&dock, "resetBtn"), Qt::LeftButton);
    EXPECT_DOUBLE_EQ(scene_->calibrationFactor(), 1.0);
    EXPECT_EQ(scene_->unit(), 1);
    EXPECT_EQ(unit->currentIndex(), 1);
    EXPECT_EQ(find<QLineEdit>(&dock, "leGroup1")->text(), "Group1");
}

TEST_F(TableTest, CalibrationFromAHostileSettingsFileFallsBackToOne) {
    settings_->setValue("Calibration/Group", 9);
    settings_->setValue("Group1/Distance", "1e308");
    settings_->setValue("Group1/PixelCount", "1e-308");
    settings_->setValue("Group1/Unit", 7);
    settings_->sync();
    DockCalibration dock(window_.get(), scene_, *settings_);
    EXPECT_EQ(dock.currentGroup(), 1);
    EXPECT_DOUBLE_EQ(scene_->calibrationFactor(), 1.0);
    EXPECT_EQ(find<QComboBox>(&dock, "cbUnit")->currentIndex(), 2);
}

TEST_F(TableTest, PropertyDockShowsAndAppliesTheSelectedMark) {
    DockProperty& dock = *controller_->dockProperty();
    auto* apply = find<QPushButton>(&dock, "btnApply");
    dock.show();
    QTest::mouseClick(apply, Qt::LeftButton);
    ASSERT_EQ(prompts_.boxes, QStringList{"Info: Please select a mark first!"});

    scene_->setToolMode(InteractiveScene::kLine);
    click({100, 100});
    click({200, 100});
    scene_->marks()[0]->setColour(QColor("#123456"));
    scene_->marks()[0]->setWidth(45);
    scene_->setToolMode(InteractiveScene::kSelect);
    click({150, 100});  // the selection reaches the dock through the controller
    EXPECT_EQ(find<QComboBox>(&dock, "cbColor")->currentIndex(), 7);
    EXPECT_EQ(find<QSlider>(&dock, "sdWidth")->value(), 20);
    EXPECT_EQ(find<QLabel>(&dock, "lblWidth")->text(), "20");
    find<QCheckBox>(&dock, "chkMark")->setChecked(false);
    QTest::mouseClick(apply, Qt::LeftButton);
    const Mark& line = *scene_->marks()[0];
    EXPECT_EQ(line.colour(), QColor(Qt::yellow));
    EXPECT_EQ(line.width(), 20);
    EXPECT_TRUE(line.labels().isEmpty());

    find<QComboBox>(&dock, "cbColor")->setCurrentIndex(5);
    QTest::mouseClick(apply, Qt::LeftButton);
    EXPECT_EQ(line.colour(), QColor(0, 255, 255));
}

}  // namespace
