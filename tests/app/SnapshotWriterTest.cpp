// SPDX-License-Identifier: MIT
// Tests of the picture files: names, folders, formats, quality and every way a write can fail.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include "AppSettings.h"
#include "PictureTestSupport.h"
#include "ShellTestSupport.h"
#include "SnapshotWriter.h"

namespace {

class SnapshotWriterTest : public ::testing::Test {
protected:
    SnapshotWriter::Result snapshot(const QImage& image) {
        AppSettings settings;
        return SnapshotWriter(settings, clock_.clock()).saveSnapshot(image);
    }
    SnapshotWriter::Result timedShot(const QImage& image) {
        AppSettings settings;
        return SnapshotWriter(settings, clock_.clock()).saveTimedShot(image);
    }
    QStringList filesIn(const QString& folder) const {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden);
    }

    ScopedWorkDir dir_;
    TestClock clock_;
    QImage picture_ = halfRedHalfBlue(64, 48);
};

TEST_F(SnapshotWriterTest, SnapshotAndTimedShotNamesOfOneMomentInTheirFolders) {
    const QString folder = dir_.path() + "/pics";
    QDir().mkpath(folder);
    dir_.writeSettings({{"File/Path", folder}, {"File/Type", 2}});

    const SnapshotWriter::Result snap = snapshot(picture_);
    EXPECT_EQ(snap.status, SnapshotWriter::Status::Saved) << snap.error.toStdString();
    EXPECT_EQ(snap.fileName, folder + "/20170505140307045.png");
    const SnapshotWriter::Result shot = timedShot(picture_);
    EXPECT_EQ(shot.status, SnapshotWriter::Status::Saved) << shot.error.toStdString();
    EXPECT_EQ(shot.fileName, folder + "/20170505/20170505140307.png");

    // Both decode to the picture itself (PNG is lossless).
    for (const QString& name : {snap.fileName, shot.fileName}) {
        QImageReader reader(name);
        EXPECT_EQ(reader.format(), "png");
        const QImage back = reader.read();
        ASSERT_FALSE(back.isNull()) << name.toStdString();
        EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), picture_);
    }
    // The same millisecond gives the same name: the second snapshot replaces the first.
    EXPECT_EQ(snapshot(picture_).fileName, snap.fileName);
    EXPECT_EQ(filesIn(folder), QStringList{"20170505140307045.png"});
}

TEST_F(SnapshotWriterTest, TypesChooseFormatAndExtensionAndOthersWriteNothing) {
    dir_.writeSettings({{"File/Path", dir_.path()}});
    EXPECT_TRUE(snapshot(picture_).fileName.endsWith(".jpg"));  // default type 1
    QImageReader jpeg(snapshot(picture_).fileName);
    EXPECT_EQ(jpeg.format(), "jpeg");

    dir_.writeSettings({{"File/Type", 0}});
    const SnapshotWriter::Result bmp = snapshot(picture_);
    EXPECT_EQ(QImageReader(bmp.fileName).format(), "bmp");

    for (int type : {3, -1}) {
        dir_.writeSettings({{"File/Type", type}});
        clock_.now = clock_.now.addSecs(1);
        const SnapshotWriter::Result none = snapshot(picture_);
        EXPECT_EQ(none.status, SnapshotWriter::Status::Failed);
        EXPECT_EQ(QFileInfo(none.fileName).suffix(), "");
        EXPECT_TRUE(none.error.contains("File/Type")) << none.error.toStdString();
        EXPECT_FALSE(QFileInfo::exists(none.fileName));
    }
}

TEST_F(SnapshotWriterTest, EmptyFolderAsksForOneAndWritesNothing) {
    dir_.writeSettings({{"File/Path", ""}});
    EXPECT_EQ(snapshot(picture_).status, SnapshotWriter::Status::NoFolder);
    EXPECT_EQ(timedShot(picture_).status, SnapshotWriter::Status::NoFolder);
    EXPECT_EQ(filesIn(dir_.path()), QStringList{"setting.ini"});
}

TEST_F(SnapshotWriterTest, BadFoldersFailWithTheirReasonAndLeaveNoFileBehind) {
    QFile plain(dir_.path() + "/plain");
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    struct Case {
        QString folder;
        const char* reason;
    };
    const Case cases[] = {
        {dir_.path() + "/missing", "does not exist"},
        {dir_.path() + "/plain", "is a file"},
        // Not even root may create files in /proc.
        {"/proc", ""},
    };
    for (const Case& c : cases) {
        dir_.writeSettings({{"File/Path", c.folder}});
        for (const SnapshotWriter::Result& r : {snapshot(picture_), timedShot(picture_)}) {
            EXPECT_EQ(r.status, SnapshotWriter::Status::Failed) << c.folder.toStdString();
            EXPECT_FALSE(r.error.isEmpty());
            EXPECT_TRUE(r.error.contains(c.reason)) << r.error.toStdString();
            EXPECT_FALSE(QFileInfo::exists(r.fileName));
        }
    }
    // The missing target folder was reported, not created for the day folder.
    EXPECT_FALSE(QFileInfo::exists(dir_.path() + "/missing"));
    EXPECT_EQ(filesIn(dir_.path()), (QStringList{"plain", "setting.ini"}));
}

TEST_F(SnapshotWriterTest, FolderWithSpacesAndNonAsciiNamesAndATrailingSlash) {
    const QString folder = dir_.path() + QString::fromUtf8("/Bilder für Prüfung 试验");
    ASSERT_TRUE(QDir().mkpath(folder));
    dir_.writeSettings({{"File/Path", folder + "/"}, {"File/Type", 2}});
    const SnapshotWriter::Result r = snapshot(picture_);
    EXPECT_EQ(r.status, SnapshotWriter::Status::Saved) << r.error.toStdString();
    EXPECT_EQ(r.fileName, folder + "/20170505140307045.png");
    EXPECT_FALSE(QImage(r.fileName).isNull());
    EXPECT_EQ(timedShot(picture_).status, SnapshotWriter::Status::Saved);
    EXPECT_TRUE(QFileInfo(folder + "/20170505").isDir());
}

TEST_F(SnapshotWriterTest, QualityOutsideItsRangeIsHeldAtTheNearestEnd) {
    // A detailed picture, so that the JPEG size follows the quality.
    QImage noisy(200, 150, QImage::Format_RGB32);
    for (int y = 0; y < noisy.height(); ++y)
        for (int x = 0; x < noisy.width(); ++x)
            noisy.setPixel(x, y, qRgb((x * 37 + y * 11) % 256, (x * y) % 256, (x ^ y) % 256));
    auto sizeAt = [&](int quality) {
        const QString name = dir_.path() + QString("/q%1.jpg").arg(quality);
        EXPECT_EQ(SnapshotWriter::write(noisy, name, quality), "");
        return QFileInfo(name).size();
    };
    EXPECT_EQ(sizeAt(500), sizeAt(100));
    EXPECT_EQ(sizeAt(-20), sizeAt(1));
    EXPECT_EQ(sizeAt(0), sizeAt(1));
    EXPECT_LT(sizeAt(1), sizeAt(75));
    EXPECT_LT(sizeAt(75), sizeAt(100));
}

TEST_F(SnapshotWriterTest, NullPictureIsRefused) {
    EXPECT_FALSE(SnapshotWriter::write(QImage(), dir_.path() + "/x.png", 75).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(dir_.path() + "/x.png"));
}

}  // namespace
