// SPDX-License-Identifier: MIT
// Drawing, selecting, moving and deleting marks with real clicks and keys on the view.
#include <QGraphicsEllipseItem>
#include <QGraphicsSceneMouseEvent>
#include <QSignalSpy>

#include "ArcMark.h"
#include "CircleMark.h"
#include "LineMark.h"
#include "MeasureFixture.h"
#include "PolygonMark.h"
#include "RectangleMark.h"
#include "VLineMark.h"

namespace {

TEST_P(ZoomedMeasureTest, LineTwoClicksGiveLabelAndRowInCalibratedUnits) {
    scene_->setCalibrationFactor(0.5);
    scene_->setUnit(1);
    scene_->setToolMode(InteractiveScene::kLine);
    click({10, 10});
    EXPECT_EQ(scene_->markCount(), 0);
    EXPECT_EQ(table().rowCount(), 0);
    move({12, 13});
    ASSERT_NE(scene_->currentMark(), nullptr);
    EXPECT_EQ(static_cast<LineMark*>(scene_->currentMark())->p2(), QPointF(12, 13));
    click({13, 14});
    ASSERT_EQ(scene_->markCount(), 1);
    EXPECT_EQ(scene_->currentMark(), nullptr);
    const Mark& line = *scene_->marks()[0];
    EXPECT_EQ(line.zValue(), InteractiveScene::kMarkZ);
    EXPECT_EQ(labelTexts(line), QStringList{"2.500[mm]"});
    // The label box is placed in screen pixels, whatever the zoom.
    const double z = GetParam();
    // Near the left edge the label goes to the right of the end point.
    EXPECT_EQ(line.labels()[0].box, QRectF(13 * z + 40, 14 * z, 40, 40));
    EXPECT_EQ(row(0), QStringList({"Line", "5.000", "5.000", "6.500", "7.000", "2.500", "", ""}));
}

TEST_P(ZoomedMeasureTest, RightClickDropsOnlyTheHalfDrawnMark) {
    scene_->setToolMode(InteractiveScene::kLine);
    click({20, 20});
    click({60, 20});
    click({30, 40});
    ASSERT_NE(scene_->currentMark(), nullptr);
    click({80, 80}, Qt::RightButton);
    EXPECT_EQ(scene_->currentMark(), nullptr);
    EXPECT_EQ(scene_->markCount(), 1);
    EXPECT_EQ(table().rowCount(), 1);
    // The next left click starts a new line rather than finishing the dropped one.
    click({100, 100});
    EXPECT_EQ(scene_->markCount(), 1);
    EXPECT_NE(scene_->currentMark(), nullptr);
}

TEST_P(ZoomedMeasureTest, SelectionBandAroundASegmentAndHandles) {
    scene_->setToolMode(InteractiveScene::kLine);
    click({100, 100});
    click({200, 100});
    scene_->setToolMode(InteractiveScene::kSelect);
    QSignalSpy selected(scene_, &InteractiveScene::markSelected);
    click({150, 108});  // 8 pixels beside the midpoint: outside the band
    EXPECT_EQ(scene_->selectedMark(), nullptr);
    EXPECT_EQ(scene_->selectedIndex(), -1);
    EXPECT_TRUE(scene_->handles().isEmpty());
    click({150, 107});  // 7 pixels: inside
    EXPECT_EQ(scene_->selectedMark(), scene_->marks()[0]);
    EXPECT_EQ(scene_->selectedIndex(), 0);
    EXPECT_EQ(selected.count(), 1);
    QList<QPointF> centres;
    for (const QGraphicsEllipseItem* handle : scene_->handles())
        centres << handle->rect().center();
    EXPECT_EQ(centres, QList<QPointF>({{100, 100}, {200, 100}, {150, 100}}));
    // A miss keeps the earlier selection but drops the handles.
    click({300, 300});
    EXPECT_TRUE(scene_->handles().isEmpty());
    EXPECT_EQ(scene_->selectedIndex(), 0);
}

TEST_P(ZoomedMeasureTest, OverlappingMarksSelectTheEarlierOneAndDeleteKeepsRowsInStep) {
    scene_->setToolMode(InteractiveScene::kAxisY);
    click({50, 10});
    click({100, 10});
    scene_->setToolMode(InteractiveScene::kAxisX);
    click({10, 200});
    scene_->setToolMode(InteractiveScene::kLine);
    click({40, 50});
    click({60, 50});  // crosses the first vertical line at (50, 50)
    ASSERT_EQ(scene_->markCount(), 4);
    ASSERT_EQ(table().rowCount(), 4);

    scene_->setToolMode(InteractiveScene::kSelect);
    click({50, 50});
    EXPECT_EQ(scene_->selectedIndex(), 0);
    key(Qt::Key_Delete);
    EXPECT_EQ(scene_->markCount(), 3);
    ASSERT_EQ(table().rowCount(), 3);
    // Row i still describes mark i.
    const QStringList types = {"VLine", "HLine", "Line"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(table().cellText(i, 0), types[i]);
        EXPECT_EQ(scene_->marks()[i]->markType(), i == 0   ? Mark::kVLine
                                                  : i == 1 ? Mark::kHLine
                                                           : Mark::kLine);
    }
    EXPECT_EQ(table().cellText(0, 1), "100.000");
    // Nothing selected any more: a second Delete removes nothing.
    key(Qt::Key_Delete);
    EXPECT_EQ(scene_->markCount(), 3);
    EXPECT_EQ(table().rowCount(), 3);
}

TEST_P(ZoomedMeasureTest, ArrowKeysMoveTheMarkAndRewriteItsRow) {
    scene_->setCalibrationFactor(2);
    scene_->setToolMode(InteractiveScene::kRectangle);
    click({10, 20});
    move({30, 30});
    click({40, 60});
    scene_->setToolMode(InteractiveScene::kAxisY);
    click({300, 5});
    scene_->setToolMode(InteractiveScene::kSelect);
    click({25, 20});  // on the rectangle's top edge
    ASSERT_EQ(scene_->selectedIndex(), 0);
    key(Qt::Key_Right);
    key(Qt::Key_Down);
    const auto* rectangle = static_cast<RectangleMark*>(scene_->marks()[0]);
    EXPECT_EQ(rectangle->p1(), QPointF(11, 21));
    EXPECT_EQ(row(0), QStringList({"Rectangle", "22.000", "42.000", "82.000", "122.000", "60.000",
                                   "80.000", "4800.000"}));
    EXPECT_EQ(scene_->handles()[0]->sceneBoundingRect().center(), QPointF(11, 21));

    // A vertical line ignores Up and Down entirely: not even its handles move.
    click({300, 240});
    ASSERT_EQ(scene_->selectedIndex(), 1);
    const QPointF handleBefore = scene_->handles()[0]->sceneBoundingRect().center();
    key(Qt::Key_Up);
    EXPECT_EQ(static_cast<VLineMark*>(scene_->marks()[1])->point().x(), 300);
    EXPECT_EQ(scene_->handles()[0]->sceneBoundingRect().center(), handleBefore);
    key(Qt::Key_Left);
    EXPECT_EQ(static_cast<VLineMark*>(scene_->marks()[1])->point().x(), 299);
    EXPECT_EQ(row(1).mid(0, 2), QStringList({"VLine", "598.000"}));
    EXPECT_EQ(row(1)[5], "598.000");
    // Any other key ends the selection; '+' then zooms instead of moving.
    key(Qt::Key_A);
    EXPECT_EQ(scene_->selectedMark(), nullptr);
}

TEST_P(ZoomedMeasureTest, CircleIgnoresACollinearThirdClickAndMeasuresTheRealOne) {
    scene_->setCalibrationFactor(2);
    scene_->setToolMode(InteractiveScene::kCircle);
    click({100, 110});
    click({110, 100});
    click({120, 90});  // on the line through the first two
    EXPECT_EQ(scene_->markCount(), 0);
    EXPECT_EQ(table().rowCount(), 0);
    click({90, 100});
    ASSERT_EQ(scene_->markCount(), 1);
    EXPECT_EQ(row(0),
              QStringList({"Circle", "200.000", "200.000", "", "", "20.000", "", "1256.637"}));
    EXPECT_EQ(labelTexts(*scene_->marks()[0]),
              QStringList({" O(200.000,200.000)[mm]", " R:20.000[mm]", " S:1256.637[mm^2]"}));
    // Selected on its rim, not at its centre.
    scene_->setToolMode(InteractiveScene::kSelect);
    click({100, 100});
    EXPECT_EQ(scene_->selectedMark(), nullptr);
    click({100, 90});
    EXPECT_EQ(scene_->selectedIndex(), 0);
    EXPECT_EQ(scene_->handles().size(), 4);
}

TEST_P(ZoomedMeasureTest, ArcQuarterTurnThroughPositiveX) {
    scene_->setToolMode(InteractiveScene::kArc);
    click({100, 100});
    click({100, 100});  // a ray needs a length: ignored
    click({150, 150});
    click({150, 50});
    ASSERT_EQ(scene_->markCount(), 1);
    const auto& arc = static_cast<const ArcMark&>(*scene_->marks()[0]);
    EXPECT_EQ(arc.arcAngles(), std::make_pair(5040, 1440));
    EXPECT_EQ(labelTexts(arc), QStringList{"90.000'"});
    EXPECT_EQ(row(0).mid(0, 3), QStringList({"Arc", "100.000", "100.000"}));
    EXPECT_NEAR(table().cellText(0, 5).toDouble(), 90.0, 0.001);
}

TEST_P(ZoomedMeasureTest, PolygonClosedWithTheMiddleButton) {
    scene_->setCalibrationFactor(0.5);
    scene_->setToolMode(InteractiveScene::kPolygon);
    click({10, 10});
    click({50, 10});
    move({30, 40});
    const auto* drawing = static_cast<PolygonMark*>(scene_->currentMark());
    ASSERT_NE(drawing, nullptr);
    EXPECT_EQ(drawing->vertexCount(), 2);
    EXPECT_EQ(drawing->vertex(2), QPointF(30, 40));  // the rubber band's end
    click({10, 30}, Qt::MiddleButton);
    ASSERT_EQ(scene_->markCount(), 1);
    EXPECT_EQ(static_cast<PolygonMark*>(scene_->marks()[0])->vertexCount(), 3);
    EXPECT_EQ(row(0), QStringList({"Polygon", "", "", "", "", "", "", "100.000"}));
}

TEST_P(ZoomedMeasureTest, CoordinateCrossFollowsTheMouseThenEndsItsTool) {
    QSignalSpy placed(scene_, &InteractiveScene::coordinatePointPlaced);
    QObject::connect(scene_, &InteractiveScene::coordinatePointPlaced, scene_, [this] {
        scene_->clearCurrentMark();
        scene_->setToolMode(InteractiveScene::kNone);
    });
    scene_->setToolMode(InteractiveScene::kCoordinates);
    ASSERT_NE(scene_->currentMark(), nullptr);
    move({70, 80});
    EXPECT_EQ(scene_->currentMark()->labels()[0].text, "(70.000,80.000)[mm]");
    click({75, 85});
    EXPECT_EQ(placed.count(), 1);
    EXPECT_EQ(scene_->currentMark(), nullptr);
    EXPECT_EQ(scene_->toolMode(), InteractiveScene::kNone);
    EXPECT_EQ(row(0), QStringList({"Cross", "75.000", "85.000", "", "", "75.000", "85.000", ""}));
}

INSTANTIATE_TEST_SUITE_P(Zoom, ZoomedMeasureTest, ::testing::Values(1.0, 2.0));

TEST_F(MeasureFixture, PressesBeforeAnyPictureOnlyReportTheirPosition) {
    QSignalSpy pixels(scene_, &InteractiveScene::pixelPressed);
    scene_->setToolMode(InteractiveScene::kAxisY);
    click({30, 40});
    EXPECT_EQ(pixels.count(), 1);
    EXPECT_EQ(scene_->markCount(), 0);
    EXPECT_EQ(table().rowCount(), 0);
}

TEST_F(MeasureFixture, PlusAndMinusZoomUnderTheMouseWhenNothingIsSelected) {
    addPicture();
    setZoom(1);
    move({100, 100});
    key(Qt::Key_Plus);
    EXPECT_DOUBLE_EQ(scene_->zoomFactor(), 1.2);
    key(Qt::Key_Minus);
    key(Qt::Key_Minus);
    EXPECT_NEAR(scene_->zoomFactor(), 1 / 1.2, 1e-12);
}

TEST_F(MeasureFixture, RegionPickRoundsAndLeavesNoTrace) {
    addPicture();
    QSignalSpy picked(scene_, &InteractiveScene::regionPicked);
    scene_->setDrawRoiState(true);
    scene_->setToolMode(InteractiveScene::kRectangle);
    // Fractional scene points, as a zoomed view delivers them.
    for (QPointF p : {QPointF(101.7, 51.2), QPointF(10.2, 300.9)}) {
        QGraphicsSceneMouseEvent press(QEvent::GraphicsSceneMousePress);
        press.setScenePos(p);
        press.setButton(Qt::LeftButton);
        press.setButtons(Qt::LeftButton);
        QCoreApplication::sendEvent(scene_, &press);
    }
    ASSERT_EQ(picked.count(), 1);
    EXPECT_EQ(picked[0], QList<QVariant>({10, 50, 88, 248}));
    EXPECT_EQ(scene_->markCount(), 0);
    EXPECT_EQ(scene_->currentMark(), nullptr);
    EXPECT_EQ(table().rowCount(), 0);

    // The same through the view at zoom 2, while a rectangle shows no labels.
    setZoom(2);
    click({21, 33});
    ASSERT_NE(scene_->currentMark(), nullptr);
    EXPECT_TRUE(scene_->currentMark()->labels().isEmpty());
    click({120.5, 100});
    ASSERT_EQ(picked.count(), 2);
    EXPECT_EQ(picked[1], QList<QVariant>({20, 32, 96, 64}));
    EXPECT_EQ(table().rowCount(), 0);
}

TEST_F(MeasureFixture, FiftiethPolygonVertexClosesIt) {
    addPicture();
    setZoom(1);
    scene_->setToolMode(InteractiveScene::kPolygon);
    for (int i = 0; i < PolygonMark::kMaxVertices; ++i) {
        const QPointF p(10 + 5 * i, i % 2 == 0 ? 100 : 150);
        if (i > 0)
            move(p);  // fills the rubber-band slot, which must exist until the last vertex
        click(p);
    }
    ASSERT_EQ(scene_->markCount(), 1);
    const auto* polygon = static_cast<PolygonMark*>(scene_->marks()[0]);
    EXPECT_EQ(polygon->vertexCount(), PolygonMark::kMaxVertices);
    EXPECT_EQ(polygon->state(), 2);
    EXPECT_EQ(table().rowCount(), 1);
    // The next click starts a new polygon instead of writing past the array.
    click({400, 400});
    EXPECT_NE(scene_->currentMark(), nullptr);
    EXPECT_EQ(scene_->markCount(), 1);
}

}  // namespace
