// SPDX-License-Identifier: MIT
// Saving and loading the mark file: round trip, precision, line ends and hostile files.
#include <QElapsedTimer>
#include <QFile>

#include "CircleMark.h"
#include "MeasureFixture.h"
#include "PolygonMark.h"

namespace {

class MarkFileTest : public MeasureFixture {
protected:
    void SetUp() override {
        addPicture();
        setZoom(1);
    }
    QString markFile() const { return scene_->markFileName(); }
    void writeFile(const QByteArray& bytes) const {
        QFile file(markFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray readFile() const {
        QFile file(markFile());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }
    void load() { controller_->loadMarks(); }
    void drawOneOfEach() {
        scene_->setToolMode(InteractiveScene::kLine);
        click({10, 20});
        click({31, 40});
        scene_->setToolMode(InteractiveScene::kAxisY);
        click({120, 7});
        scene_->setToolMode(InteractiveScene::kRectangle);
        click({200, 200});
        click({260, 240});
        scene_->setToolMode(InteractiveScene::kCircle);
        click({100, 110});
        click({110, 100});
        click({90, 100});
        scene_->setToolMode(InteractiveScene::kPolygon);
        click({300, 300});
        click({340, 300});
        click({300, 330}, Qt::MiddleButton);
        scene_->setToolMode(InteractiveScene::kNone);
    }
};

TEST_F(MarkFileTest, SaveLoadRoundTripLeavesDisabledMarksOut) {
    drawOneOfEach();
    ASSERT_EQ(scene_->markCount(), 5);
    scene_->marks()[1]->setColour(QColor(0x12, 0x34, 0x56));
    scene_->marks()[1]->setWidth(37);
    scene_->marks()[1]->setShowLabels(false);
    scene_->marks()[2]->setEnabled(false);
    controller_->saveMarks();
    EXPECT_TRUE(prompts_.boxes.isEmpty()) << prompts_.boxes.join('\n').toStdString();

    const QByteArray bytes = readFile();
    const QList<QByteArray> lines = bytes.split('\n');
    ASSERT_EQ(lines.size(), 5);  // four records and the empty rest after the last line end
    EXPECT_EQ(lines[0], "Line #00ffff 1 1 | 10 20 31 40\r");
    EXPECT_EQ(lines[1], "VLine #123456 37 0 | 120 7\r");
    EXPECT_EQ(lines[2], "Circle #ffff00 1 1 | 100 110 110 100 90 100\r");
    EXPECT_EQ(lines[3], "Polygon #ffff00 1 1 3 | 300 300 340 300 300 330 \r");

    const QStringList rowsBefore = {row(0).join(','), row(1).join(','), row(3).join(','),
                                    row(4).join(',')};
    load();
    ASSERT_EQ(scene_->markCount(), 4);
    ASSERT_EQ(table().rowCount(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(row(i).join(','), rowsBefore[i]) << i;
    const Mark& vline = *scene_->marks()[1];
    EXPECT_EQ(vline.colour(), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(vline.width(), 37);
    EXPECT_FALSE(vline.showLabels());
    EXPECT_EQ(vline.zValue(), InteractiveScene::kMarkZ);
    EXPECT_EQ(vline.scene(), scene_);
}

TEST_F(MarkFileTest, LoadReplacesMarksRecomputesWithTheFactorAndSkipsBadLines) {
    scene_->setToolMode(InteractiveScene::kAxisX);
    click({5, 5});
    writeFile(
        "Line #00ffff 1 1 | 1.23456789 2 4.5 6\r\n"
        "Banana #00ffff 1 1 | 1 2 3 4\r\n"
        "Polygon #ffff00 1 1 3 | 0 0 4 0 0 3 \r\n"
        "Circle #ffff00 1 1 | 0 0 5 5 10 10\r\n"  // collinear: describes no circle
        "Polygon #ffff00 1 1 9 | 0 0 4 0 0 3 \r\n"
        "Coordinates #ffffff 2 1 | 7 8\n");
    scene_->setCalibrationFactor(2);
    load();
    ASSERT_EQ(scene_->markCount(), 3);
    ASSERT_EQ(table().rowCount(), 3);
    EXPECT_EQ(row(0).mid(0, 3), QStringList({"Line", "2.469", "4.000"}));
    EXPECT_EQ(row(1), QStringList({"Polygon", "", "", "", "", "", "", "24.000"}));
    EXPECT_DOUBLE_EQ(static_cast<PolygonMark*>(scene_->marks()[1])->pixelArea(), 6);
    EXPECT_EQ(row(2)[0], "Cross");

    // Coordinates keep 6 significant digits through a save.
    controller_->saveMarks();
    EXPECT_TRUE(readFile().startsWith("Line #00ffff 1 1 | 1.23457 2 4.5 6\r\n"));
}

TEST_F(MarkFileTest, MissingEmptyAndHugeFiles) {
    scene_->setToolMode(InteractiveScene::kAxisX);
    click({5, 5});
    load();  // no file: the marks go, nothing is said
    EXPECT_EQ(scene_->markCount(), 0);
    EXPECT_EQ(table().rowCount(), 0);
    EXPECT_TRUE(prompts_.boxes.isEmpty());

    // Saving nothing asks first and keeps the file unless Save is chosen.
    writeFile("VLine #00ff00 1 1 | 5 6\r\n");
    prompts_.button = QMessageBox::Cancel;
    controller_->saveMarks();
    ASSERT_EQ(prompts_.boxes.size(), 1);
    EXPECT_EQ(prompts_.boxes[0], "Override?: No marks in the curvas, do you still want to save?");
    EXPECT_EQ(readFile(), "VLine #00ff00 1 1 | 5 6\r\n");
    prompts_.button = QMessageBox::Save;
    controller_->saveMarks();
    EXPECT_EQ(readFile(), "");

    {
        QFile file(markFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        const QByteArray block(1 << 20, 'x');
        for (int i = 0; i < 100; ++i)
            file.write(block);
    }
    prompts_.boxes.clear();
    QElapsedTimer timer;
    timer.start();
    load();
    EXPECT_LT(timer.elapsed(), 2000);
    EXPECT_EQ(scene_->markCount(), 0);
    ASSERT_EQ(prompts_.boxes.size(), 1);
    EXPECT_TRUE(prompts_.boxes[0].contains("too large")) << prompts_.boxes[0].toStdString();
}

TEST_F(MarkFileTest, UnwritableFileIsReportedAndNothingElseChanges) {
    scene_->setToolMode(InteractiveScene::kAxisX);
    click({5, 5});
    scene_->setMarkFileName(dir_.path() + "/no-such-dir/mark.txt");
    controller_->saveMarks();
    ASSERT_EQ(prompts_.boxes.size(), 1);
    EXPECT_TRUE(prompts_.boxes[0].contains("not saved")) << prompts_.boxes[0].toStdString();
    EXPECT_EQ(scene_->markCount(), 1);
}

}  // namespace
