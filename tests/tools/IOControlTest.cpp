// SPDX-License-Identifier: MIT
// The IO control dialog: stored settings applied to cameras, the switches, and trigger mode live.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <QSettings>
#include <QTest>

#include "IOControl.h"
#include "LiveVideoFixture.h"
#include "ToolsTestSupport.h"

namespace {

class IOControlTest : public VirtualCameraTest {
protected:
    void build() {
        dialog_ = std::make_unique<IOControl>();
        QObject::connect(dialog_.get(), &IOControl::toTable, [this](QString f, int e) {
            reports_.push_back({f, e});
        });
        QObject::connect(dialog_.get(), &IOControl::mainTitleChanged,
                         [this](QString t) { title_ = t; });
        // Shown, so that the check boxes have their real geometry for the clicks.
        dialog_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog_.get()));
    }
    void store(std::vector<std::pair<const char*, int>> values) {
        QSettings ini("setting.ini", QSettings::IniFormat);
        for (auto [key, value] : values)
            ini.setValue(key, value);
    }
    int stored(const char* key) const {
        return QSettings("setting.ini", QSettings::IniFormat).value(key, -1).toInt();
    }
    QCheckBox* box(const char* name) const {
        QCheckBox* found = dialog_->findChild<QCheckBox*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    // On the indicator: a check box stretched by its layout takes clicks only near its text.
    void click(const char* name) {
        auto* button = dialog_->findChild<QAbstractButton*>(QLatin1String(name));
        ASSERT_NE(button, nullptr) << name;
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
    }
    bool reported(const char* function) const {
        for (const Report& r : reports_)
            if (r.function == function)
                return true;
        return false;
    }

    RecordingPrompts prompts_;
    std::unique_ptr<IOControl> dialog_;
    std::vector<Report> reports_;
    QString title_ = "unset";
};

TEST_F(IOControlTest, FreshSettingsGiveContinuousModeOutputLowAndThePlainTitle) {
    auto firmware = plug("3500");
    ASSERT_TRUE(firmware);
    ASSERT_GE(CameraSetGPIO(0, 0x80, 0x80), 0);
    ASSERT_TRUE(CameraSetSnapMode(0, 2));
    build();
    EXPECT_EQ(dialog_->windowTitle(), "IO Control");
    dialog_->cameraChanged(0);
    EXPECT_EQ(CameraGetSnapMode(0), 1);
    EXPECT_EQ(title_, "vidScope");
    EXPECT_EQ(CameraGetGPIO(0) & 0x80, 0);
    EXPECT_FALSE(box("cbTriggerMode")->isChecked());
    EXPECT_FALSE(box("cbOut")->isChecked());
    EXPECT_FALSE(box("cbEnableStrobe")->isChecked());
    EXPECT_TRUE(box("cbStrobePolarity")->isEnabled()) << "0x3500 & 0xFFF is 0x500";
    EXPECT_FALSE(autoTrigger.load());
    EXPECT_TRUE(reports_.empty());
}

TEST_F(IOControlTest, StoredSettingsAreAppliedAtOpening) {
    auto firmware = plug("3500");
    ASSERT_TRUE(firmware);
    store({{"Control/TriggerMode", 2},
           {"Control/Out", 1},
           {"Control/EnableStrobe", 1},
           {"Control/AutoTrigger", 1},
           {"Control/SaveSnap", 1}});
    build();
    dialog_->cameraChanged(0);
    EXPECT_EQ(CameraGetSnapMode(0), 2);
    EXPECT_EQ(title_, "vidScope [Trigger Mode]");
    EXPECT_EQ(CameraGetGPIO(0) & 0x80, 0x80);
    unsigned int reg = 0;
    ASSERT_TRUE(CameraReadSCCB(0, 0, 0x1E, &reg, 0));
    EXPECT_EQ(reg & 0x10, 0x10u) << "strobe enabled";
    EXPECT_TRUE(box("cbTriggerMode")->isChecked());
    EXPECT_TRUE(box("cbOut")->isChecked());
    EXPECT_TRUE(box("cbEnableStrobe")->isChecked());
    EXPECT_TRUE(box("cbAutoTrigger")->isChecked());
    EXPECT_TRUE(box("cbSaveSnapshot")->isChecked());
    EXPECT_TRUE(autoTrigger.load());
    EXPECT_TRUE(saveSnapshotInTrigger.load());
    EXPECT_EQ(stored("Control/AutoTrigger"), 1) << "applying rewrites nothing differently";
}

TEST_F(IOControlTest, SwitchesAreStoredAndSentAtOnce) {
    auto firmware = plug("3500");
    ASSERT_TRUE(firmware);
    build();
    dialog_->cameraChanged(0);
    click("cbOut");
    EXPECT_EQ(stored("Control/Out"), 1);
    EXPECT_EQ(CameraGetGPIO(0) & 0x80, 0x80);
    click("cbStrobePolarity");
    EXPECT_EQ(stored("Control/StrobePolarity"), 1);
    unsigned int reg = 0;
    ASSERT_TRUE(CameraReadSCCB(0, 0, 0x1E, &reg, 0));
    EXPECT_EQ(reg & 0x20, 0x20u);
    click("cbAutoTrigger");
    click("cbSaveSnapshot");
    EXPECT_TRUE(autoTrigger.load());
    EXPECT_TRUE(saveSnapshotInTrigger.load());
    EXPECT_EQ(stored("Control/AutoTrigger"), 1);
    EXPECT_EQ(stored("Control/SaveSnap"), 1);
    click("cbTriggerMode");
    EXPECT_EQ(stored("Control/TriggerMode"), 2);
    EXPECT_EQ(title_, "vidScope [Trigger Mode]");
    click("cbTriggerMode");
    EXPECT_EQ(stored("Control/TriggerMode"), 1);
    EXPECT_EQ(title_, "vidScope");
    EXPECT_TRUE(reports_.empty());
}

