// SPDX-License-Identifier: MIT
// Tests of the shell's parts: options, settings file, view zoom, scene and tool switching.
#include <gtest/gtest.h>

#include <QAction>
#include <QGraphicsRectItem>
#include <QGraphicsSceneMouseEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QSignalSpy>
#include <algorithm>
#include <memory>

#include "AppOptions.h"
#include "AppSettings.h"
#include "CoreLogBridge.h"
#include "ImageView.h"
#include "ShellTestSupport.h"
#include "base/LogCategory.h"

namespace {

AppOptions parse(QStringList args) {
    args.prepend("vidscope");
    return AppOptions::parse(args);
}

TEST(AppOptionsTest, VirtualCamerasInBothSpellings) {
    EXPECT_EQ(parse({"--virtual-camera", "3E00,0500"}).virtualCameras, "3E00,0500");
    const AppOptions joined = parse({"--virtual-camera=012b"});
    EXPECT_EQ(joined.virtualCameras, "012b");
    EXPECT_TRUE(joined.error.isEmpty());
    EXPECT_EQ(parse({"--measure", "20"}).measureSeconds, 20);
    EXPECT_TRUE(parse({"--help"}).showHelp);
    // Qt's own single-dash options pass through untouched.
    EXPECT_TRUE(parse({"-platform", "offscreen", "--virtual-camera", "3E00"}).error.isEmpty());
}

TEST(AppOptionsTest, BadArgumentsAreRefusedWithAReason) {
    EXPECT_TRUE(parse({"--virtual-camera"}).error.contains("needs a value"));
    EXPECT_TRUE(parse({"--virtual-camera", "3E00,,0500"}).error.contains("3E00,,0500"));
    EXPECT_TRUE(parse({"--virtual-camera", "camera"}).error.contains("device codes"));
    EXPECT_FALSE(parse({"--measure", "0"}).error.isEmpty());
    EXPECT_FALSE(parse({"--measure", "ten"}).error.isEmpty());
    EXPECT_TRUE(parse({"--verbose"}).error.contains("--verbose"));
    EXPECT_TRUE(AppOptions::usage().contains("--virtual-camera CODE[,CODE...]"));
}

TEST(AppSettingsTest, DefaultsOfAnEmptyFile) {
    ScopedWorkDir dir;
    AppSettings settings;
    EXPECT_EQ(settings.language(QLocale(QLocale::English, QLocale::UnitedKingdom)), 1);
    EXPECT_TRUE(settings.measurementEnabled());
    EXPECT_TRUE(settings.aviCaptureEnabled());
    EXPECT_FALSE(settings.managementEnabled());
    EXPECT_EQ(settings.filePath(), ".");
    EXPECT_EQ(settings.fileType(), 1);
    EXPECT_EQ(settings.fileQuality(), 75);
    EXPECT_EQ(settings.backlog(), 2);
    EXPECT_FALSE(settings.instantFps());
}

TEST(AppSettingsTest, ReadsTheFileInTheWorkingDirectoryAndSurvivesGarbage) {
    ScopedWorkDir dir;
    dir.writeSettings({{"Feature/Measurement", 0},
                       {"Feature/AviCapture", "junk"},
                       {"Feature/Management", 3},
                       {"File/Backlog", 7}});
    AppSettings settings;
    EXPECT_EQ(QFileInfo(settings.fileName()).absoluteFilePath(),
              QDir(dir.path()).absoluteFilePath("setting.ini"));
    EXPECT_FALSE(settings.measurementEnabled());
    EXPECT_TRUE(settings.aviCaptureEnabled());  // not a number: the default
    EXPECT_TRUE(settings.managementEnabled());
    EXPECT_EQ(settings.backlog(), 7);
    settings.setLanguage(1);
    settings.sync();
    EXPECT_EQ(QSettings("setting.ini", QSettings::IniFormat).value("Language/Lang").toInt(), 1);
}

TEST(ImageViewTest, ZoomInThenOutReturnsToOneAndReportsEveryStep) {
    ImageView view;
    QSignalSpy changes(&view, &ImageView::zoomChanged);
    view.zoomIn();
    EXPECT_DOUBLE_EQ(view.zoomFactor(), 1.2);
    EXPECT_DOUBLE_EQ(view.transform().m11(), 1.2);
    view.zoomOut();
    EXPECT_NEAR(view.zoomFactor(), 1.0, 1e-12);
    EXPECT_NEAR(view.transform().m22(), 1.0, 1e-12);
    view.zoomOut();
    view.zoomOut();
    view.resetView();
    EXPECT_EQ(view.zoomFactor(), 1.0);
    EXPECT_TRUE(view.transform().isIdentity());
    ASSERT_EQ(changes.count(), 5);
    EXPECT_EQ(changes.last().front().toDouble(), 1.0);
}

TEST(ImageViewTest, FitScreenScalesTheImageIntoTheView) {
    ImageView view;
    view.resize(642, 482);
    view.zoomIn();  // fitting replaces whatever scale was there
    view.fitScreen(QSizeF(1280, 960));
    EXPECT_DOUBLE_EQ(view.zoomFactor(), 0.5);
    EXPECT_NEAR(view.transform().m11(), 0.5, 1e-12);
    // The narrower ratio wins: 640/1280 against 480/480.
    view.fitScreen(QSizeF(1280, 480));
    EXPECT_DOUBLE_EQ(view.zoomFactor(), 0.5);
    view.fitScreen(QSizeF(320, 960));
    EXPECT_DOUBLE_EQ(view.zoomFactor(), 0.5);
    EXPECT_NEAR(view.transform().m11(), 0.5, 1e-12);
    view.fitScreen(QSizeF());
    EXPECT_DOUBLE_EQ(view.zoomFactor(), 0.5);
}

struct CapturedMessage {
    QtMsgType type;
    QString category;
    QString text;
};
std::vector<CapturedMessage> capturedMessages;

void captureMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    capturedMessages.push_back({type, QString::fromLatin1(context.category), text});
}

VIDSCOPE_LOG_CATEGORY(bridgeTestLog, "bridgetest")

TEST(CoreLogBridgeTest, CoreMessagesArriveInQtLoggingUnderTheirOwnCategory) {
    bridgeTestLog();  // the category exists before the rules reach it
    vidscope::base::LogCategory::setRules("bridgetest=debug");
    CoreLogBridge::install();
    capturedMessages.clear();
    const QtMessageHandler previous = qInstallMessageHandler(captureMessage);
    VS_LOG(bridgeTestLog(), Warning) << "port " << 3 << " stalled";
    VS_LOG(bridgeTestLog(), Error) << "gone";
    qInstallMessageHandler(previous);
    vidscope::base::LogCategory::setSink(nullptr);

    ASSERT_EQ(capturedMessages.size(), 2u);
    EXPECT_EQ(capturedMessages[0].category, "vidscope.core.bridgetest");
    EXPECT_EQ(capturedMessages[0].type, QtWarningMsg);
    EXPECT_EQ(capturedMessages[0].text, "port 3 stalled");
    EXPECT_EQ(capturedMessages[1].type, QtCriticalMsg);
    // One Qt category per core category, reused.
    EXPECT_EQ(&CoreLogBridge::categoryFor("bridgetest"), &CoreLogBridge::categoryFor("bridgetest"));
}

}  // namespace
