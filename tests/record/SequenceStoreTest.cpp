// SPDX-License-Identifier: MIT
// The in-memory sequence store: limit, order, playback, and saving as pictures or one AVI.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QSignalSpy>

#include "AviThread.h"
#include "FfmpegTools.h"
#include "RecordTestSupport.h"

namespace {

using avitest::patternImage;

class SequenceStoreTest : public ::testing::Test {
protected:
    void storeFrames(int n, int width = 24, int height = 16, bool grey = false) {
        for (int k = 0; k < n; ++k)
            ASSERT_TRUE(
                store_.storeFrame(patternImage(width, height, k, grey), 1000 + 40 * k, 25.0));
    }

    AviThread store_;
    avitest::ThreadEvents events_{store_};
    avitest::ScratchDir dir_;
};

TEST_F(SequenceStoreTest, HoldsAtMostMaxFramesOldestFirst) {
    store_.setMaxFrames(3);
    storeFrames(3);
    EXPECT_FALSE(store_.storeFrame(patternImage(24, 16, 9), 0, 25.0)) << "full";
    ASSERT_EQ(store_.frameCount(), 3);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(store_.frameAt(k).image, patternImage(24, 16, k)) << "frame " << k;
        EXPECT_EQ(store_.frameAt(k).timestamp, 1000 + 40 * k);
    }
    EXPECT_TRUE(store_.frameAt(3).image.isNull());
    EXPECT_TRUE(store_.frameAt(-1).image.isNull());
    store_.clearFrames();
    EXPECT_EQ(store_.frameCount(), 0);
    EXPECT_TRUE(store_.storeFrame(patternImage(24, 16, 9), 0, 25.0));
}

// Playback hands the stored frame over with meta bit 0 set: the receiver must not free it.
TEST_F(SequenceStoreTest, ShowFrameEmitsTheStoredImageNotToBeFreed) {
    storeFrames(4);
    QSignalSpy captured(&store_, &AviThread::captured);
    store_.showFrame(2);
    store_.showFrame(4);  // outside: nothing
    ASSERT_EQ(captured.count(), 1);
    const auto args = captured.takeFirst();
    const QImage shown = args.at(0).value<QImage>();
    EXPECT_EQ(shown, patternImage(24, 16, 2));
    EXPECT_EQ(args.at(3).toLongLong() & 1, 1);
    EXPECT_EQ(store_.frameCount(), 4);
}

// The store and a live recording exclude each other, so a stored frame never lands in a file
// by accident and a recording never fills the store.
TEST_F(SequenceStoreTest, StoreAndRecordingExcludeEachOther) {
    storeFrames(1);
    EXPECT_FALSE(
        store_.startFile(QString::fromStdString(dir_.file("x.avi")), patternImage(24, 16, 0), 10));
    store_.clearFrames();
    ASSERT_TRUE(
        store_.startFile(QString::fromStdString(dir_.file("x.avi")), patternImage(24, 16, 0), 10));
    EXPECT_FALSE(store_.storeFrame(patternImage(24, 16, 1), 0, 10.0));
    store_.requestStop();
    ASSERT_TRUE(events_.waitFinished());
    EXPECT_TRUE(store_.storeFrame(patternImage(24, 16, 1), 0, 10.0));
}

TEST_F(SequenceStoreTest, ThreeFramesSavedAsNumberedPngOldestFirst) {
    storeFrames(3);
    const QString folder = QString::fromStdString(dir_.path());
    ASSERT_TRUE(store_.saveSequence(folder, 2, 75));
    ASSERT_TRUE(events_.waitSequence());
    EXPECT_EQ(events_.sequences.front().first, 3);
    EXPECT_EQ(events_.sequences.front().second, QString());
    const QStringList files = QDir(folder).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(files, (QStringList{"0.png", "1.png", "2.png"}));
    for (int k = 0; k < 3; ++k) {
        const QImage picture(folder + QStringLiteral("/%1.png").arg(k));
        EXPECT_EQ(picture.convertToFormat(QImage::Format_RGB32), patternImage(24, 16, k))
            << "picture " << k << " holds frame " << k;
    }
}

TEST_F(SequenceStoreTest, GreyFramesAreSavedAsGreyPictures) {
    storeFrames(2, 20, 10, true);
    ASSERT_TRUE(store_.saveSequence(QString::fromStdString(dir_.path()), 0, 75));
    ASSERT_TRUE(events_.waitSequence());
    const QImage picture(QString::fromStdString(dir_.file("1.bmp")));
    ASSERT_FALSE(picture.isNull());
    EXPECT_TRUE(picture.isGrayscale());
    EXPECT_EQ(picture.convertToFormat(QImage::Format_Grayscale8), patternImage(20, 10, 1, true));
}

TEST_F(SequenceStoreTest, UnwritableFolderIsReported) {
    storeFrames(2);
    ASSERT_TRUE(store_.saveSequence(QString::fromStdString(dir_.file("missing")), 1, 75));
    ASSERT_TRUE(events_.waitSequence());
    EXPECT_EQ(events_.sequences.front().first, 0);
    EXPECT_TRUE(events_.sequences.front().second.contains(QStringLiteral("missing/0.jpg")));
}

// Save Avi writes every stored frame, oldest first, at the rate the frames came with, and
// the frames stay in memory.
TEST_F(SequenceStoreTest, SaveAviWritesEveryFrameOldestFirst) {
    storeFrames(5);
    const std::string path = dir_.file("sample.avi");
    ASSERT_TRUE(store_.saveAvi(QString::fromStdString(path)));
    ASSERT_TRUE(events_.waitFinished());
    EXPECT_EQ(events_.finished.front(), std::make_pair(5, 0));
    EXPECT_EQ(events_.progressCount, 5);
    EXPECT_EQ(store_.frameCount(), 5);

    auto info = avitest::probe(path);
    EXPECT_EQ(info["nb_read_packets"], "5");
    EXPECT_EQ(info["r_frame_rate"], "25/1");
    EXPECT_EQ(avitest::decodeErrors(path), "");
    std::string expected;
    for (int k = 0; k < 5; ++k)
        expected += avitest::expectedRgb(24, 16, k);
    EXPECT_TRUE(avitest::decodedPixels(path, "rgb24") == expected);
}

// Frames stored before a resolution change cannot share the file: counted as refused.
TEST_F(SequenceStoreTest, SaveAviRefusesFramesOfAnotherSize) {
    storeFrames(2);
    ASSERT_TRUE(store_.storeFrame(patternImage(16, 24, 7), 0, 25.0));
    const std::string path = dir_.file("mixed.avi");
    ASSERT_TRUE(store_.saveAvi(QString::fromStdString(path)));
    ASSERT_TRUE(events_.waitFinished());
    EXPECT_EQ(events_.finished.front(), std::make_pair(2, 1));
    EXPECT_EQ(avitest::probe(path)["nb_read_packets"], "2");
}

}  // namespace
