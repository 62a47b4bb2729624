// SPDX-License-Identifier: MIT
// Live recording on the writer thread: counting, drops, stop, errors, and the files it leaves.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QThread>
#include <filesystem>
#include <memory>

#include "AviThread.h"
#include "FfmpegTools.h"
#include "RecordTestSupport.h"

namespace {

using avitest::patternImage;
using Offer = AviThread::Offer;

struct Finished {
    int total = -1;
    int dropped = -1;
};

Finished waitFinished(avitest::ThreadEvents& events) {
    EXPECT_TRUE(events.waitFinished()) << "finished() never came";
    if (events.finished.empty())
        return {};
    const auto [total, dropped] = events.finished.front();
    events.finished.erase(events.finished.begin());
    return {total, dropped};
}

int framesIn(const std::string& path) {
    return std::stoi(avitest::probe(path)["nb_read_packets"]);
}

class AviThreadTest : public ::testing::Test {
protected:
    AviThread thread_;
    avitest::ThreadEvents events_{thread_};
    avitest::ScratchDir dir_;
};

// 250 frames while the disk keeps up: the first one is written at the start and not counted.
TEST_F(AviThreadTest, TwoHundredFiftyFramesAreTotal249Dropped0) {
    const std::string path = dir_.file("250.avi");
    ASSERT_TRUE(thread_.startFile(QString::fromStdString(path), patternImage(64, 48, 0), 25));
    EXPECT_TRUE(thread_.isRecording());
    for (int k = 1; k < 250; ++k) {
        // Paced like a camera that the disk keeps up with: never more than half the queue.
        while (thread_.frameCount() > AviThread::kDefaultMaxFrames / 2)
            QThread::msleep(1);
        ASSERT_EQ(thread_.pushFrame(patternImage(64, 48, k), 25.0), Offer::kQueued);
    }
    thread_.requestStop();
    const Finished f = waitFinished(events_);
    EXPECT_EQ(f.total, 249);
    EXPECT_EQ(f.dropped, 0);
    EXPECT_FALSE(thread_.isRecording());
    EXPECT_TRUE(events_.failures.isEmpty());

    auto info = avitest::probe(path);
    EXPECT_EQ(info["nb_read_packets"], "250");
    EXPECT_EQ(info["r_frame_rate"], "25/1");
    EXPECT_EQ(avitest::decodeErrors(path), "");
    EXPECT_TRUE(avitest::decodedPixels(path, "rgb24", "select=eq(n\\,0)") ==
                avitest::expectedRgb(64, 48, 0));
    EXPECT_TRUE(avitest::decodedPixels(path, "rgb24", "select=eq(n\\,249)") ==
                avitest::expectedRgb(64, 48, 249))
        << "frames are written in arrival order";
}

// A writer that falls behind: the excess is refused and counted, and the file holds exactly
// the frames that were not dropped.
TEST_F(AviThreadTest, WriterHeldBackCountsDropsAndFileHoldsTheRest) {
    const std::string path = dir_.file("behind.avi");
    thread_.setMaxFrames(2);
    // Large frames take the writer tens of milliseconds each; the pushes take microseconds.
    const QImage big = patternImage(2000, 1500, 3);
    ASSERT_TRUE(thread_.startFile(QString::fromStdString(path), big, 10));
    int refused = 0;
    for (int k = 0; k < 30; ++k)
        refused += thread_.pushFrame(big, 10.0) == Offer::kDropped;
    thread_.requestStop();
    const Finished f = waitFinished(events_);
    EXPECT_EQ(f.total, 30);
    EXPECT_EQ(f.dropped, refused);
    EXPECT_GT(f.dropped, 0);
    EXPECT_EQ(framesIn(path), f.total - f.dropped + 1);
    EXPECT_EQ(avitest::decodeErrors(path), "");
}

TEST_F(AviThreadTest, StopRightAfterStartKeepsTheFirstFrame) {
    const std::string path = dir_.file("one.avi");
    ASSERT_TRUE(thread_.startFile(QString::fromStdString(path), patternImage(32, 32, 0, true), 0));
    thread_.requestStop();
    thread_.requestStop();  // pressed twice
    const Finished f = waitFinished(events_);
    EXPECT_EQ(f.total, 0);
    EXPECT_EQ(f.dropped, 0);
    auto info = avitest::probe(path);
    EXPECT_EQ(info["nb_read_packets"], "1");
    EXPECT_EQ(info["pix_fmt"], "pal8");
    EXPECT_EQ(info["r_frame_rate"], "1/1") << "a rate below 1 is written as 1";
}

// A file that cannot be created: the error is reported with the name, the recording is over,
// and the next one starts normally.
TEST_F(AviThreadTest, FileThatCannotBeCreatedEndsTheRecording) {
    const std::string path = dir_.file("no such folder/a.avi");
    ASSERT_TRUE(thread_.startFile(QString::fromStdString(path), patternImage(16, 16, 0), 5));
    thread_.pushFrame(patternImage(16, 16, 1), 5.0);
    const Finished f = waitFinished(events_);
    ASSERT_EQ(events_.failures.size(), 1);
    const QString message = events_.failures.front();
    EXPECT_TRUE(message.contains(QStringLiteral("no such folder/a.avi"))) << message.toStdString();
    EXPECT_EQ(f.total - f.dropped, 0) << "nothing was written";
    EXPECT_FALSE(thread_.isRecording());
    EXPECT_EQ(thread_.frameCount(), 0) << "frames queued meanwhile are given back";

    const std::string next = dir_.file("next.avi");
    ASSERT_TRUE(thread_.startFile(QString::fromStdString(next), patternImage(16, 16, 0), 5));
    thread_.requestStop();
    waitFinished(events_);
    EXPECT_EQ(framesIn(next), 1);
}

// A file holds one frame size: a frame of another size ends the file with what it has.
TEST_F(AviThreadTest, ResolutionChangeEndsTheFile) {
    const std::string path = dir_.file("resize.avi");
    ASSERT_TRUE(thread_.startFile(QString::fromStdString(path), patternImage(40, 30, 0), 5));
    EXPECT_EQ(thread_.pushFrame(patternImage(40, 30, 1), 5.0), Offer::kQueued);
    EXPECT_EQ(thread_.pushFrame(patternImage(30, 40, 2), 5.0), Offer::kSizeChanged);
    EXPECT_EQ(thread_.pushFrame(patternImage(40, 30, 3), 5.0), Offer::kNotRecording);
    const Finished f = waitFinished(events_);
    EXPECT_EQ(f.total, 1);
    EXPECT_EQ(framesIn(path), 2);
    EXPECT_EQ(thread_.pushFrame(patternImage(40, 30, 3), 5.0), Offer::kNotRecording);
}

// The disk fills up mid-recording (a file size limit on this process stands in for it): the
// recording ends by itself, says why, and the file plays to its last good frame.
TEST_F(AviThreadTest, DiskFullEndsTheRecordingWithAPlayableFile) {
    const std::string path = dir_.file("full.avi");
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = 2 * 1024 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const QImage frame = patternImage(320, 240, 0);
    ASSERT_TRUE(thread_.startFile(QString::fromStdString(path), frame, 25));
    for (int k = 0; k < 40; ++k) {
        while (thread_.frameCount() > 10)
            QThread::msleep(1);
        if (thread_.pushFrame(frame, 25.0) == Offer::kNotRecording)
            break;
    }
    thread_.requestStop();
    const Finished f = waitFinished(events_);
    setrlimit(RLIMIT_FSIZE, &saved);

    ASSERT_EQ(events_.failures.size(), 1);
    EXPECT_TRUE(events_.failures.front().contains(QStringLiteral("File too large")));
    EXPECT_GT(f.dropped, 0);
    EXPECT_EQ(framesIn(path), f.total - f.dropped + 1);
    EXPECT_EQ(avitest::decodeErrors(path), "");
}

// Closing the window during a recording: the file is ended at once with its index.
TEST(AviThreadClose, DestroyingDuringARecordingLeavesAPlayableFile) {
    avitest::ScratchDir dir;
    const std::string path = dir.file("closed.avi");
    {
        AviThread thread;
        const QImage frame = patternImage(800, 600, 1);
        ASSERT_TRUE(thread.startFile(QString::fromStdString(path), frame, 10));
        for (int k = 0; k < 50; ++k)
            thread.pushFrame(frame, 10.0);
        // Closed while the writer is busy with the queue.
        while (thread.frameCount() > 45)
            QThread::msleep(1);
    }
    ASSERT_TRUE(std::filesystem::exists(path));
    EXPECT_GE(framesIn(path), 1);
    EXPECT_EQ(avitest::decodeErrors(path), "");
}

}  // namespace
