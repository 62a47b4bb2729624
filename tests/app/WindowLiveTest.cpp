// SPDX-License-Identifier: MIT
// The whole window against a virtual camera: start-up, live frames, pixel readout and close.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QElapsedTimer>
#include <QGraphicsSceneMouseEvent>
#include <QLabel>
#include <QRegularExpression>
#include <memory>

#include "DockMessage.h"
#include "ImageView.h"
#include "InteractiveScene.h"
#include "LiveImageItem.h"
#include "MainWindow.h"
#include "ShellTestSupport.h"
#include "VideoPipeline.h"
#include "usb/host/Driver.h"

namespace {

class WindowLiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_.writeSettings({{"Language/Lang", 1}});
        ports_ = vidscope::host::Driver::instance().attachVirtualCameras("0500");
        ASSERT_EQ(ports_.size(), 1u);
        window_ = std::make_unique<MainWindow>();
        window_->show();
    }
    void TearDown() override {
        window_.reset();
        for (auto id : ports_) {
            vidscope::host::Driver::instance().detach(id);
        }
    }

    ScopedWorkDir dir_;
    std::vector<vidscope::host::Driver::PortId> ports_;
    std::unique_ptr<MainWindow> window_;
};

TEST_F(WindowLiveTest, StartUpOpensCameraZeroAndShowsLiveFrames) {
    EXPECT_EQ(window_->cameraBox()->count(), 1);
    EXPECT_EQ(window_->cameraBox()->currentIndex(), 0);
    EXPECT_GT(window_->resolutionBox()->count(), 1);
    EXPECT_EQ(window_->resolutionBox()->itemText(window_->resolutionBox()->count() - 1), "ROI");
    const QStringList log = logColumn(*window_->dockMessage()->table(), 1);
    EXPECT_TRUE(log.contains("Start video")) << log.join(" / ").toStdString();

    VideoPipeline* pipeline = window_->videoPipeline();
    ASSERT_TRUE(spinUntil([&] { return pipeline->displayedFrames() >= 3; }));
    const LiveImageItem* item = pipeline->liveItem();
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->scene(), window_->scene());
    EXPECT_LT(item->zValue(), InteractiveScene::kMarkZ);

    // A press on the picture reads the pixel under it into the status bar.
    QGraphicsSceneMouseEvent press(QEvent::GraphicsSceneMousePress);
    press.setScenePos(QPointF(10.5, 20));
    press.setButton(Qt::LeftButton);
    QCoreApplication::sendEvent(window_->scene(), &press);
    EXPECT_TRUE(QRegularExpression(R"(^Pos\(10\.5,20\)   Rgb\(\d+,\d+,\d+\)   Gray:\d+$)")
                    .match(window_->pixelLabel()->text())
                    .hasMatch())
        << window_->pixelLabel()->text().toStdString();

    // Fit Screen now has a picture to fit.
    const QSizeF size = item->boundingRect().size();
    window_->findChild<QAction*>("actionFit_Screen")->trigger();
    const double expected = std::min((window_->view()->width() - 2) / size.width(),
                                     (window_->view()->height() - 2) / size.height());
    EXPECT_DOUBLE_EQ(window_->zoomFactor(), expected);
    EXPECT_DOUBLE_EQ(window_->scene()->zoomFactor(), expected);
}

TEST_F(WindowLiveTest, ClosingWhileStreamingJoinsEveryThreadPromptly) {
    VideoPipeline* pipeline = window_->videoPipeline();
    ASSERT_TRUE(spinUntil([&] { return pipeline->displayedFrames() >= 1; }));
    QElapsedTimer timer;
    timer.start();
    EXPECT_TRUE(window_->close());
    // Closing waits for the conversions in flight, which instrumented builds make slower.
    EXPECT_LT(timer.elapsed(), 2000 * kWaitScale);
    EXPECT_FALSE(pipeline->anyWorkerRunning());
}

}  // namespace
