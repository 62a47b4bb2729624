// SPDX-License-Identifier: MIT
// Snapshots from the window: marks in the picture, grey formats, the preview dock, boxes and log.
#include <gtest/gtest.h>

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QMenu>
#include <QTableWidget>
#include <QTest>
#include <memory>

#include "AppGlobals.h"
#include "AppSettings.h"
#include "DockMessage.h"
#include "DockPreview.h"
#include "ImageView.h"
#include "InteractiveScene.h"
#include "MainWindow.h"
#include "PictureTestSupport.h"
#include "ShellTestSupport.h"
#include "SnapshotController.h"
#include "VideoPipeline.h"

namespace {

class SnapshotWindowTest : public ::testing::Test {
protected:
    void open(std::vector<std::pair<QString, QVariant>> settings = {}) {
        settings.insert(settings.begin(), {"Language/Lang", 1});
        settings.insert(settings.begin(), {"File/Path", dir_.path()});
        settings.insert(settings.begin(), {"File/Type", 2});
        dir_.writeSettings(settings);
        window_ = std::make_unique<MainWindow>();
        window_->show();
    }
    void TearDown() override {
        if (window_)
            window_->close();
        imageFormat.store(4);
    }
    // A picture in the view as if the camera had sent it.
    void show(const QImage& image) {
        window_->videoPipeline()->process(image, nullptr, QDateTime::currentMSecsSinceEpoch(), 0);
    }
    QAction* action(const char* name) const {
        return window_->findChild<QAction*>(QString::fromLatin1(name));
    }
    QStringList pictures() const {
        return QDir(dir_.path()).entryList({"*.png", "*.jpg", "*.bmp"}, QDir::Files);
    }
    QImage onlyPicture() const {
        const QStringList names = pictures();
        EXPECT_EQ(names.size(), 1) << names.join(",").toStdString();
        return names.isEmpty() ? QImage() : QImage(dir_.path() + "/" + names.first());
    }

    ScopedWorkDir dir_;
    RecordingPrompts prompts_;
    std::unique_ptr<MainWindow> window_;
};

TEST_F(SnapshotWindowTest, SaveShowsThePreviewAndWritesNothingBeforeAPicture) {
    open();
    action("action_Save")->trigger();
    EXPECT_TRUE(action("actionPreview")->isChecked());
    EXPECT_TRUE(window_->dockPreview()->isVisible());
    EXPECT_TRUE(pictures().isEmpty());
    EXPECT_EQ(window_->dockPreview()->table()->rowCount(), 0);
}

TEST_F(SnapshotWindowTest, SnapshotHoldsTheMarkUntilMeasureOnOffClearsIt) {
    open();
    show(halfRedHalfBlue(200, 100));
    // A horizontal axis line drawn as the operator draws it: the tool, then one click.
    action("actionAxesX_X")->trigger();
    ImageView* view = window_->view();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      view->mapFromScene(QPointF(100.5, 50.5)));
    ASSERT_EQ(window_->scene()->markCount(), 1);

    action("action_Save")->trigger();
    const QImage withMark = onlyPicture();
    ASSERT_EQ(withMark.size(), QSize(200, 100));
    // The line lands on the row under the click, give or take the view's pixel rounding.
    int markPixels = 0;
    for (int y = 0; y < withMark.height(); ++y)
        for (int x = 0; x < withMark.width(); ++x) {
            const QRgb p = withMark.pixel(x, y);
            markPixels += p != qRgb(255, 0, 0) && p != qRgb(0, 0, 255) ? 1 : 0;
        }
    EXPECT_GE(markPixels, 200);                          // the line crosses the picture
    EXPECT_EQ(withMark.pixel(10, 10), qRgb(255, 0, 0));  // the picture around it
    EXPECT_EQ(withMark.pixel(190, 90), qRgb(0, 0, 255));

    for (const QString& name : pictures())
        QFile::remove(dir_.path() + "/" + name);
    action("actionMeasure_On_Off")->trigger();
    action("action_Save")->trigger();
    const QImage plain = onlyPicture();
    for (int y = 48; y < 54; ++y) {
        EXPECT_EQ(plain.pixel(150, y), qRgb(0, 0, 255));
        EXPECT_EQ(plain.pixel(10, y), qRgb(255, 0, 0));
    }
    EXPECT_EQ(window_->dockPreview()->table()->rowCount(), 2);
}

