// SPDX-License-Identifier: MIT
// "Open", the About box and the language: bad picture files, the company rule, the switch.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMenu>
#include <QTableWidget>
#include <memory>

#include "AboutDialog.h"
#include "AppSettings.h"
#include "DockMessage.h"
#include "DockPreview.h"
#include "MainWindow.h"
#include "PictureTestSupport.h"
#include "ShellTestSupport.h"
#include "VideoPipeline.h"

namespace {

class OpenPictureTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_.writeSettings({{"Language/Lang", 1}});
        window_ = std::make_unique<MainWindow>();
    }
    void TearDown() override { window_->close(); }
    // Chooses `fileName` in the "Open" chooser.
    void openFile(const QString& fileName) {
        prompts_.fileName = fileName;
        QAction* open = window_->findChild<QAction*>("actionOpen");
        open->setEnabled(true);
        open->trigger();
    }
    QString path(const char* name) const { return dir_.path() + "/" + name; }
    void writeBytes(const char* name, const QByteArray& bytes) const {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    ScopedWorkDir dir_;
    RecordingPrompts prompts_;
    std::unique_ptr<MainWindow> window_;
};

TEST_F(OpenPictureTest, UpperCaseJpegIsShownAndTifIsRefused) {
    ASSERT_TRUE(halfRedHalfBlue(120, 90).save(path("IMG.JPG"), "JPEG", 95));
    openFile(path("IMG.JPG"));
    EXPECT_EQ(prompts_.choosers, QStringList{"Open Image |  | Images (*.png *.bmp *.jpg)"});
    EXPECT_TRUE(prompts_.boxes.isEmpty()) << prompts_.boxes.join("/").toStdString();
    const QImage shown = window_->videoPipeline()->displayedImage();
    EXPECT_EQ(shown.size(), QSize(120, 90));
    EXPECT_EQ(shown.format(), QImage::Format_RGB32);
    EXPECT_GT(qRed(shown.pixel(10, 45)), 200);

    ASSERT_TRUE(halfRedHalfBlue(10, 10).save(path("a.tif"), "PNG"));
    openFile(path("a.tif"));
    EXPECT_EQ(prompts_.boxes, QStringList{"Open Image: File format does not support!"});
    EXPECT_EQ(window_->videoPipeline()->displayedImage().size(), QSize(120, 90));

    // Cancelling the chooser does nothing.
    prompts_.boxes.clear();
    openFile(QString());
    EXPECT_TRUE(prompts_.boxes.isEmpty());
}

TEST_F(OpenPictureTest, UnreadableFilesAreToldAndLeaveTheViewAlone) {
    ASSERT_TRUE(halfRedHalfBlue(64, 48).save(path("good.png")));
    openFile(path("good.png"));
    ASSERT_EQ(window_->videoPipeline()->displayedImage().size(), QSize(64, 48));

    writeBytes("empty.png", {});
    QByteArray png;
    {
        QFile good(path("good.png"));
        ASSERT_TRUE(good.open(QIODevice::ReadOnly));
        png = good.readAll();
    }
    writeBytes("truncated.png", png.left(40));
    writeBytes("garbage.jpg", QByteArray(5000, '\x5a'));
    // A BMP header announcing 20000 x 20000 pixels of 24 bits and no pixels behind it.
    QByteArray huge(54, '\0');
    auto put32 = [&](int at, quint32 v) {
        for (int i = 0; i < 4; ++i)
            huge[at + i] = char((v >> (8 * i)) & 0xFF);
    };
    huge[0] = 'B';
    huge[1] = 'M';
    put32(2, 54u + 20000u * 20000u * 3u);
    put32(10, 54);
    put32(14, 40);
    put32(18, 20000);
    put32(22, 20000);
    huge[26] = 1;
    huge[28] = 24;
    writeBytes("huge.bmp", huge);

    for (const char* name : {"empty.png", "truncated.png", "garbage.jpg", "huge.bmp", "gone.png"}) {
        prompts_.boxes.clear();
        openFile(path(name));
        ASSERT_EQ(prompts_.boxes.size(), 1) << name;
        EXPECT_TRUE(prompts_.boxes[0].startsWith("Open Image: The picture " + path(name) +
                                                 " could not be read: "))
            << prompts_.boxes[0].toStdString();
        EXPECT_EQ(window_->videoPipeline()->displayedImage().size(), QSize(64, 48)) << name;
    }
}

