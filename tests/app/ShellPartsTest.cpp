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
#include <chrono>
#include <future>
#include <memory>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    EXPECT_TRUE(
        parse({"--virtual-camera", "3E00,,0500"}).error.contains("not a device code: \"\""));
    EXPECT_TRUE(parse({"--virtual-camera", "camera"}).error.contains("device codes"));
    EXPECT_TRUE(parse({"--virtual-camera", ""}).error.contains("no device code"));
    // The same spellings as VIDSCOPE_VIRTUAL_CAMERAS, no more and no fewer.
    EXPECT_TRUE(parse({"--virtual-camera", " 0x3e00, 500"}).error.isEmpty());
    EXPECT_FALSE(parse({"--measure", "0"}).error.isEmpty());
    EXPECT_FALSE(parse({"--measure", "ten"}).error.isEmpty());
    // Seconds that would overflow the millisecond timer are refused, not wrapped.
    EXPECT_EQ(parse({"--measure", "86400"}).measureSeconds, 86400);
    for (const char* tooLong : {"86401", "2147484", "2147483647", "99999999999"}) {
        const AppOptions options = parse({"--measure", tooLong});
        EXPECT_TRUE(options.error.contains("from 1 to 86400")) << tooLong;
        EXPECT_EQ(options.measureSeconds, 0) << tooLong;
    }
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

// Hand-edited or hostile values never leave the range the controls offer: a huge backlog
// lets memory grow without bound, a negative one shows no frame at all.
TEST(AppSettingsTest, EveryNumberIsBroughtIntoItsRange) {
    ScopedWorkDir dir;
    struct Case {
        QVariant backlog, quality;
        int expectedBacklog, expectedQuality;
    };
    const Case cases[] = {
        {2147483647, 1000, 30, 100},
        {-1, -5, 1, 1},
        {0, 0, 1, 1},
        {"99999999999", "50x", 30, 75},
        {"-99999999999", "1e3", 1, 75},
        {30, 100, 30, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.backlog.toString().toStdString());
        dir.writeSettings({{"File/Backlog", c.backlog}, {"File/Quality", c.quality}});
        AppSettings settings;
        EXPECT_EQ(settings.backlog(), c.expectedBacklog);
        EXPECT_EQ(settings.fileQuality(), c.expectedQuality);
    }
}

// A settings file this program did not write is neither decoded nor overwritten: typed values
// would have Qt build whatever objects they name, a huge file would be read whole.
TEST(AppSettingsTest, TypedValuesOrAHugeFileAreLeftAlone) {
    ScopedWorkDir dir;
    const QString path = QDir(dir.path()).filePath("setting.ini");
    const QByteArray typed = "[File]\nBacklog=7\nPath=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x2)\n";
    const QByteArray huge = "[File]\nBacklog=7\n" + QByteArray(2 << 20, '#') + "\n";
    const QByteArray escaped = "[File]\nBacklog=7\nPath=@@home\n";
    for (const QByteArray& text : {typed, huge, escaped}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
        file.close();
        const bool ours = text == escaped;
        {
            AppSettings settings;
            EXPECT_EQ(settings.fileUsable(), ours);
            EXPECT_EQ(settings.backlog(), ours ? 7 : 2);
            if (ours) {
                EXPECT_EQ(settings.filePath(), "@home");
            }
            settings.setLanguage(0);
            settings.sync();
        }
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray after = file.readAll();
        if (ours) {
            EXPECT_TRUE(after.contains("Lang=0")) << after.toStdString();
        } else {
            EXPECT_TRUE(after == text) << "the file was rewritten";
        }
    }
}

// A FIFO where the settings file belongs must neither block the start nor be written to.
TEST(AppSettingsTest, SomethingOtherThanARegularFileIsLeftAlone) {
    ScopedWorkDir dir;
    const QByteArray fifo = QDir(dir.path()).filePath("setting.ini").toLocal8Bit();
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    auto reading = std::async(std::launch::async, [] {
        AppSettings settings;
        const int backlog = settings.backlog();
        settings.setLanguage(1);
        settings.sync();
        return std::make_pair(backlog, settings.fileUsable());
    });
    if (reading.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        // Let the blocked open() return, so that the failure is reported, not a hang.
        const int writer = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0)
            ::close(writer);
        reading.wait();
        FAIL() << "reading the settings blocked on the FIFO";
    }
    const auto [backlog, usable] = reading.get();
    EXPECT_EQ(backlog, 2);
    EXPECT_FALSE(usable);
    EXPECT_FALSE(QFileInfo(QString::fromLocal8Bit(fifo)).isFile());
    EXPECT_FALSE(QFileInfo::exists(QDir(dir.path()).filePath("setting.ini.lock")));
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
