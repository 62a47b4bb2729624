// SPDX-License-Identifier: MIT
// The diagnostic dialogs inside the real main window: menus, log, title and settings at opening.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QTableWidget>

#include "DiagnosticWindows.h"
#include "DockMessage.h"
#include "Histogram.h"
#include "IOControl.h"
#include "MainWindow.h"
#include "RWRegister.h"
#include "ShellTestSupport.h"
#include "ToolsTestSupport.h"
#include "VideoPipeline.h"

namespace {

class DiagnosticWindowsTest : public ::testing::Test {
protected:
    void open(std::vector<std::pair<QString, QVariant>> settings, const char* cameras) {
        if (cameras != nullptr)
            ports_ = vidscope::host::Driver::instance().attachVirtualCameras(cameras);
        settings.insert(settings.begin(), {"Language/Lang", 1});
        dir_.writeSettings(settings);
        qputenv("VIDSCOPE_VIRTUAL_DIR", dir_.path().toLocal8Bit());
        window_ = std::make_unique<MainWindow>();
    }
    void TearDown() override {
        if (window_)
            window_->close();
        window_.reset();
        for (auto id : ports_)
            vidscope::host::Driver::instance().detach(id);
        autoTrigger.store(false);
    }
    void trigger(const char* action) { window_->findChild<QAction*>(action)->trigger(); }
    QStringList logFunctions() const { return logColumn(*window_->dockMessage()->table(), 2); }

    ScopedWorkDir dir_;
    RecordingPrompts prompts_;
    std::vector<vidscope::host::Driver::PortId> ports_;
    std::unique_ptr<MainWindow> window_;
};

TEST_F(DiagnosticWindowsTest, HistogramWithoutPictureAsksToPlay) {
    open({}, nullptr);
    trigger("actionHistogram");
    EXPECT_EQ(prompts_.boxes, QStringList{"Notice: Please play the video!"});
    EXPECT_FALSE(window_->diagnostics()->histogram()->isVisible());
}

TEST_F(DiagnosticWindowsTest, OpeningAppliesTheIoSettingsAndTheMenusShowTheDialogs) {
    open({{"Control/TriggerMode", 2}, {"Control/AutoTrigger", 1}, {"Feature/Management", 1}},
         "3030");
    EXPECT_EQ(window_->windowTitle(), "vidScope [Trigger Mode]");
    EXPECT_EQ(CameraGetSnapMode(0), 2);
    EXPECT_TRUE(autoTrigger.load());
    EXPECT_TRUE(window_->diagnostics()->rwRegister()->managementEnabled);
    // Auto trigger keeps the picture coming in trigger mode.
    ASSERT_TRUE(spinUntil([&] { return window_->videoPipeline()->displayedFrames() > 2; }));

    trigger("actionHistogram");
    Histogram* histogram = window_->diagnostics()->histogram();
    EXPECT_TRUE(histogram->isVisible());
    EXPECT_EQ(histogram->image().size(), QSize(752, 480));
    EXPECT_EQ(histogram->findChild<QLabel*>("lbDepth")->text(), "24");
    trigger("actionR_W_Register");
    EXPECT_TRUE(window_->diagnostics()->rwRegister()->isVisible());
    trigger("actionIO_Control");
    EXPECT_TRUE(window_->diagnostics()->ioControl()->isVisible());

    // Reports of the dialogs reach the message log.
    emit window_->diagnostics()->ioControl()->toTable("CameraTriggerShot", 8);
    EXPECT_TRUE(logFunctions().contains("CameraTriggerShot"));
    EXPECT_TRUE(prompts_.boxes.isEmpty());
}

TEST_F(DiagnosticWindowsTest, FreshSettingsGiveThePlainTitleAndNoManagement) {
    open({}, "3030");
    EXPECT_EQ(window_->windowTitle(), "vidScope");
    EXPECT_EQ(CameraGetSnapMode(0), 1);
    EXPECT_FALSE(window_->diagnostics()->rwRegister()->managementEnabled);
}

}  // namespace