TEST(AboutDialogTest, CompanyRuleVersionsAndTheFailedFirmwareQuery) {
    ScopedWorkDir dir;
    AppSettings settings;
    AboutDialog about(settings);
    QStringList log;
    QObject::connect(&about, &AboutDialog::toTable,
                     [&](QString function, int) { log << function; });
    about.refresh();
    EXPECT_TRUE(about.logoShown());
    EXPECT_TRUE(about.aboutText().startsWith("Industrial Camera Tool\nVeltro Technology\n"));
    EXPECT_EQ(about.softwareVersion(), "2016.9");
    EXPECT_EQ(about.firmwareVersion(), "0.0");  // no camera open
    EXPECT_EQ(log, QStringList{"CameraGetFirmVersion"});

    settings.qsettings().setValue("Company/Name", "Acme Optics");
    about.refresh();
    EXPECT_FALSE(about.logoShown());
    EXPECT_TRUE(about.aboutText().startsWith("Industrial Camera Tool\nAcme Optics\n"));

    EXPECT_EQ(AboutDialog::firmwareText(0x0110), "1.10");
    EXPECT_EQ(AboutDialog::firmwareText(0x12AB), "12.ab");
    EXPECT_EQ(AboutDialog::firmwareText(0xFF0203), "2.3");
}

TEST(LanguageTest, WithoutAStoredValueOnlyAChineseSystemStartsInChinese) {
    ScopedWorkDir dir;
    AppSettings settings;
    EXPECT_EQ(settings.language(QLocale(QLocale::Chinese, QLocale::China)), 0);
    EXPECT_EQ(settings.language(QLocale(QLocale::Chinese, QLocale::Taiwan)), 0);
    EXPECT_EQ(settings.language(QLocale(QLocale::English, QLocale::UnitedStates)), 1);
    EXPECT_EQ(settings.language(QLocale(QLocale::German, QLocale::Germany)), 1);
    // A stored value keeps its meaning whatever the system says.
    settings.setLanguage(1);
    EXPECT_EQ(settings.language(QLocale(QLocale::Chinese, QLocale::China)), 1);
    settings.setLanguage(0);
    EXPECT_EQ(settings.language(QLocale(QLocale::English, QLocale::UnitedStates)), 0);
}

TEST(LanguageTest, BuiltInChineseReachesDocksDialogsAndLaterMenus) {
    ScopedWorkDir dir;  // no lang/ folder here: the built-in translation is used
    dir.writeSettings({{"Language/Lang", 0}});
    MainWindow window;
    EXPECT_EQ(window.languageState(), 2);
    EXPECT_EQ(window.dockPreview()->windowTitle(), QString::fromUtf8("预览"));
    EXPECT_EQ(window.aboutDialog()->windowTitle(), QString::fromUtf8("关于"));
    EXPECT_EQ(window.dockMessage()->windowTitle(), QString::fromUtf8("消息日志"));
    // A menu built after start-up is translated too.
    emit window.dockPreview()->table()->customContextMenuRequested(QPoint(1, 1));
    EXPECT_EQ(window.dockPreview()->contextMenu()->actions().at(2)->text(),
              QString::fromUtf8("移除"));

    window.findChild<QAction*>("actionEnglish_Chinese")->trigger();
    EXPECT_EQ(window.languageState(), 1);
    EXPECT_EQ(window.dockPreview()->windowTitle(), "Preview");
    EXPECT_EQ(window.aboutDialog()->windowTitle(), "About");
    emit window.dockPreview()->table()->customContextMenuRequested(QPoint(1, 1));
    EXPECT_EQ(window.dockPreview()->contextMenu()->actions().at(2)->text(), "Remove");
    window.findChild<QAction*>("actionEnglish_Chinese")->trigger();
    EXPECT_EQ(window.languageState(), 2);
    EXPECT_EQ(QSettings("setting.ini", QSettings::IniFormat).value("Language/Lang").toInt(), 0);
    EXPECT_EQ(window.dockPreview()->windowTitle(), QString::fromUtf8("预览"));
    window.close();
}

}  // namespace

namespace {

TEST(HelpTest, OpensTheManualBesideTheProgramOrLogsThatItIsMissing) {
    ScopedWorkDir dir;
    dir.writeSettings({{"Language/Lang", 1}});
    RecordingDesktop desktop;
    MainWindow window;
    const QString manual = QCoreApplication::applicationDirPath() + "/doc/vidScope.pdf";
    ASSERT_FALSE(QFileInfo::exists(manual));
    QAction* help = window.findChild<QAction*>("actionHelp_vidScope");
    help->trigger();
    EXPECT_TRUE(desktop.calls.isEmpty());
    EXPECT_EQ(logColumn(*window.dockMessage()->table(), 1).first(),
              "The manual " + manual + " is missing.");

    ASSERT_TRUE(QDir().mkpath(QFileInfo(manual).path()));
    QFile file(manual);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    help->trigger();
    QFile::remove(manual);
    QDir().rmdir(QFileInfo(manual).path());
    EXPECT_EQ(desktop.calls, QStringList{"open " + manual});
    window.close();
}

}  // namespace
