// SPDX-License-Identifier: MIT
// Live video against virtual cameras: frames to the scene, status texts, hot-plug, close.
#include <QRegularExpression>
#include <QSignalSpy>

#include "AppGlobals.h"
#include "FrameBufferPool.h"
#include "LiveImageItem.h"
#include "LiveMeasurement.h"
#include "LiveVideoFixture.h"
#include "StatusTexts.h"
#include "vidscope/camera_api.h"

namespace {

using LiveVideo = LiveVideoFixture;

TEST_F(LiveVideo, StartUpOpensCameraZeroAndShowsItsFrames) {
    attach("0120,012B");
    startUp();
    ASSERT_EQ(cameraBox_.count(), 2);
    EXPECT_EQ(cameraBox_.itemText(0), "VS-M120C(0)");
    EXPECT_EQ(cameraBox_.itemText(1), "VS-M120M(1)");
    EXPECT_EQ(cameraBox_.currentIndex(), 0);
    // Opening starts the video, and so does the start-up after the enumeration.
    EXPECT_EQ(count("Start video", 18), 3);
    // The camera's sizes in its order, then "ROI".
    ASSERT_EQ(resolutionBox_.count(), CameraGetResolutionCount(0) + 1);
    EXPECT_EQ(resolutionBox_.itemText(0), "1280x960");
    EXPECT_EQ(resolutionBox_.itemText(1), "640x480");
    EXPECT_EQ(resolutionBox_.itemText(resolutionBox_.count() - 1), "ROI");
    EXPECT_EQ(resolutionBox_.currentIndex(), 0);
    EXPECT_TRUE(pause_.isEnabled());
    EXPECT_FALSE(single_.isEnabled());
    EXPECT_FALSE(open_.isEnabled());

    ASSERT_TRUE(waitForFrames(5));
    const QImage shown = pipeline_->displayedImage();
    EXPECT_EQ(shown.size(), QSize(1280, 960));
    EXPECT_EQ(shown.format(), QImage::Format_RGB32);
    EXPECT_EQ(scene_.sceneRect(), QRectF(0, 0, 1280, 960));
    // The live picture lies under every mark.
    EXPECT_LT(pipeline_->liveItem()->zValue(), 0);
    EXPECT_EQ(pipeline_->liveItem()->image().constBits(), shown.constBits());
}

TEST_F(LiveVideo, RawFormatShowsTheRawBytesAsGrey) {
    attach("0120");
    // The format comes from the camera's stored parameters when it is opened.
    ASSERT_TRUE(CameraInit(0));
    ASSERT_TRUE(CameraSetParam(0, "image_format", 1));
    ASSERT_TRUE(CameraSaveParameter(0, 0));
    ASSERT_TRUE(CameraFree(0));
    startUp();
    EXPECT_EQ(imageFormat.load(), 1);
    ASSERT_TRUE(waitForFrames(3));
    const QImage shown = pipeline_->displayedImage();
    EXPECT_EQ(shown.format(), QImage::Format_Grayscale8);
    EXPECT_EQ(shown.size(), QSize(1280, 960));
}

TEST_F(LiveVideo, StatisticsAndPixelReadout) {
    attach("3120");
    startUp();
    QSignalSpy statistics(pipeline_.get(), &VideoPipeline::statisticsTextChanged);
    QSignalSpy usb(pipeline_.get(), &VideoPipeline::usbTextChanged);
    ASSERT_TRUE(waitFor([&] { return !statistics.isEmpty(); }, 5000));
    const QString line = statistics.last().at(0).toString();
    static const QRegularExpression format(
        R"(^fps: \d+\.\d\d dropped: \d+ elasped: \[00:00:0[0-9]\] avg: (-|\d+) )"
        R"(exposure: (-|\d+\.\d{3})ms$)");
    EXPECT_TRUE(format.match(line).hasMatch()) << line.toStdString();
    EXPECT_EQ(usb.last().at(0).toString(), "USB3.0");

    QSignalSpy pixel(pipeline_.get(), &VideoPipeline::pixelTextChanged);
    pipeline_->readPixel(100.5, 7);
    ASSERT_EQ(pixel.count(), 1);
    // The readout describes a pixel of the picture on display at the time of the press.
    const QString text = pixel.last().at(0).toString();
    static const QRegularExpression readout(
        R"(^Pos\(100\.5,7\)   Rgb\((\d+),(\d+),(\d+)\)   Gray:(\d+)$)");
    const QRegularExpressionMatch m = readout.match(text);
    ASSERT_TRUE(m.hasMatch()) << text.toStdString();
    const QRgb rgb = qRgb(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    EXPECT_EQ(m.captured(4).toInt(), StatusTexts::grey(rgb));
    // Outside the picture nothing is read.
    pipeline_->readPixel(-1, 5);
    pipeline_->readPixel(1280, 5);
    EXPECT_EQ(pixel.count(), 1);
}

TEST_F(LiveVideo, StaleFramesAreNeitherShownNorCounted) {
    startUp();  // no camera: only the display path runs
    FrameBufferPool& pool = FrameBufferPool::instance();
    const std::size_t liveBefore = pool.liveCount();
    auto frame = [&](qint64 age, qint64 meta) {
        unsigned char* buffer = pool.acquire(16 * 8);
        const QImage image = pool.wrap(buffer, 16, 8, 16, QImage::Format_Grayscale8);
        pipeline_->process(image, buffer, QDateTime::currentMSecsSinceEpoch() - age, meta);
        return buffer;
    };
    frame(600, 0);
    EXPECT_EQ(pipeline_->displayedFrames(), 0);
    EXPECT_EQ(pipeline_->staleDrops(), 1);
    EXPECT_EQ(pipeline_->liveItem(), nullptr);
    EXPECT_EQ(pool.liveCount(), liveBefore);

    frame(0, 0);
    EXPECT_EQ(pipeline_->displayedFrames(), 1);
    ASSERT_NE(pipeline_->liveItem(), nullptr);
    EXPECT_EQ(pipeline_->liveItem()->image().size(), QSize(16, 8));
    EXPECT_EQ(pool.liveCount(), liveBefore + 1);  // held by the item only

    // Bit 0 of meta: the sender keeps the buffer.
    unsigned char* kept = frame(0, 1);
    EXPECT_EQ(pool.liveCount(), liveBefore + 1);  // first frame's buffer went back
    pool.release(kept);
}

TEST_F(LiveVideo, PausedWorkersDropWaitingFramesSilently) {
    startUp();
    FrameBufferPool& pool = FrameBufferPool::instance();
    const std::size_t liveBefore = pool.liveCount();
    pipeline_->pauseStreaming();
    ASSERT_TRUE(pipeline_->queue().push({pool.acquire(64 * 4), 64, 4}, 2));
    ASSERT_TRUE(waitFor([&] { return pipeline_->queue().size() == 0; }, 2000));
    QCoreApplication::processEvents();
    EXPECT_EQ(pipeline_->displayedFrames(), 0);
    EXPECT_EQ(pool.liveCount(), liveBefore);
}

TEST_F(LiveVideo, WithoutCameraStartReportsIt) {
    startUp();
    EXPECT_EQ(cameraBox_.count(), 0);
    controller_->streamVideo();
    EXPECT_EQ(count("Did not find the camera", 22), 1);
    EXPECT_EQ(count("Start video", 18), 0);
    EXPECT_FALSE(pipeline_->isCaptureStarted());
}

TEST_F(LiveVideo, ResolutionChangePausesAndStartsTwice) {
    attach("012B");
    startUp();
    ASSERT_TRUE(waitForFrames(2));
    log_.clear();
    resolutionBox_.setCurrentIndex(1);
    EXPECT_EQ(count("Stop video", 19), 2);
    EXPECT_EQ(count("Start video", 18), 2);
    EXPECT_EQ(log_.size(), 4u);
    EXPECT_EQ(controller_->currentResolutionIndex(), 1);
    ASSERT_TRUE(waitFor([&] { return pipeline_->displayedImage().size() == QSize(640, 480); }));

    // Back to the largest size, as the settings dialog asks when its ROI is dropped.
    controller_->returnMaxReso();
    EXPECT_EQ(resolutionBox_.currentIndex(), 0);
    EXPECT_EQ(controller_->currentResolutionIndex(), 0);
    ASSERT_TRUE(waitFor([&] { return pipeline_->displayedImage().size() == QSize(1280, 960); }));
}

TEST_F(LiveVideo, StoredRoiIsAppliedOnlyWhenEven) {
    attach("012B");
    auto storeRoi = [](unsigned short x, unsigned short width) {
        ASSERT_TRUE(CameraInit(0));
        ASSERT_TRUE(CameraSetParam(0, "resolution_index", 1));
        ASSERT_TRUE(CameraSetParam(0, "enable_roi", 1));
        ASSERT_TRUE(CameraSetParam(0, "roi_offset_x", x));
        ASSERT_TRUE(CameraSetParam(0, "roi_offset_y", 20));
        ASSERT_TRUE(CameraSetParam(0, "roi_width", width));
        ASSERT_TRUE(CameraSetParam(0, "roi_height", 200));
        ASSERT_TRUE(CameraSaveParameter(0, 0));
        ASSERT_TRUE(CameraFree(0));
    };
    storeRoi(11, 320);  // odd offset: ignored, the stored resolution index counts
    startUp();
    EXPECT_EQ(resolutionBox_.currentIndex(), 1);
    EXPECT_EQ(controller_->currentResolutionIndex(), 1);
    ASSERT_TRUE(waitFor([&] { return pipeline_->displayedImage().size() == QSize(640, 480); }));

    controller_->shutdown();
    controller_.reset();
    pipeline_.reset();
    storeRoi(10, 320);
    startUp();
    EXPECT_EQ(resolutionBox_.currentText(), "ROI");
    EXPECT_EQ(controller_->currentResolutionIndex(), resolutionBox_.count() - 1);
    ASSERT_TRUE(waitFor([&] { return pipeline_->displayedImage().size() == QSize(320, 200); }));

    // A region wider than the sensor (stored for another model, or by hand) is refused by
    // the camera: the stored resolution takes over and the video still starts.
    controller_->shutdown();
    controller_.reset();
    pipeline_.reset();
    storeRoi(10, 4000);
    log_.clear();
    startUp();
    EXPECT_EQ(count("CameraSetROI", CAMERA_ERROR_PARAMETER_UNREASONABLE), 1);
    EXPECT_EQ(resolutionBox_.currentIndex(), 1);
    EXPECT_EQ(controller_->currentResolutionIndex(), 1);
    EXPECT_TRUE(waitFor([&] { return pipeline_->displayedImage().size() == QSize(640, 480); }));
}

TEST_F(LiveVideo, UnplugAndReplugFollowTheCamera) {
    attach("012B");
    startUp();
    ASSERT_TRUE(waitForFrames(3));

    detachAll();
    ASSERT_TRUE(waitFor([&] { return count("Camera plugged out", 21) == 1; }));
    EXPECT_EQ(cameraBox_.count(), 0);
    EXPECT_EQ(controller_->cameraCount(), 0);
    controller_->streamVideo();
    EXPECT_EQ(count("Did not find the camera", 22), 1);

    attach("012B");
    ASSERT_TRUE(waitFor([&] { return count("Camera plugged in", 20) == 1; }));
    EXPECT_EQ(cameraBox_.count(), 1);
    EXPECT_TRUE(waitForFrames(3));
}

// Unplugging, pausing and restarting end queries and free the camera on purpose: none of
// that is a failure for the message log.
TEST_F(LiveVideo, OwnInterruptionsLeaveNoRowsInTheLog) {
    // Paced, as a real camera: the capture thread then spends its time waiting in a query,
    // where the pause, the unplug and the close meet it.
    attachPaced("3120");
    startUp();
    for (int round = 0; round < 4; ++round) {
        ASSERT_TRUE(waitForFrames(3));
        detachAll();
        ASSERT_TRUE(waitFor([&] { return count("Camera plugged out", 21) == round + 1; }));
        attachPaced("3120");
        ASSERT_TRUE(waitFor([&] { return count("Camera plugged in", 20) == round + 1; }));
        ASSERT_TRUE(waitForFrames(3));
        controller_->pauseVideo();
        controller_->streamVideo();
    }
    controller_->shutdown();
    waitFor([] { return false; }, 200);  // frames still on their way arrive after the close
    EXPECT_EQ(count("CameraQueryImage", CAMERA_ERROR_USER_ABORT), 0);
    EXPECT_EQ(count("CameraGetSnapMode", CAMERA_ERROR_NOT_INITIALIZED), 0);
    for (const LogRow& row : log_)
        EXPECT_NE(row.number, CAMERA_ERROR_USER_ABORT) << row.text.toStdString();
}

TEST_F(LiveVideo, CloseWhileStreamingJoinsEveryThreadAndFreesTheCamera) {
    attach("3120");
    startUp();
    ASSERT_TRUE(waitForFrames(3));
    QElapsedTimer timer;
    timer.start();
    controller_->shutdown();
    EXPECT_LT(timer.elapsed(), 2000);
    EXPECT_FALSE(pipeline_->anyWorkerRunning());
    EXPECT_EQ(pipeline_->queue().size(), 0u);
    EXPECT_EQ(CameraGetID(0), -1);
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_NOT_INITIALIZED);
}

TEST_F(LiveVideo, MeasurementCountsEveryStageAndBuffersAreReused) {
    // Paced: an unpaced camera outruns a loaded GUI thread, and the frames waiting for it
    // then legitimately hold many buffers at once.
    attachPaced("3120");
    build();
    // Counted from before the camera opens, so that no frame is in flight at the start.
    LiveMeasurement measurement(*pipeline_, 60);
    start();
    ASSERT_TRUE(waitForFrames(30));
    // Stopped first, so that the stages are compared at rest.
    controller_->pauseVideo();
    pipeline_->releaseCamera();
    const LiveMeasurement::Counts counts = measurement.elapsedCounts();
    EXPECT_GE(counts.displayed, 30);
    EXPECT_GE(counts.captured, counts.displayed);
    EXPECT_GE(counts.cameraSent, counts.captured);
    // Streaming draws its buffers from the pool: as many as are in flight at once, never one
    // a frame.
    EXPECT_LT(counts.buffersAllocated, counts.displayed / 2);
    EXPECT_EQ(LiveMeasurement::report(20, {100, 2, 99, 95, 3, 1, 0}),
              "measured 20 s: camera frames 100 (made but unread 2), captured 99, displayed 95 "
              "(95.0 % of camera frames), queue drops 3, stale drops 1, frame buffers allocated 0");
}

}  // namespace