TEST_F(IOControlTest, CameraWithoutTriggerRefusesTheModeAndLogsErrorEight) {
    auto firmware = plug("0100");
    ASSERT_TRUE(firmware);
    build();
    dialog_->cameraChanged(0);
    reports_.clear();
    click("cbTriggerMode");
    EXPECT_EQ(prompts_.boxes, QStringList{"Warning: Trigger mode not supported."});
    EXPECT_FALSE(box("cbTriggerMode")->isChecked());
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(reports_[0], (Report{"CameraSetSnapMode", CAMERA_ERROR_NOT_SUPPORTED}));
    EXPECT_EQ(stored("Control/TriggerMode"), -1) << "a refused mode is not stored";
    click("btnTrigger");
    EXPECT_TRUE(reported("CameraTriggerShot"));
}

TEST_F(IOControlTest, StrobePolarityOnlyForFamiliesThatHaveIt) {
    // Only the low twelve bits name the family.
    EXPECT_TRUE(IOControl::supportsStrobePolarity(0x312B));
    auto firmware = plug("3E60");
    ASSERT_TRUE(firmware);
    build();
    dialog_->cameraChanged(0);
    EXPECT_FALSE(box("cbStrobePolarity")->isEnabled());
    dialog_->cameraChanged(-1);
    EXPECT_FALSE(box("cbOut")->isEnabled());
    EXPECT_FALSE(box("cbTriggerMode")->isEnabled());
    EXPECT_TRUE(box("cbAutoTrigger")->isEnabled()) << "an application switch, not the camera's";
}

TEST_F(IOControlTest, UnpluggedCameraOnlyLogs) {
    ASSERT_TRUE(plug("3500"));
    build();
    dialog_->cameraChanged(0);
    unplug();
    reports_.clear();
    for (const char* name :
         {"btnRefresh", "cbOut", "cbEnableStrobe", "cbStrobePolarity", "btnTrigger"})
        click(name);
    for (const char* function :
         {"CameraGetGPIO", "CameraSetGPIO", "CameraEnableStrobe", "CameraSetStrobePolarity"})
        EXPECT_TRUE(reported(function)) << function;
    click("cbTriggerMode");
    EXPECT_TRUE(reported("CameraSetSnapMode"));
    EXPECT_EQ(stored("Control/Out"), 1) << "stored before the result is looked at";
}

// The whole frame path in trigger mode: the controller opens the camera, the dialog switches
// the mode, the capture thread waits quietly and each trigger shows one frame.
class TriggerModeLiveTest : public LiveVideoFixture {
protected:
    void SetUp() override {
        LiveVideoFixture::SetUp();
        dialog_ = std::make_unique<IOControl>();
        QObject::connect(dialog_.get(), &IOControl::toTable, [this](QString f, int e) {
            log_.push_back({f, e});
        });
        dialog_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog_.get()));
    }
    void TearDown() override {
        LiveVideoFixture::TearDown();
        dialog_.reset();
        autoTrigger.store(false);
    }
    // On the indicator: a check box stretched by its layout takes clicks only near its text.
    void click(const char* name) {
        auto* button = dialog_->findChild<QAbstractButton*>(QLatin1String(name));
        ASSERT_NE(button, nullptr) << name;
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
    }
    // Waits until no frame has been shown for `quietMs`.
    bool settle(int quietMs = 800, int ms = 10000) {
        long long last = pipeline_->displayedFrames();
        QElapsedTimer quiet;
        quiet.start();
        return waitFor(
            [&] {
                if (pipeline_->displayedFrames() != last) {
                    last = pipeline_->displayedFrames();
                    quiet.restart();
                }
                return quiet.elapsed() >= quietMs;
            },
            ms);
    }
    int queryFailures() const {
        int n = 0;
        for (const LogRow& row : log_)
            n += row.text == "CameraQueryImage";
        return n;
    }

    RecordingPrompts prompts_;
    std::unique_ptr<IOControl> dialog_;
};

TEST_F(TriggerModeLiveTest, SoftwareTriggerShowsOneFramePerPressAndAutoTriggerStreams) {
    attach("3030");
    build();
    QObject::connect(controller_.get(), &CameraController::cameraChanged, dialog_.get(),
                     &IOControl::cameraChanged);
    start();
    ASSERT_TRUE(waitForFrames(3));
    // Opening may end a frame wait of its own (its stream reset); what counts is the rest.
    const int startFailures = queryFailures();
    click("cbTriggerMode");
    ASSERT_EQ(CameraGetSnapMode(0), 2);
    ASSERT_TRUE(settle()) << "frames keep coming in trigger mode";
    for (int i = 0; i < 3; ++i) {
        const long long before = pipeline_->displayedFrames();
        click("btnTrigger");
        ASSERT_TRUE(waitForFrames(1, 5000)) << "trigger " << i << " showed nothing";
        ASSERT_TRUE(settle(700));
        EXPECT_EQ(pipeline_->displayedFrames(), before + 1) << "trigger " << i;
    }
    EXPECT_EQ(queryFailures(), startFailures) << "waiting for a trigger is no failure";

    click("cbAutoTrigger");
    EXPECT_TRUE(waitForFrames(10, 5000));
    click("cbAutoTrigger");
    ASSERT_TRUE(settle());
    click("cbTriggerMode");
    EXPECT_EQ(CameraGetSnapMode(0), 1);
    EXPECT_TRUE(waitForFrames(10, 5000)) << "continuous again";
    EXPECT_EQ(queryFailures(), startFailures);
}

}  // namespace
