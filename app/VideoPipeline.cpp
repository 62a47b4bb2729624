// SPDX-License-Identifier: MIT
// The road of a frame: frame queue, capture and processing threads, display and statistics.
#include "VideoPipeline.h"

#include <QElapsedTimer>
#include <QGraphicsScene>
#include <QThread>

#include "AppGlobals.h"
#include "AppSettings.h"
#include "CaptureThread.h"
#include "FrameBufferPool.h"
#include "IspThread.h"
#include "LiveImageItem.h"
#include "OwnInterruption.h"
#include "StatusTexts.h"
#include "base/ThreadHandOver.h"
#include "vidscope/camera_api.h"

namespace {
constexpr int kStatisticsPeriodMs = 1000;
constexpr qint64 kAbortRepeatMs = 50;
constexpr qint64 kDoNotFree = 1;  // bit 0 of `meta`
constexpr int kTriggerMode = 2;
// Below every mark, which the scene adds at z 0 and above.
constexpr qreal kLiveImageZ = -1;
}  // namespace

VideoPipeline::VideoPipeline(AppSettings& settings, QGraphicsScene& scene, QObject* parent)
    : QObject(parent), settings_(settings), scene_(scene), pool_(FrameBufferPool::instance()) {
    frameBacklog.store(settings_.backlog());
    capture_ = std::make_unique<CaptureThread>(queue_, pool_);
    capture_->setRawFolder(settings_.filePath());
    isp1_ = std::make_unique<IspThread>(queue_, pool_);
    isp2_ = std::make_unique<IspThread>(queue_, pool_);
    for (IspThread* isp : {isp1_.get(), isp2_.get()}) {
        connect(isp, &IspThread::captured, this, &VideoPipeline::process);
        connect(isp, &IspThread::toTable, this, &VideoPipeline::toTable);
        isp->start();
    }
    connect(capture_.get(), &CaptureThread::toTable, this, &VideoPipeline::toTable);
    connect(&fpsTimer_, &QTimer::timeout, this, &VideoPipeline::updateFps);
    fpsTimer_.start(kStatisticsPeriodMs);
}

VideoPipeline::~VideoPipeline() {
    stopWorkers();
    clearQueue();
}

void VideoPipeline::startStreaming() {
    if (!capture_->isRunning())
        capture_->start();
    capture_->resume();
    isp1_->resume();
    isp2_->resume();
}

void VideoPipeline::pauseStreaming() {
    capture_->pause();
    isp1_->pause();
    isp2_->pause();
}

void VideoPipeline::clearQueue() {
    for (const RawFrame& frame : queue_.takeAll())
        pool_.release(frame.buffer);
}

void VideoPipeline::restartStatistics() {
    averageFps_ = 0;
    framesThisSecond_ = 0;
    startTime_ = QDateTime::currentDateTime();
}

void VideoPipeline::stopWorkers() {
    capture_->stop();
    isp1_->stop();
    isp2_->stop();
    isp1_->join();
    isp2_->join();
    releaseCamera();
    capture_->join();
}

void VideoPipeline::releaseCamera() {
    QElapsedTimer sinceAbort;
    while (capture_->isInsidePass()) {
        // A query that began just after an abort waits for its own timeout instead, so the
        // abort is repeated until the thread is out.
        if (!sinceAbort.isValid() || sinceAbort.elapsed() >= kAbortRepeatMs) {
            CameraResetStream(currentCamera.load());
            sinceAbort.start();
        }
        QThread::msleep(1);
    }
}

void VideoPipeline::saveNextRawFrame() {
    capture_->setRawFolder(settings_.filePath());
    saveRawRequested.store(true);
}

LiveImageItem* VideoPipeline::liveItem() const {
    return item_.data();
}

QImage VideoPipeline::displayedImage() const {
    return item_ ? item_->image() : QImage();
}

bool VideoPipeline::isCaptureStarted() const {
    return capture_->isRunning();
}

bool VideoPipeline::anyWorkerRunning() const {
    return capture_->isRunning() || isp1_->isRunning() || isp2_->isRunning();
}

long long VideoPipeline::capturedFrames() const {
    return capture_->capturedFrames();
}

void VideoPipeline::release(unsigned char* buffer, qint64 meta) {
    if ((meta & kDoNotFree) == 0)
        pool_.release(buffer);
}

void VideoPipeline::process(QImage img, unsigned char* buffer, qint64 timestamp, qint64 meta) {
    vidscope::base::takeOver(buffer);  // written by the processing thread that emitted it
    if (QDateTime::currentMSecsSinceEpoch() - timestamp > kStaleAfterMs) {
        ++staleTotal_;
        release(buffer, meta);
        return;
    }
    show(img);
    ++framesThisSecond_;
    ++displayedTotal_;
    // A frame still on its way when the camera was freed asks about a closed camera.
    const int snap = CameraGetSnapMode(currentCamera.load());
    if (snap < 0 && !isOwnInterruption(CameraGetLastError()))
        emit toTable(QStringLiteral("CameraGetSnapMode"), CameraGetLastError());
    if (saveSnapshotInTrigger.load() && snap == kTriggerMode)
        emit triggerFrameShown(img);
    emit frameShown(img, meta);
    release(buffer, meta);
}

void VideoPipeline::show(const QImage& img) {
    const bool first = item_.isNull();
    if (first) {
        item_ = new LiveImageItem;
        item_->setZValue(kLiveImageZ);
        scene_.addItem(item_);
    }
    item_->setImage(img);
    scene_.setSceneRect(0, 0, img.width(), img.height());
    if (first)
        emit firstImageShown();
}

void VideoPipeline::updateFps() {
    const int n = framesThisSecond_;
    averageFps_ = averageFps_ == 0 ? n : 0.4 * n + 0.6 * averageFps_;
    const double shownFps = settings_.instantFps() ? n : averageFps_;
    const int dropped = queue_.takeDroppedSinceLast();
    framesThisSecond_ = 0;
    if (n == 0)
        return;  // the status keeps its last text while no frames arrive
    const int camera = currentCamera.load();
    unsigned int speed = 2;
    CameraGetUSBSpeed(camera, &speed);
    emit usbTextChanged(StatusTexts::usb(speed));
    const qint64 elapsed = startTime_.secsTo(QDateTime::currentDateTime());
    const int brightness = CameraGetBrightness(camera);
    const double exposureMs = CameraGetExposureTime(camera);
    emit statisticsTextChanged(StatusTexts::statistics(
        shownFps, dropped, elapsed, brightness >= 0 ? std::optional(brightness) : std::nullopt,
        exposureMs >= 0 ? std::optional(exposureMs) : std::nullopt));
}

void VideoPipeline::readPixel(double x, double y) {
    if (!item_)
        return;
    const QImage& image = item_->image();
    const QPoint at(static_cast<int>(x), static_cast<int>(y));
    if (!image.valid(at))
        return;
    emit pixelTextChanged(StatusTexts::pixel(x, y, image.pixel(at)));
}