TEST_F(SnapshotWindowTest, GreyFormatsSaveEightBitIndexedPictures) {
    open({{"File/Type", 0}});
    QImage grey(64, 32, QImage::Format_Grayscale8);
    for (int y = 0; y < grey.height(); ++y)
        for (int x = 0; x < grey.width(); ++x)
            grey.scanLine(y)[x] = uchar(x * 4);
    show(grey);
    imageFormat.store(2);
    action("action_Save")->trigger();
    const QImage back = onlyPicture();
    EXPECT_EQ(back.format(), QImage::Format_Indexed8);
    EXPECT_EQ(back.depth(), 8);
    EXPECT_EQ(qGray(back.pixel(40, 5)), 160);
}

TEST_F(SnapshotWindowTest, EmptyFolderAsksForOneAndFailedWritesAreLoggedWithoutBox) {
    open({{"File/Path", ""}});
    show(halfRedHalfBlue(20, 10));
    action("action_Save")->trigger();
    EXPECT_EQ(prompts_.boxes, QStringList{"notice: Please select valid path!"});
    EXPECT_EQ(window_->dockPreview()->table()->rowCount(), 0);

    prompts_.boxes.clear();
    AppSettings(dir_.path() + "/setting.ini")
        .qsettings()
        .setValue("File/Path", dir_.path() + "/gone");
    action("action_Save")->trigger();
    EXPECT_TRUE(prompts_.boxes.isEmpty());
    EXPECT_EQ(window_->dockPreview()->table()->rowCount(), 0);
    const QStringList log = logColumn(*window_->dockMessage()->table(), 1);
    // The newest row; the rows below are the snap-mode queries of the shown frame (no camera).
    ASSERT_FALSE(log.isEmpty());
    EXPECT_EQ(log.filter("Picture not saved").size(), 1) << log.join("/").toStdString();
    EXPECT_TRUE(log[0].startsWith("Picture not saved: " + dir_.path() + "/gone/"))
        << log[0].toStdString();
    EXPECT_TRUE(log[0].contains("does not exist"));
    EXPECT_EQ(logColumn(*window_->dockMessage()->table(), 2).first(), "saveImage");
}

TEST_F(SnapshotWindowTest, TriggerFramesAreSavedOnlyWithTheSwitchOnAndInTriggerMode) {
    // No camera is open, so the snap mode is unknown (not trigger mode): nothing is saved.
    open();
    saveSnapshotInTrigger.store(true);
    show(halfRedHalfBlue(20, 10));
    saveSnapshotInTrigger.store(false);
    EXPECT_TRUE(pictures().isEmpty());
}

TEST_F(SnapshotWindowTest, TimedShotsScaleTheDisplayedPictureIntoTheDayFolder) {
    open();
    SnapshotController* snapshots = window_->snapshots();
    snapshots->takeTimedShot(0.5);  // nothing displayed yet
    EXPECT_TRUE(QDir(dir_.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());

    show(halfRedHalfBlue(640, 480));
    snapshots->takeTimedShot(0.5);
    const QString day = QDate::currentDate().toString("yyyyMMdd");
    QStringList shots = QDir(dir_.path() + "/" + day).entryList(QDir::Files);
    ASSERT_EQ(shots.size(), 1);
    EXPECT_EQ(QImage(dir_.path() + "/" + day + "/" + shots[0]).size(), QSize(320, 240));
    EXPECT_EQ(window_->dockPreview()->table()->rowCount(), 0);  // timed shots are not listed
}

TEST_F(SnapshotWindowTest, StoredTimedShotsStartWithTheWindow) {
    open({{"File/IntervalShot", true},
          {"File/IntervalTime", 15},
          {"File/IntervalUnit", 1},
          {"File/IntervalScale", 0.5}});
    const ShotScheduler& scheduler = window_->snapshots()->scheduler();
    EXPECT_TRUE(scheduler.isEnabled());
    EXPECT_EQ(scheduler.interval(), 15);
    EXPECT_EQ(scheduler.unit(), ShotScheduler::kSeconds);
    EXPECT_DOUBLE_EQ(scheduler.scale(), 0.5);
    window_->shutdownShotTimer();
    EXPECT_FALSE(scheduler.isTicking());
}

// The preview dock on its own, with a clock that moves between snapshots.
class PreviewDockTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_.writeSettings({{"File/Path", dir_.path()}, {"File/Type", 2}});
        settings_ = std::make_unique<AppSettings>();
        pipeline_ = std::make_unique<VideoPipeline>(*settings_, scene_);
        controller_ = std::make_unique<SnapshotController>(
            *settings_, *pipeline_, scene_, [this] { return scene_.markCount(); }, preview_,
            nullptr, clock_.clock());
        preview_.show();
    }
    QString snap(int ms) {
        clock_.now = clock_.now.addMSecs(ms);
        controller_->saveSnapshot(halfRedHalfBlue(80, 60));
        return preview_.fileName(0);
    }
    void rightClickRow(int row) {
        QTableWidget* table = preview_.table();
        const QPoint at = table->visualRect(table->model()->index(row, 1)).center();
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, at);
        emit table->customContextMenuRequested(at);
    }
    QStringList menuTexts() const {
        QStringList texts;
        for (QAction* a : preview_.contextMenu()->actions())
            texts << a->text();
        return texts;
    }
    void choose(int entry) { preview_.contextMenu()->actions().at(entry)->trigger(); }

    ScopedWorkDir dir_;
    TestClock clock_;
    RecordingDesktop desktop_;
    InteractiveScene scene_;
    DockPreview preview_;
    std::unique_ptr<AppSettings> settings_;
    std::unique_ptr<VideoPipeline> pipeline_;
    std::unique_ptr<SnapshotController> controller_;
};

