// SPDX-License-Identifier: MIT
// The settings dialog inside the real main window: menu, region pick, camera switch and unplug.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QSlider>
#include <QThread>
#include <memory>

#include "CameraController.h"
#include "LiveImageItem.h"
#include "MainWindow.h"
#include "SettingDialog.h"
#include "SettingsTestSupport.h"
#include "VideoPipeline.h"

namespace {

// A wait bounds a hang and checks no speed, so the slower instrumented builds wait longer.
bool spinUntil(const std::function<bool()>& done, int ms = 10000) {
#ifdef VIDSCOPE_SANITIZER_BUILD
    constexpr int kWaitScale = 4;
#else
    constexpr int kWaitScale = 1;
#endif
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > qint64(ms) * kWaitScale)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

class SettingWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        QSettings("setting.ini", QSettings::IniFormat).setValue("Language/Lang", 1);
        for (auto id : vidscope::host::Driver::instance().attachVirtualCameras("0500,012B"))
            ports_.push_back(id);
        window_ = std::make_unique<MainWindow>();
        dialog_ = window_->settingDialog();
        ASSERT_NE(dialog_, nullptr);
    }
    void TearDown() override {
        window_.reset();
        for (auto id : ports_)
            vidscope::host::Driver::instance().detach(id);
    }
    QAction* action(const char* name) const {
        return window_->findChild<QAction*>(QString::fromLatin1(name));
    }

    CameraWorkspace space_;
    RecordingPrompts prompts_;
    std::vector<vidscope::host::Driver::PortId> ports_;
    std::unique_ptr<MainWindow> window_;
    SettingDialog* dialog_ = nullptr;
};

TEST_F(SettingWindowTest, SettingActionAndMenuActOnTheDialog) {
    EXPECT_TRUE(window_->findChild<QMenu*>("menuSettings")->isEnabled());
    EXPECT_FALSE(dialog_->isVisible());
    EXPECT_EQ(dialog_->camera(), 0);
    ASSERT_TRUE(CameraSetGamma(0, 0.4));
    action("action_Setting")->trigger();
    EXPECT_TRUE(dialog_->isVisible());
    EXPECT_EQ(dialog_->findChild<QSlider*>("hsGamma")->value(), 40) << "refreshed on opening";

    ASSERT_TRUE(CameraSetMirrorY(0, true));
    action("actionDefault")->trigger();
    EXPECT_EQ(CameraGetMirrorY(0), 0);
    EXPECT_DOUBLE_EQ(CameraGetGamma(0), 1.33);

    prompts_.fileName = space_.path("menu.txt");
    action("actionSave_As")->trigger();
    ASSERT_TRUE(CameraSetGamma(0, 0.9));
    action("actionLoad_From")->trigger();
    EXPECT_DOUBLE_EQ(CameraGetGamma(0), 1.33);
}

TEST_F(SettingWindowTest, PickedRegionIsAppliedAndSelectsTheRoiEntry) {
    prompts_.button = QMessageBox::Yes;
    action("action_Setting")->trigger();
    dialog_->findChild<QPushButton*>("drawROI")->click();
    EXPECT_TRUE(window_->drawRoiState());
    EXPECT_FALSE(dialog_->isVisible());

    emit window_->regionPicked(256, 128, 800, 600);
    EXPECT_FALSE(window_->drawRoiState());
    EXPECT_EQ(dialog_->findChild<QLineEdit*>("leOffsetX")->text(), "256");
    QComboBox* resolutions = window_->resolutionBox();
    EXPECT_EQ(resolutions->currentIndex(), resolutions->count() - 1);
    EXPECT_EQ(resolutions->currentText(), "ROI");
    unsigned int width = 0, height = 0;
    ASSERT_TRUE(CameraGetImageSize(0, &width, &height));
    EXPECT_EQ(width, 800u);
    EXPECT_EQ(height, 600u);

    // A second region while the list already shows "ROI": the live view goes on at the new
    // size.
    emit window_->regionPicked(0, 0, 320, 240);
    ASSERT_TRUE(CameraGetImageSize(0, &width, &height));
    EXPECT_EQ(width, 320u);
    VideoPipeline* pipeline = window_->videoPipeline();
    const long long shown = pipeline->displayedFrames();
    ASSERT_TRUE(spinUntil([&] { return pipeline->displayedFrames() >= shown + 3; }));
    ASSERT_NE(pipeline->liveItem(), nullptr);
    EXPECT_EQ(pipeline->liveItem()->boundingRect().size(), QSizeF(320, 240));
}

TEST_F(SettingWindowTest, DialogFollowsCameraSwitchAndUnplug) {
    EXPECT_FALSE(dialog_->monochrome());
    window_->cameraBox()->setCurrentIndex(1);
    EXPECT_EQ(dialog_->camera(), 1);
    EXPECT_TRUE(dialog_->monochrome());
    EXPECT_FALSE(dialog_->findChild<QWidget*>("gbWhiteBalance")->isEnabled());

    // Unplugging every camera leaves no camera open: the controls go grey.
    for (auto id : ports_)
        vidscope::host::Driver::instance().detach(id);
    ports_.clear();
    ASSERT_TRUE(spinUntil([&] { return dialog_->camera() == -1; }));
    EXPECT_FALSE(dialog_->findChild<QWidget*>("gbEnhancement")->isEnabled());
}

}  // namespace
