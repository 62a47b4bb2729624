// SPDX-License-Identifier: MIT
// The settings dialog driven through its widgets against virtual cameras, offscreen.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <memory>

#include "AppSettings.h"
#include "ModelDefaults.h"
#include "SettingDialog.h"
#include "SettingsTestSupport.h"
#include "TranslatableWindows.h"

namespace {

class SettingDialogTest : public ::testing::Test {
protected:
    void openDialog(const char* codes, int index = 0) {
        ASSERT_TRUE(space_.open(codes, index));
        build();
        dialog_->cameraChanged(index);
    }
    void build() {
        settings_ = std::make_unique<AppSettings>();
        dialog_ = std::make_unique<SettingDialog>(*settings_);
        QObject::connect(dialog_.get(), &SettingDialog::toTable,
                         [this](const QString& f, int e) { log_.add(f, e); });
    }
    template <typename T>
    T* child(const char* name) const {
        T* found = dialog_->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QSlider* slider(const char* name) const { return child<QSlider>(name); }
    void click(const char* name) const {
        QAbstractButton* button = child<QAbstractButton>(name);
        ASSERT_TRUE(button->isEnabled()) << name;
        QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
    }
    void type(const char* edit, const QString& text) const {
        QLineEdit* field = child<QLineEdit>(edit);
        field->clear();
        QTest::keyClicks(field, text);
    }
    QString label(const char* name) const { return child<QLabel>(name)->text(); }

    CameraWorkspace space_;
    RecordingPrompts prompts_;
    ApiLog log_;
    std::unique_ptr<AppSettings> settings_;
    std::unique_ptr<SettingDialog> dialog_;
};

TEST_F(SettingDialogTest, EnhancementSlidersReachTheCameraAtTheirEnds) {
    openDialog("0500");
    QTest::keyClick(slider("hsGamma"), Qt::Key_Home);
    EXPECT_DOUBLE_EQ(CameraGetGamma(0), 0.3);
    EXPECT_EQ(label("lblGamma"), "0.30");
    QTest::keyClick(slider("hsGamma"), Qt::Key_End);
    EXPECT_DOUBLE_EQ(CameraGetGamma(0), 2.0);
    QTest::keyClick(slider("hsContrast"), Qt::Key_Home);
    EXPECT_DOUBLE_EQ(CameraGetContrast(0), 0.3);
    QTest::keyClick(slider("hsSaturation"), Qt::Key_Home);
    EXPECT_DOUBLE_EQ(CameraGetSaturation(0), 0.0);
    QTest::keyClick(slider("hsBlackLevel"), Qt::Key_End);
    EXPECT_EQ(CameraGetBlackLevel(0), 255);
    QTest::keyClick(slider("hsAETarget"), Qt::Key_PageUp);
    EXPECT_EQ(CameraGetAETarget(0), slider("hsAETarget")->value());
    EXPECT_TRUE(log_.rows.isEmpty()) << log_.rows.join(", ").toStdString();
}

TEST_F(SettingDialogTest, ManualGainAndExposureFollowTheScaleAndReachTheSensor) {
    openDialog("0500");
    ASSERT_TRUE(CameraSetAEC(0, true));
    ASSERT_TRUE(CameraSetAGC(0, true));
    ASSERT_TRUE(CameraSetExposure(0, 4000));
    settings_->qsettings().setValue("Control/ExposureScale", 1.0);
    // The scale slider goes from 1 to 4.
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(slider("hsExposureScale"), Qt::Key_Right);
    EXPECT_EQ(dialog_->exposureScale(), 4.0);
    EXPECT_EQ(
        QSettings("setting.ini", QSettings::IniFormat).value("Control/ExposureScale").toDouble(),
        4.0);
    dialog_->refreshFromCamera();
    EXPECT_FALSE(slider("hsExposure")->isEnabled());
    EXPECT_FALSE(slider("hsGain")->isEnabled());

    click("chkAutoExposure");
    EXPECT_EQ(CameraGetAEC(0), 0);
    EXPECT_TRUE(slider("hsExposure")->isEnabled());
    EXPECT_EQ(slider("hsExposure")->value(), 1000) << "4000 lines at scale 4";
    slider("hsExposure")->setValue(250);
    EXPECT_EQ(CameraGetExposure(0), 1000);
    EXPECT_EQ(sensorRegister(0x09), 1000u);
    EXPECT_EQ(label("lblExposure"), "1000");

    click("chkAutoGain");
    EXPECT_EQ(CameraGetAGC(0), 0);
    ASSERT_TRUE(slider("hsGain")->isEnabled());
    slider("hsGain")->setValue(48);
    EXPECT_EQ(CameraGetGain(0), 48);
    EXPECT_EQ(sensorRegister(0x35), 48u) << "gain register of the 0x0500 sensor";

    // Back to automatic: the slider is locked and no longer writes.
    click("chkAutoGain");
    EXPECT_FALSE(slider("hsGain")->isEnabled());
    slider("hsGain")->setValue(20);
    EXPECT_EQ(CameraGetGain(0), 48);
}

TEST_F(SettingDialogTest, ShownDialogFollowsTheAutomaticLoopsWithoutWriting) {
    openDialog("0500");
    ASSERT_TRUE(CameraSetAEC(0, true));
    ASSERT_TRUE(CameraSetAGC(0, false));
    dialog_->refreshFromCamera();
    dialog_->show();
    // What the exposure loop would do between two frames.
    ASSERT_TRUE(CameraSetExposure(0, 1500));
    ASSERT_TRUE(CameraSetGain(0, 77));
    QElapsedTimer timer;
    timer.start();
    while (slider("hsExposure")->value() != 1500 && timer.elapsed() < 5000)
        QTest::qWait(20);
    EXPECT_EQ(slider("hsExposure")->value(), 1500);
    EXPECT_EQ(label("lblExposure"), "1500");
    EXPECT_NE(slider("hsGain")->value(), 77) << "manual gain is the operator's, not followed";
    EXPECT_EQ(CameraGetGain(0), 77);

    dialog_->hide();
    ASSERT_TRUE(CameraSetExposure(0, 900));
    QTest::qWait(1300);
    EXPECT_EQ(slider("hsExposure")->value(), 1500) << "a hidden dialog reads nothing";
    EXPECT_TRUE(log_.rows.isEmpty());
}

TEST_F(SettingDialogTest, LanguageSwitchKeepsValuesTheOperatorAndCameraPutThere) {
    openDialog("0500");
    slider("hsGamma")->setValue(150);
    type("leOffsetX", "64");
    type("leSavePath", "/tmp/shots");
    child<QComboBox>("cbIntervalScale")->setCurrentIndex(2);
    TranslatableWindows::instance().retranslateAll();
    EXPECT_EQ(label("lblGamma"), "1.50");
    EXPECT_EQ(child<QLineEdit>("leOffsetX")->text(), "64");
    EXPECT_EQ(child<QLineEdit>("leSavePath")->text(), "/tmp/shots");
    EXPECT_EQ(child<QComboBox>("cbIntervalScale")->currentText(), "0.7");
    EXPECT_EQ(dialog_->windowTitle(), "Setting");
}

TEST_F(SettingDialogTest, TimeoutAboveTheSliderShowsTheShortestAndUntickingFlickerSendsOff) {
    ASSERT_TRUE(space_.open("0500"));
    ASSERT_TRUE(CameraSetTimeout(0, 50000));
    build();
    dialog_->cameraChanged(0);
    EXPECT_EQ(label("lblTimeOut"), "500");
    EXPECT_EQ(slider("hsTimeOut")->value(), 500);
    ASSERT_TRUE(CameraSetTimeout(0, 1200));
    dialog_->refreshFromCamera();
    EXPECT_EQ(label("lblTimeOut"), "1200");

    QComboBox* mains = child<QComboBox>("cbAntiFlicker");
    mains->setCurrentIndex(1);
    click("chkAntiFlicker");
    EXPECT_EQ(CameraGetAntiFlicker(0), 2);
    click("chkAntiFlicker");
    EXPECT_EQ(CameraGetAntiFlicker(0), 0) << "unticking with 60Hz selected";
    // Choosing the frequency while avoidance is off changes nothing.
    QTest::keyClick(mains, Qt::Key_Up);
    EXPECT_EQ(CameraGetAntiFlicker(0), 0);
}

TEST_F(SettingDialogTest, RoiApplyValidatesFieldsBeforeAnyCall) {
    openDialog("0500");
    QSignalSpy selected(dialog_.get(), &SettingDialog::roiResolutionSelected);
    unsigned int width = 0, height = 0;
    ASSERT_TRUE(CameraGetImageSize(0, &width, &height));
    const std::pair<QString, const char*> bad[] = {{"12a", "leOffsetX"},
                                                   {"-2", "leOffsetY"},
                                                   {"0", "leWidth"},
                                                   {"", "leHeight"},
                                                   {"99999999999", "leWidth"}};
    for (const auto& [text, field] : bad) {
        type("leOffsetX", "0");
        type("leOffsetY", "0");
        type("leWidth", "640");
        type("leHeight", "480");
        type(field, text);
        prompts_.boxes.clear();
        click("btnROIApply");
        EXPECT_EQ(prompts_.boxes, QStringList{"notice: Please enter valid numbers."})
            << text.toStdString();
    }
    EXPECT_EQ(selected.count(), 0);
    unsigned int w2 = 0, h2 = 0;
    ASSERT_TRUE(CameraGetImageSize(0, &w2, &h2));
    EXPECT_EQ(w2, width);
    EXPECT_TRUE(log_.rows.isEmpty());

    type("leOffsetX", "64");
    type("leOffsetY", "32");
    type("leWidth", "640");
    type("leHeight", "480");
    prompts_.boxes.clear();
    click("btnROIApply");
    EXPECT_TRUE(prompts_.boxes.empty());
    ASSERT_TRUE(CameraGetImageSize(0, &w2, &h2));
    EXPECT_EQ(w2, 640u);
    EXPECT_EQ(h2, 480u);
    unsigned int enabled = 0;
    ASSERT_TRUE(CameraGetParam(0, "enable_roi", &enabled));
    EXPECT_EQ(enabled, 1u);
    EXPECT_EQ(selected.count(), 1);

    // An odd offset is a number but not a region the camera takes.
    type("leOffsetX", "63");
    click("btnROIApply");
    EXPECT_EQ(prompts_.boxes, QStringList{"notice: ROI not supported or parameter invalid."});
    EXPECT_EQ(log_.rows, QStringList{"CameraSetROI:2"});
    EXPECT_EQ(selected.count(), 2) << "the list selects ROI whatever the outcome";
}

TEST_F(SettingDialogTest, DrawRoiAsksFirstAndTakesThePickedRegion) {
    openDialog("0500");
    QSignalSpy draw(dialog_.get(), &SettingDialog::drawRoiRequested);
    dialog_->show();
    prompts_.button = QMessageBox::No;
    click("drawROI");
    ASSERT_EQ(prompts_.boxes.size(), 1);
    EXPECT_TRUE(prompts_.boxes[0].startsWith("Draw ROI?: "));
    EXPECT_EQ(draw.count(), 0);
    EXPECT_TRUE(dialog_->isVisible());

    prompts_.button = QMessageBox::Yes;
    click("drawROI");
    ASSERT_EQ(draw.count(), 1);
    EXPECT_TRUE(draw.at(0).at(0).toBool());
    EXPECT_FALSE(dialog_->isVisible()) << "the picture must be free to draw on";

    dialog_->takeRegion(128, 64, 320, 240);
    EXPECT_EQ(child<QLineEdit>("leWidth")->text(), "320");
    unsigned int width = 0, height = 0;
    ASSERT_TRUE(CameraGetImageSize(0, &width, &height));
    EXPECT_EQ(width, 320u);
    EXPECT_EQ(height, 240u);
    ASSERT_EQ(draw.count(), 2);
    EXPECT_FALSE(draw.at(1).at(0).toBool());
    EXPECT_TRUE(dialog_->isVisible());
}

TEST_F(SettingDialogTest, MonochromeModelsLoseTheColourControls) {
    // 0x32C0 is monochrome although its low byte has none of the bits 0x0B.
    const std::pair<int, bool> cameras[] = {{0, false}, {1, true}, {2, true}};
    ASSERT_TRUE(space_.open("0500,012B,32C0"));
    build();
    for (const auto& [index, mono] : cameras) {
        SCOPED_TRACE(index);
        ASSERT_TRUE(space_.openIndex(index));
        dialog_->cameraChanged(index);
        EXPECT_EQ(dialog_->monochrome(), mono);
        EXPECT_EQ(child<QGroupBox>("gbWhiteBalance")->isEnabled(), !mono);
        EXPECT_EQ(child<QCheckBox>("chkEnhancement")->isEnabled(), !mono);
        EXPECT_EQ(slider("hsSaturation")->isEnabled(), !mono);
        EXPECT_FALSE(mono && child<QGroupBox>("gbCCM")->isEnabled());
        EXPECT_TRUE(slider("hsGamma")->isEnabled());
    }
}

TEST_F(SettingDialogTest, FollowsTheCurrentCameraAndDisablesItsControlsWithoutOne) {
    ASSERT_TRUE(space_.open("0500,0500"));
    ASSERT_TRUE(CameraSetGamma(0, 0.5));
    build();
    dialog_->cameraChanged(0);
    EXPECT_EQ(slider("hsGamma")->value(), 50);

    dialog_->cameraChanged(-1);
    for (const char* group : {"gbEnhancement", "gbExposure", "gbROI", "gbParameter", "gbCCM"})
        EXPECT_FALSE(child<QWidget>(group)->isEnabled()) << group;
    EXPECT_TRUE(child<QWidget>("gbOnTimeShot")->isEnabled());

    ASSERT_TRUE(space_.openIndex(1));
    ASSERT_TRUE(CameraSetGamma(1, 1.7));
    dialog_->cameraChanged(1);
    EXPECT_TRUE(child<QWidget>("gbEnhancement")->isEnabled());
    EXPECT_EQ(slider("hsGamma")->value(), 170);
    EXPECT_EQ(label("lblGamma"), "1.70");
    EXPECT_TRUE(log_.rows.isEmpty()) << "a refresh never writes";
    EXPECT_DOUBLE_EQ(CameraGetGamma(1), 1.7);

    // A camera that went away behind the dialog's back: the failure is logged by name.
    CameraFree(1);
    slider("hsGamma")->setValue(90);
    EXPECT_EQ(log_.rows, QStringList{"CameraSetGamma:3"});
}

TEST_F(SettingDialogTest, DefaultsFollowTheModelTableOnColourAndMonochromeCameras) {
    ASSERT_TRUE(space_.open("0500,012B"));
    build();
    QSignalSpy enable(dialog_.get(), &SettingDialog::enableDialog);
    for (int index : {0, 1}) {
        SCOPED_TRACE(index);
        ASSERT_TRUE(space_.openIndex(index));
        dialog_->cameraChanged(index);
        ASSERT_TRUE(CameraSetMirrorX(index, true));
        ASSERT_TRUE(CameraSetTimeout(index, 3000));
        ASSERT_TRUE(CameraSetAEC(index, true));
        click("btnDefault");
        const ModelDefaults expected = ModelDefaults::forDevice(CameraGetID(index));
        EXPECT_DOUBLE_EQ(CameraGetGamma(index), expected.gamma);
        EXPECT_DOUBLE_EQ(CameraGetSaturation(index), expected.saturation);
        EXPECT_EQ(CameraGetExposure(index), expected.exposure);
        EXPECT_EQ(CameraGetGain(index), expected.gain);
        EXPECT_EQ(CameraGetBlackLevel(index), int(expected.blackLevel));
        double red = 0, green = 0, blue = 0;
        ASSERT_TRUE(CameraGetWBGain(index, &red, &green, &blue));
        EXPECT_DOUBLE_EQ(red, expected.wbRed);
        EXPECT_DOUBLE_EQ(blue, expected.wbBlue);
        double ccm[9] = {};
        ASSERT_TRUE(CameraGetCCM(index, ccm));
        EXPECT_TRUE(std::equal(ccm, ccm + 9, expected.ccm.begin()));
        EXPECT_EQ(CameraGetMirrorX(index), 0);
        EXPECT_EQ(CameraGetAEC(index), 0);
        EXPECT_EQ(CameraGetAETarget(index), 70);
        unsigned int timeout = 0;
        ASSERT_TRUE(CameraGetTimeout(index, &timeout));
        EXPECT_EQ(timeout, 500u);
        // The form shows what the camera now holds.
        EXPECT_EQ(slider("hsGamma")->value(), int(expected.gamma * 100));
        EXPECT_TRUE(slider("hsExposure")->isEnabled());
        EXPECT_EQ(imageFormat.load(), 4);
    }
    EXPECT_EQ(sensorRegister(0x3012), 870u) << "exposure register of the 0x012B sensor";
    EXPECT_EQ(enable.count(), 2);
    // The two rows the tests rely on really differ.
    EXPECT_NE(ModelDefaults::forDevice(0x0500), ModelDefaults::forDevice(0x012B));
}

TEST_F(SettingDialogTest, ColourMatrixApplyRefusesAFieldThatIsNotANumber) {
    openDialog("0500");
    click("chkEnhancement");
    ASSERT_EQ(CameraGetEnhancement(0), 1);
    ASSERT_TRUE(child<QGroupBox>("gbCCM")->isEnabled());
    ASSERT_TRUE(CameraSetEnhancement(0, false));
    const char* fields[] = {"leCCM0", "leCCM1", "leCCM2", "leCCM3", "leCCM4",
                            "leCCM5", "leCCM6", "leCCM7", "leCCM8"};
    const QString values[] = {"1.5", "-0.25", "-0.25", "0", "1", "0", "0", "0", "1"};
    for (int i = 0; i < 9; ++i)
        type(fields[i], values[i]);
    type("leCCM4", "1,2x");
    double before[9] = {};
    ASSERT_TRUE(CameraGetCCM(0, before));
    click("btnCCMApply");
    EXPECT_EQ(prompts_.boxes, QStringList{"notice: Please enter valid numbers."});
    double after[9] = {};
    ASSERT_TRUE(CameraGetCCM(0, after));
    EXPECT_TRUE(std::equal(before, before + 9, after));
    EXPECT_EQ(CameraGetEnhancement(0), 0);

    type("leCCM4", "1");
    click("btnCCMApply");
    ASSERT_TRUE(CameraGetCCM(0, after));
    EXPECT_DOUBLE_EQ(after[0], 1.5);
    EXPECT_DOUBLE_EQ(after[1], -0.25);
    EXPECT_EQ(CameraGetEnhancement(0), 1);

    click("chkEnhancement");
    EXPECT_EQ(CameraGetEnhancement(0), 0);
    EXPECT_FALSE(child<QGroupBox>("gbCCM")->isEnabled());
}

TEST_F(SettingDialogTest, FrameControlsFormatAndParameterGroupsReachTheCamera) {
    openDialog("0500");
    click("cbMirrorX");
    click("cbRotate");
    EXPECT_EQ(CameraGetMirrorX(0), 1);
    EXPECT_EQ(CameraGetRotate(0), 1);
    click("rbBin");
    EXPECT_EQ(CameraGetResolutionMode(0), 2);
    slider("hsFrameSpeed")->setValue(300);
    EXPECT_EQ(CameraGetDelay(0), 300);
    click("rbGRAY8");
    EXPECT_EQ(imageFormat.load(), 2);
    unsigned int format = 0;
    ASSERT_TRUE(CameraGetParam(0, "image_format", &format));
    EXPECT_EQ(format, 2u);
    click("btnSaveRaw");
    EXPECT_TRUE(saveRawRequested.exchange(false));

    // Group 1 keeps gamma 0.6 while the camera moves on; loading it brings the form back.
    click("rdParam1");
    slider("hsGamma")->setValue(60);
    click("btnSaveParam");
    ASSERT_TRUE(CameraSetGamma(0, 1.9));
    click("rdParam0");
    click("rdParam1");
    EXPECT_DOUBLE_EQ(CameraGetGamma(0), 0.6);
    EXPECT_EQ(slider("hsGamma")->value(), 60);
}

TEST_F(SettingDialogTest, SaveAsAndLoadFromGoThroughTheChoosersAndRefreshTheForm) {
    openDialog("0500");
    ASSERT_TRUE(CameraSetGamma(0, 0.7));
    prompts_.fileName = space_.path("set.txt");
    click("btnSaveAs");
    EXPECT_EQ(prompts_.choosers, QStringList{"Save parameters file | vtcam.txt | *.txt"});

    ASSERT_TRUE(CameraSetGamma(0, 1.4));
    prompts_.fileName.clear();  // cancelled: nothing happens
    click("btnLoadFrom");
    EXPECT_DOUBLE_EQ(CameraGetGamma(0), 1.4);

    prompts_.fileName = space_.path("set.txt");
    click("btnLoadFrom");
    EXPECT_TRUE(prompts_.choosers.value(prompts_.choosers.size() - 1)
                    .startsWith("Load parameters file | "));
    EXPECT_DOUBLE_EQ(CameraGetGamma(0), 0.7);
    EXPECT_EQ(slider("hsGamma")->value(), 70);

    QSettings("set.txt", QSettings::IniFormat).setValue("System/Meta", "other");
    click("btnLoadFrom");
    EXPECT_EQ(prompts_.boxes, QStringList{"Error: Invalid camera configuration file!"});
    EXPECT_EQ(prompts_.warnings, prompts_.boxes) << "a warning, not a notice";

    // A set-up that cannot be written is not lost silently.
    prompts_.fileName = space_.path("set.txt") + "/below-a-file.txt";
    prompts_.boxes.clear();
    prompts_.warnings.clear();
    click("btnSaveAs");
    ASSERT_EQ(prompts_.boxes.size(), 1);
    EXPECT_TRUE(prompts_.boxes[0].startsWith("Error: "));
    EXPECT_EQ(prompts_.warnings, prompts_.boxes);
}

TEST_F(SettingDialogTest, HostileSettingsFileGivesDefaultsOrClampedValues) {
    {
        QSettings ini("setting.ini", QSettings::IniFormat);
        ini.setValue("File/Backlog", -5);
        ini.setValue("File/Quality", "abc");
        ini.setValue("File/Type", 7);
        ini.setValue("File/CompressionMethod", -1);
        ini.setValue("File/IntervalTime", "99999999999");
        ini.setValue("File/IntervalUnit", 9);
        ini.setValue("File/IntervalScale", 0.55);
        ini.setValue("Control/ExposureScale", 0.2);
    }
    frameBacklog.store(2);
    build();
    EXPECT_EQ(slider("hsBacklog")->value(), 1);
    EXPECT_EQ(frameBacklog.load(), 1) << "a negative backlog must not drop every frame";
    EXPECT_EQ(slider("sdQuality")->value(), 75);
    EXPECT_TRUE(child<QRadioButton>("rbPNG")->isChecked());
    EXPECT_EQ(child<QComboBox>("cbCompression")->currentIndex(), 0);
    EXPECT_EQ(dialog_->intervalTime(), 7 * 24 * 60) << "clamped to a week of minutes";
    EXPECT_EQ(dialog_->intervalUnit(), 1);
    EXPECT_EQ(dialog_->intervalScale(), 1.0);
    EXPECT_EQ(dialog_->exposureScale(), 1.0);

    dialog_.reset();
    {
        QSettings ini("setting.ini", QSettings::IniFormat);
        ini.setValue("File/Backlog", 100000);
        ini.setValue("Control/ExposureScale", "1e300");
    }
    build();
    EXPECT_EQ(frameBacklog.load(), 30);
    EXPECT_EQ(dialog_->exposureScale(), 10.0);
    frameBacklog.store(2);
}

TEST_F(SettingDialogTest, ApplicationOptionsAreWrittenAtOnceAndTimedShotsOnlyByApply) {
    build();
    QSignalSpy start(dialog_.get(), &SettingDialog::shotTimerRequested);
    QSignalSpy stop(dialog_.get(), &SettingDialog::shotTimerStopped);
    QTest::keyClick(slider("hsBacklog"), Qt::Key_PageUp);
    EXPECT_EQ(frameBacklog.load(), 5);
    click("rbBMP");
    click("cbFPS");
    const QSettings ini("setting.ini", QSettings::IniFormat);
    EXPECT_EQ(ini.value("File/Backlog").toInt(), 5);
    EXPECT_EQ(ini.value("File/Type").toInt(), 0);
    EXPECT_EQ(ini.value("File/InstantFPS").toInt(), 1);

    click("chkIntervalShot");
    type("leInterval", "5");
    child<QComboBox>("cbIntervalUnit")->setCurrentIndex(1);
    child<QComboBox>("cbIntervalScale")->setCurrentIndex(0);
    EXPECT_FALSE(ini.contains("File/IntervalShot")) << "written only by Apply";
    click("btnShotApply");
    ASSERT_EQ(start.count(), 1);
    EXPECT_EQ(start.at(0), (QList<QVariant>{5, 1, 0.5}));
    QSettings reread("setting.ini", QSettings::IniFormat);
    EXPECT_TRUE(reread.value("File/IntervalShot").toBool());
    EXPECT_EQ(reread.value("File/IntervalScale").toDouble(), 0.5);

    type("leInterval", "x");
    click("btnShotApply");
    EXPECT_TRUE(prompts_.boxes.value(prompts_.boxes.size() - 1).startsWith("notice: "));
    EXPECT_TRUE(prompts_.warnings.isEmpty());
    EXPECT_EQ(start.count(), 1);
    type("leInterval", "2");
    click("chkIntervalShot");
    click("btnShotApply");
    EXPECT_EQ(stop.count(), 1);
    frameBacklog.store(2);
}

}  // namespace
