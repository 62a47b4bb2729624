// SPDX-License-Identifier: MIT
// Pictures from a running virtual camera: single capture while paused, trigger-mode snapshots.
#include <gtest/gtest.h>

#include <QAction>
#include <QDate>
#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QTest>
#include <memory>

#include "AppGlobals.h"
#include "DockMessage.h"
#include "DockPreview.h"
#include "FrameBufferPool.h"
#include "MainWindow.h"
#include "ShellTestSupport.h"
#include "ShotScheduler.h"
#include "SnapshotController.h"
#include "VideoPipeline.h"
#include "usb/host/Driver.h"
#include "vidscope/camera_api.h"

namespace {

class PictureLiveTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        dir_.writeSettings({{"Language/Lang", 1}, {"File/Path", dir_.path()}, {"File/Type", 1}});
        ports_ = vidscope::host::Driver::instance().attachVirtualCameras(GetParam());
        ASSERT_EQ(ports_.size(), 1u);
        window_ = std::make_unique<MainWindow>();
        window_->show();
        // A precondition, not a measurement: a 14-megapixel camera on a loaded machine may take
        // a while to deliver its first frame.
        ASSERT_TRUE(spinUntil([&] { return pipeline()->displayedFrames() >= 1; }, 30000));
    }
    void TearDown() override {
        saveSnapshotInTrigger.store(false);
        autoTrigger.store(false);
        window_.reset();
        for (auto id : ports_)
            vidscope::host::Driver::instance().detach(id);
    }
    VideoPipeline* pipeline() const { return window_->videoPipeline(); }
    QAction* action(const char* name) const {
        return window_->findChild<QAction*>(QString::fromLatin1(name));
    }
    QSize cameraSize() const {
        unsigned int w = 0;
        unsigned int h = 0;
        EXPECT_TRUE(CameraGetImageSize(currentCamera.load(), &w, &h));
        return QSize(int(w), int(h));
    }
    // Pauses and waits until the frames still queued were dropped by the processing threads.
    void pause() {
        action("action_Stop")->trigger();
        ASSERT_TRUE(spinUntil([&] { return pipeline()->queue().size() == 0; }));
        // Frames converted just before the pause may still be on their way to the window.
        QTest::qWait(300);
    }
    QStringList log() const { return logColumn(*window_->dockMessage()->table(), 2); }

    ScopedWorkDir dir_;
    std::vector<vidscope::host::Driver::PortId> ports_;
    std::unique_ptr<MainWindow> window_;
};

TEST_P(PictureLiveTest, SingleCaptureShowsOneFrameWhilePausedWithoutKeepingItsBuffer) {
    pause();
    QAction* single = action("actionSingle_Capture");
    ASSERT_TRUE(single->isEnabled());
    const qsizetype rowsAtPause = log().size();
    const long long shown = pipeline()->displayedFrames();
    const uchar* before = pipeline()->displayedImage().constBits();
    single->trigger();
    EXPECT_EQ(pipeline()->displayedFrames(), shown + 1) << log().join("/").toStdString();
    EXPECT_EQ(pipeline()->displayedImage().size(), cameraSize());
    EXPECT_NE(pipeline()->displayedImage().constBits(), before);
    const std::size_t live = FrameBufferPool::instance().liveCount();

    // A second capture replaces the first: the pool holds as many buffers as before.
    single->trigger();
    EXPECT_EQ(pipeline()->displayedFrames(), shown + 2);
    EXPECT_EQ(FrameBufferPool::instance().liveCount(), live);
    // No failure since the pause (the start-up of a large camera may time out once before).
    EXPECT_FALSE(log().mid(0, log().size() - rowsAtPause).contains("CameraQueryImage"))
        << logColumn(*window_->dockMessage()->table(), 1).join("/").toStdString();
    // Still paused: nothing else arrives.
    QTest::qWait(200);
    EXPECT_EQ(pipeline()->displayedFrames(), shown + 2);
}

// Every frame of a large sensor is a large file: the smaller camera keeps the test quick.
using TriggerSnapshotTest = PictureLiveTest;