TEST_F(PreviewDockTest, NewestFirstAndRemoveKeepsTheFile) {
    const QString first = snap(0);
    const QString second = snap(5);
    const QString third = snap(5);
    QTableWidget* table = preview_.table();
    ASSERT_EQ(table->rowCount(), 3);
    EXPECT_EQ(preview_.fileName(0), third);
    EXPECT_EQ(preview_.fileName(1), second);
    EXPECT_EQ(preview_.fileName(2), first);
    EXPECT_EQ(table->rowHeight(0), DockPreview::kRowHeight);
    EXPECT_EQ(table->cellWidget(0, 0)->property("pixmap").value<QPixmap>().width(),
              DockPreview::kThumbnailWidth);

    rightClickRow(1);
    EXPECT_EQ(menuTexts(),
              (QStringList{"View the picutre", "Open the file location...", "Remove"}));
    choose(2);
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_EQ(preview_.fileName(0), third);
    EXPECT_EQ(preview_.fileName(1), first);
    EXPECT_EQ(preview_.selectedRow(), -1);
    EXPECT_TRUE(QFileInfo::exists(second));
    EXPECT_TRUE(desktop_.calls.isEmpty());
}

TEST_F(PreviewDockTest, ViewAndLocationHandTheFileToTheDesktop) {
    const QString name = snap(0);
    // Before any row was clicked the entries do nothing.
    emit preview_.table()->customContextMenuRequested(QPoint(5, 5));
    choose(0);
    choose(1);
    choose(2);
    EXPECT_TRUE(desktop_.calls.isEmpty());
    EXPECT_EQ(preview_.table()->rowCount(), 1);

    rightClickRow(0);
    choose(0);
    choose(1);
    const QPoint at = preview_.table()->visualRect(preview_.table()->model()->index(0, 1)).center();
    QTest::mouseDClick(preview_.table()->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(desktop_.calls, (QStringList{"open " + name, "show " + name, "open " + name}));
}

TEST_F(PreviewDockTest, RowsWhoseFilesWereDeletedAreReportedNotOpened) {
    const QString name = snap(0);
    QStringList missing;
    QObject::connect(&preview_, &DockPreview::fileMissing, [&](QString text) { missing << text; });
    ASSERT_TRUE(QFile::remove(name));
    rightClickRow(0);
    choose(0);
    choose(1);
    EXPECT_TRUE(desktop_.calls.isEmpty());
    ASSERT_EQ(missing.size(), 2);
    EXPECT_EQ(missing[0], "The picture " + name + " no longer exists.");
    choose(2);  // removing the row still works
    EXPECT_EQ(preview_.table()->rowCount(), 0);
}

TEST_F(PreviewDockTest, ClosingTheDockUnchecksPreviewInTheWindow) {
    ScopedWorkDir dir;
    dir.writeSettings({{"Language/Lang", 1}});
    MainWindow window;
    window.show();
    QAction* preview = window.findChild<QAction*>("actionPreview");
    preview->trigger();
    EXPECT_TRUE(window.dockPreview()->isVisible());
    window.dockPreview()->close();
    EXPECT_FALSE(preview->isChecked());
    window.close();
}

}  // namespace
