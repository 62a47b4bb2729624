// SPDX-License-Identifier: MIT
// The measurement tools in the real main window over live frames of a virtual camera.
#include <QFile>
#include <QGraphicsView>
#include <QSignalSpy>
#include <QToolBar>

#include "DockCalibration.h"
#include "DockProperty.h"
#include "MainWindow.h"
#include "MeasureFixture.h"
#include "VideoPipeline.h"
#include "usb/host/Driver.h"

namespace {

class WindowMeasureTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_.writeSettings({{"Language/Lang", 1}});
        ports_ = vidscope::host::Driver::instance().attachVirtualCameras("0500");
        ASSERT_EQ(ports_.size(), 1u);
    }
    void open() {
        window_ = std::make_unique<MainWindow>();
        window_->show();
        ASSERT_TRUE(spinUntil([&] { return window_->videoPipeline()->displayedFrames() >= 2; }));
    }
    void TearDown() override {
        window_.reset();
        for (auto id : ports_)
            vidscope::host::Driver::instance().detach(id);
    }
    QAction* action(const char* name) const {
        return window_->findChild<QAction*>(QString::fromLatin1(name));
    }
    void click(QPointF p, Qt::MouseButton button = Qt::LeftButton) {
        QGraphicsView* view = window_->findChild<QGraphicsView*>("gvMain");
        view->horizontalScrollBar()->setValue(0);
        view->verticalScrollBar()->setValue(0);
        QTest::mouseClick(view->viewport(), button, Qt::NoModifier, view->mapFromScene(p));
    }

    ScopedWorkDir dir_;
    RecordingPrompts prompts_;
    std::vector<vidscope::host::Driver::PortId> ports_;
    std::unique_ptr<MainWindow> window_;
};

TEST_F(WindowMeasureTest, SavedMarksComeBackWithTheFirstPicture) {
    QFile file("mark.txt");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("VLine #00ff00 1 1 | 40 7\r\nLine #00ffff 2 1 | 10 10 13 14\r\n");
    file.close();
    open();
    InteractiveScene* scene = window_->scene();
    ASSERT_EQ(scene->markCount(), 2);
    Statistics* table = window_->measureController()->statistics();
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_EQ(table->cellText(1, 0), "Line");
    EXPECT_EQ(table->cellText(1, 5), "5.000");

    // "Measure On/Off" clears marks and rows alike; "Load" brings them back.
    action("actionMeasure_On_Off")->trigger();
    EXPECT_EQ(scene->markCount(), 0);
    EXPECT_EQ(table->rowCount(), 0);
    action("actionLoad")->trigger();
    EXPECT_EQ(scene->markCount(), 2);
    EXPECT_EQ(table->rowCount(), 2);

    // Drawing with the tool action on the live picture, then the table through "details".
    action("actionLine")->trigger();
    click({100, 100});
    click({160, 180});
    EXPECT_EQ(scene->markCount(), 3);
    EXPECT_EQ(table->cellText(2, 5), "100.000");
    action("actionDetails")->trigger();
    EXPECT_TRUE(table->isVisible());
    action("actionCalibration_B")->trigger();
    EXPECT_TRUE(window_->measureController()->dockCalibration()->isVisible());
    action("actionProperty")->trigger();
    EXPECT_TRUE(window_->measureController()->dockProperty()->isVisible());
}

TEST_F(WindowMeasureTest, RegionPickReachesTheWindowSignalAndEndsTheMode) {
    open();
    QSignalSpy picked(window_.get(), &MainWindow::regionPicked);
    action("actionLine")->trigger();
    window_->setDrawROIState(true);
    EXPECT_FALSE(action("actionLine")->isChecked());
    click({33, 21});
    click({140, 90});
    ASSERT_EQ(picked.count(), 1);
    EXPECT_EQ(picked[0], QList<QVariant>({32, 20, 104, 68}));
    EXPECT_FALSE(window_->drawRoiState());
    EXPECT_EQ(window_->scene()->toolMode(), 0);
    EXPECT_EQ(window_->scene()->markCount(), 0);
    EXPECT_EQ(window_->measureController()->statistics()->rowCount(), 0);
    // Back in ordinary mode a rectangle is a measurement again.
    action("actionRectangle")->trigger();
    click({33, 21});
    click({140, 90});
    EXPECT_EQ(picked.count(), 1);
    EXPECT_EQ(window_->measureController()->statistics()->rowCount(), 1);
}

TEST_F(WindowMeasureTest, CoordinatesToolEndsAfterItsPoint) {
    open();
    action("actionCoordinates")->trigger();
    ASSERT_TRUE(action("actionCoordinates")->isChecked());
    click({50, 60});
    EXPECT_FALSE(action("actionCoordinates")->isChecked());
    EXPECT_EQ(window_->scene()->toolMode(), 0);
    EXPECT_EQ(window_->scene()->currentMark(), nullptr);
    ASSERT_EQ(window_->scene()->markCount(), 1);
    EXPECT_EQ(window_->measureController()->statistics()->cellText(0, 0), "Cross");
}

}  // namespace
