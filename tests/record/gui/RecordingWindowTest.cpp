// SPDX-License-Identifier: MIT
// "Start Capture Video" and "Stop Capture" in the real window: status texts, actions, files.
#include <gtest/gtest.h>

#include <QRegularExpression>

#include "FfmpegTools.h"
#include "RecordingWindowSupport.h"

namespace {

class RecordingWindowTest : public RecordingWindowFixture {};

QRegularExpressionMatch savedCounts(const QString& text) {
    return QRegularExpression(QStringLiteral(R"(Saved\. total (\d+) dropped (\d+)$)")).match(text);
}

// The whole road: the first live frame opens the file, later ones are queued, and Stop ends
// it with the counts; FFmpeg finds total - dropped + 1 frames in it.
TEST_F(RecordingWindowTest, StartWaitStopLeavesAFileWithEveryCountedFrame) {
    open("0500", dir_.path() + QStringLiteral("/videos"));
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("videos")));
    QAction* start = action("actionStart_Capture");
    QAction* stop = action("actionExit_Capture");
    EXPECT_TRUE(start->isEnabled());
    EXPECT_FALSE(stop->isEnabled());

    start->trigger();
    EXPECT_EQ(captureText(), QStringLiteral("Start Capture ..."));
    EXPECT_FALSE(start->isEnabled());
    EXPECT_TRUE(stop->isEnabled());
    ASSERT_TRUE(waitForFrames(20));
    EXPECT_TRUE(window_->aviThread()->isRecording());

    stop->trigger();
    EXPECT_FALSE(stop->isEnabled());
    EXPECT_FALSE(start->isEnabled()) << "not before the file is finished";
    ASSERT_TRUE(spinUntil([&] { return savedCounts(captureText()).hasMatch(); }))
        << captureText().toStdString();
    EXPECT_TRUE(start->isEnabled());
    const auto counts = savedCounts(captureText());
    const int total = counts.captured(1).toInt();
    const int dropped = counts.captured(2).toInt();
    EXPECT_GE(total, 19);

    const QStringList files = avisIn(dir_.path() + QStringLiteral("/videos"));
    ASSERT_EQ(files.size(), 1);
    EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(^\d{14}\.avi$)")).match(files[0]).hasMatch());
    const std::string path = (dir_.path() + QStringLiteral("/videos/") + files[0]).toStdString();
    auto info = avitest::probe(path);
    EXPECT_EQ(info["nb_read_packets"], std::to_string(total - dropped + 1));
    EXPECT_EQ(info["pix_fmt"], "bgr24");
    EXPECT_EQ(avitest::decodeErrors(path), "");
}

TEST_F(RecordingWindowTest, StopBeforeTheFirstFrameLeavesNoFileAndReenablesStart) {
    open("0500", dir_.path());
    window_->pauseVideo();
    QAction* start = action("actionStart_Capture");
    start->trigger();
    action("actionExit_Capture")->trigger();
    EXPECT_TRUE(start->isEnabled());
    EXPECT_FALSE(action("actionExit_Capture")->isEnabled());
    window_->streamVideo();
    ASSERT_TRUE(waitForFrames(5));
    EXPECT_TRUE(avisIn(dir_.path()).isEmpty());
    EXPECT_FALSE(window_->aviThread()->isRecording());
    // And the next recording works as usual.
    start->trigger();
    ASSERT_TRUE(waitForFrames(3));
    action("actionExit_Capture")->trigger();
    ASSERT_TRUE(spinUntil([&] { return savedCounts(captureText()).hasMatch(); }));
    EXPECT_EQ(avisIn(dir_.path()).size(), 1);
}

// Stop pressed twice and Start pressed while the file is being finished change nothing.
TEST_F(RecordingWindowTest, RepeatedStopAndStartWhileStoppingAreHarmless) {
    open("0500", dir_.path());
    RecordingController* recording = window_->recordingController();
    recording->startCapture();
    ASSERT_TRUE(waitForFrames(5));
    recording->stopCapture();
    recording->stopCapture();
    recording->startCapture();
    EXPECT_FALSE(recording->aviCapturing()) << "no second file while the first is finished";
    ASSERT_TRUE(spinUntil([&] { return savedCounts(captureText()).hasMatch(); }));
    ASSERT_TRUE(waitForFrames(5));
    EXPECT_EQ(avisIn(dir_.path()).size(), 1);
}

// A folder that does not exist: the recording ends at once, the log says why and where, and
// "Start Capture Video" is enabled again.
TEST_F(RecordingWindowTest, MissingFolderIsReportedAndStartComesBack) {
    open("0500", dir_.path() + QStringLiteral("/gone away"));
    QAction* start = action("actionStart_Capture");
    start->trigger();
    ASSERT_TRUE(spinUntil([&] { return start->isEnabled(); }));
    EXPECT_TRUE(captureText().contains(QStringLiteral("not started")))
        << captureText().toStdString();
    const QStringList log = logTexts();
    EXPECT_TRUE(log.filter(QStringLiteral("gone away")).size() >= 1)
        << log.join(" / ").toStdString();
    EXPECT_FALSE(action("actionExit_Capture")->isEnabled());
}

// The camera goes away mid-recording: the file is finished with what it has.
TEST_F(RecordingWindowTest, CameraUnpluggedMidRecordingFinishesTheFile) {
    open("0500", dir_.path());
    action("actionStart_Capture")->trigger();
    ASSERT_TRUE(waitForFrames(5));
    for (auto id : ports_)
        vidscope::host::Driver::instance().detach(id);
    ports_.clear();
    ASSERT_TRUE(spinUntil([&] { return savedCounts(captureText()).hasMatch(); }))
        << captureText().toStdString();
    EXPECT_TRUE(logTexts().filter(QStringLiteral("camera was closed")).size() == 1);
    const QStringList files = avisIn(dir_.path());
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(avitest::decodeErrors((dir_.path() + "/" + files[0]).toStdString()), "");
}

}  // namespace