TEST_P(TriggerSnapshotTest, TriggerModeSavesEveryShownFrameWhileTheSwitchIsOn) {
    ASSERT_TRUE(CameraSetSnapMode(currentCamera.load(), 2))
        << GetParam() << ": " << CameraGetErrorName(CameraGetLastError());
    autoTrigger.store(true);
    const long long triggered = pipeline()->displayedFrames();
    ASSERT_TRUE(spinUntil([&] { return pipeline()->displayedFrames() >= triggered + 3; }))
        << log().join("/").toStdString() << " frames " << pipeline()->displayedFrames() << " stale "
        << pipeline()->staleDrops() << " captured " << pipeline()->capturedFrames();
    EXPECT_TRUE(QDir(dir_.path()).entryList({"*.jpg"}).isEmpty());  // switch still off

    saveSnapshotInTrigger.store(true);
    const long long from = pipeline()->displayedFrames();
    ASSERT_TRUE(spinUntil([&] { return pipeline()->displayedFrames() >= from + 3; }));
    saveSnapshotInTrigger.store(false);
    const QStringList saved = QDir(dir_.path()).entryList({"*.jpg"});
    EXPECT_GE(saved.size(), 2);  // two frames may share a millisecond's name
    EXPECT_EQ(window_->dockPreview()->table()->rowCount(),
              int(pipeline()->displayedFrames() - from));
    EXPECT_EQ(QImageReader(dir_.path() + "/" + saved.first()).size(), cameraSize());

    // Back in continuous mode nothing more is saved, switch or not.
    saveSnapshotInTrigger.store(true);
    ASSERT_TRUE(CameraSetSnapMode(currentCamera.load(), 1));
    const int rows = window_->dockPreview()->table()->rowCount();
    const long long later = pipeline()->displayedFrames();
    ASSERT_TRUE(spinUntil([&] { return pipeline()->displayedFrames() >= later + 3; }));
    EXPECT_EQ(window_->dockPreview()->table()->rowCount(), rows);
}

TEST_P(TriggerSnapshotTest, TimedShotsRunWithTheVideoAndRestAtAPause) {
    window_->createShotTimer(1, 1, 1.0);
    const ShotScheduler& scheduler = window_->snapshots()->scheduler();
    EXPECT_TRUE(scheduler.isTicking());
    action("action_Stop")->trigger();
    EXPECT_FALSE(scheduler.isTicking());
    action("action_Play")->trigger();
    EXPECT_TRUE(scheduler.isTicking());
    // Every second lands in today's day folder while the video runs.
    const QString day = dir_.path() + "/" + QDate::currentDate().toString("yyyyMMdd");
    EXPECT_TRUE(spinUntil([&] { return QDir(day).entryList({"*.jpg"}).size() >= 2; }, 5000));
    window_->shutdownShotTimer();
    EXPECT_FALSE(scheduler.isTicking());
}

// 0500 streams over USB 2 without pause; 3E00 is a USB 3 camera that a pause stops.
INSTANTIATE_TEST_SUITE_P(Cameras, PictureLiveTest, ::testing::Values("0500", "3E00"));
INSTANTIATE_TEST_SUITE_P(Cameras, TriggerSnapshotTest, ::testing::Values("0500"));

TEST(SingleCaptureFailureTest, WithoutACameraTheFailureIsLoggedAndNothingShown) {
    ScopedWorkDir dir;
    dir.writeSettings({{"Language/Lang", 1}});
    MainWindow window;
    const std::size_t live = FrameBufferPool::instance().liveCount();
    QAction* single = window.findChild<QAction*>("actionSingle_Capture");
    single->setEnabled(true);
    single->trigger();
    EXPECT_EQ(window.videoPipeline()->displayedFrames(), 0);
    EXPECT_EQ(logColumn(*window.dockMessage()->table(), 2).first(), "CameraGetImageSize");
    EXPECT_EQ(FrameBufferPool::instance().liveCount(), live);
    window.close();
}

}  // namespace
