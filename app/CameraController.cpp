// SPDX-License-Identifier: MIT
// The main window's control of the camera: selection, opening, start and pause, hot-plug, close.
#include "CameraController.h"

#include <QAction>
#include <QComboBox>
#include <QThread>
#include <array>

#include "AppGlobals.h"
#include "GuiLog.h"
#include "VideoPipeline.h"
#include "usb/host/HotplugNotifier.h"
#include "vidscope/camera_api.h"

namespace {
constexpr int kHighestCameraIndex = 254;
constexpr unsigned long kSettleMs = 100;
// A dead-pixel list: the count, then up to 63 coordinate pairs.
constexpr std::size_t kDeadPixelListSize = 127;
enum EventNumber {
    kStartVideo = 18,
    kStopVideo = 19,
    kPluggedIn = 20,
    kPluggedOut = 21,
    kNoCamera = 22,
};
}  // namespace

CameraController::CameraController(VideoPipeline& pipeline, const CameraWidgets& widgets,
                                   QObject* parent)
    : QObject(parent), pipeline_(pipeline), widgets_(widgets) {
    connect(widgets_.cameraBox, &QComboBox::currentIndexChanged, this,
            &CameraController::deviceChange);
    connectResolutionBox();
    // The driver calls listeners on whichever thread plugged the device; the handler belongs
    // to the GUI thread, so the call is queued there. The destructor disconnects before the
    // object goes, and a queued call still pending then is dropped with it.
    hotplugListener_ = vidscope::host::HotplugNotifier::instance().connect(
        [this](const vidscope::host::DeviceChange&) {
            QMetaObject::invokeMethod(this, &CameraController::devicesChanged,
                                      Qt::QueuedConnection);
        });
}

CameraController::~CameraController() {
    vidscope::host::HotplugNotifier::instance().disconnect(hotplugListener_);
}

void CameraController::logFailure(const char* function) {
    emit toTable(QString::fromLatin1(function), CameraGetLastError());
}

void CameraController::logEvent(const char* text, int number) {
    emit toTable(QString::fromLatin1(text), number);
}

void CameraController::connectResolutionBox() {
    if (!resolutionConnection_)
        resolutionConnection_ = connect(widgets_.resolutionBox, &QComboBox::currentIndexChanged,
                                        this, &CameraController::resolutionChange);
}

void CameraController::disconnectResolutionBox() {
    disconnect(resolutionConnection_);
    resolutionConnection_ = {};
}

bool CameraController::enumerateDevice() {
    cameraCount_ = CameraGetCount();
    widgets_.cameraBox->clear();
    widgets_.resolutionBox->clear();
    for (int i = 0; i < cameraCount_; ++i) {
        char displayName[CAMERA_NAME_BUFFER_SIZE] = {};
        char shortName[CAMERA_NAME_BUFFER_SIZE] = {};
        if (CameraGetName(i, displayName, shortName, nullptr, nullptr) < 0)
            logFailure("CameraGetName");
        else
            widgets_.cameraBox->addItem(QString::fromLocal8Bit(shortName));
    }
    return cameraCount_ > 0;
}

void CameraController::clearQueueAndFree(bool logFreeFailure) {
    pipeline_.releaseCamera();
    pipeline_.clearQueue();
    if (!CameraFree(currentCamera.load()) && logFreeFailure)
        logFailure("CameraFree");
    emit cameraChanged(-1);
}

void CameraController::deviceChange(int index) {
    disconnectResolutionBox();
    if (index < 0 || index > kHighestCameraIndex)
        return;  // stays disconnected until the next valid selection
    pauseVideo();
    if (cameraCount_ <= 0) {
        streamVideo();  // reports that no camera was found
        return;
    }
    openCamera(index);
    connectResolutionBox();
    streamVideo();
}

void CameraController::openCamera(int index) {
    clearQueueAndFree(false);
    currentCamera.store(index);
    const bool opened = CameraInit(index);
    if (!opened)
        logFailure("CameraInit");
    if (!CameraLoadParameter(index, 0))
        logFailure("CameraLoadParameter");
    std::array<unsigned int, kDeadPixelListSize> deadPixels{};
    if (!CameraLoadDeadpixel(index, deadPixels.data()))
        logFailure("CameraLoadDeadpixel");
    const unsigned int format = storedParam("image_format");
    imageFormat.store(format == 1 || format == 2 || format == 4 ? int(format) : 4);
    emit cameraOpened();
    if (opened)
        emit cameraChanged(index);
    widgets_.resolutionBox->clear();
    const int n = CameraGetResolutionCount(index);
    if (n <= 0) {
        logFailure("CameraGetResolutionCount");
        widgets_.resolutionBox->clear();
        return;
    }
    fillResolutionBox(n);
    const int r = applyStoredResolution(n);
    widgets_.resolutionBox->setCurrentIndex(r);
}

unsigned int CameraController::storedParam(const char* key) const {
    unsigned int value = 0;
    if (!CameraGetParam(currentCamera.load(), key, &value))
        return 0;
    return value;
}

void CameraController::fillResolutionBox(int count) {
    const int camera = currentCamera.load();
    for (int i = 0; i < count; ++i) {
        unsigned int width = 0;
        unsigned int height = 0;
        if (!CameraGetResolution(camera, static_cast<unsigned short>(i), &width, &height, nullptr))
            logFailure("CameraGetResolution");
        widgets_.resolutionBox->addItem(QStringLiteral("%1x%2").arg(width).arg(height));
    }
    widgets_.resolutionBox->addItem(QStringLiteral("ROI"));
}

int CameraController::applyStoredResolution(int count) {
    int r = static_cast<int>(storedParam("resolution_index"));
    const bool roiEnabled = storedParam("enable_roi") != 0;
    const unsigned int x = storedParam("roi_offset_x");
    const unsigned int y = storedParam("roi_offset_y");
    const unsigned int width = storedParam("roi_width");
    const unsigned int height = storedParam("roi_height");
    const bool even = x % 2 == 0 && y % 2 == 0 && width % 2 == 0 && height % 2 == 0;
    const bool roiValid = even && width >= 2 && height >= 2;
    if (roiValid && roiEnabled) {
        if (CameraSetROI(currentCamera.load(), x, y, width, height)) {
            currentResolutionIndex_ = count;
            emit roiTakenOver(int(x), int(y), int(width), int(height));
            return count;
        }
        // A region stored for another sensor or mode would leave the stream without a frame
        // size it can deliver: start on a resolution instead, and say why.
        logFailure("CameraSetROI");
        const int fallback = r >= 0 && r < count ? r : 0;
        qCWarning(guiLog).nospace()
            << "the stored region " << width << "x" << height << " at (" << x << "," << y
            << ") is refused by the camera; starting at resolution " << fallback << " instead";
        r = fallback;
    }
    if (r > count || r < 0)
        r = 0;
    currentResolutionIndex_ = r;
    setResolution(r);
    return r;
}

void CameraController::streamVideo() {
    if (cameraCount_ <= 0) {
        logEvent("Did not find the camera", kNoCamera);
        return;
    }
    const int camera = currentCamera.load();
    CameraResetStream(camera);
    if (CameraPlay(camera))
        logEvent("Start video", kStartVideo);
    else
        logFailure("CameraInit");
    emit videoStarted();
    pipeline_.startStreaming();
    widgets_.pauseAction->setEnabled(true);
    widgets_.singleCaptureAction->setEnabled(false);
    widgets_.openAction->setEnabled(false);
    pipeline_.restartStatistics();
}

void CameraController::pauseVideo() {
    CameraStop(currentCamera.load());
    logEvent("Stop video", kStopVideo);
    emit videoPaused();
    pipeline_.pauseStreaming();
    widgets_.singleCaptureAction->setEnabled(true);
    widgets_.openAction->setEnabled(true);
    widgets_.pauseAction->setEnabled(false);
}

void CameraController::setResolution(int index) {
    if (cameraCount_ <= 0)
        return;
    pauseVideo();
    QThread::msleep(kSettleMs);
    if (!CameraSetResolution(currentCamera.load(), static_cast<unsigned short>(index), nullptr,
                             nullptr, nullptr))
        logFailure("CameraSetResolution");
    currentResolutionIndex_ = index;
    emit resolutionApplied();
    QThread::msleep(kSettleMs);
    streamVideo();
}

void CameraController::resolutionChange(int index) {
    pauseVideo();
    if (cameraCount_ <= 0)
        return;
    if (index == widgets_.resolutionBox->count() - 1) {
        emit roiPageRequested();
        currentResolutionIndex_ = index;
    } else {
        setResolution(index);
    }
    QThread::msleep(kSettleMs);
    streamVideo();
}

void CameraController::returnMaxReso() {
    if (currentResolutionIndex_ == 0)
        return;
    resolutionChange(0);
    widgets_.resolutionBox->setCurrentIndex(0);
}

void CameraController::devicesChanged() {
    if (shutDown_)
        return;
    const int n = CameraGetCount();
    if (n > cameraCount_) {
        pauseVideo();
        clearQueueAndFree(false);
        logEvent("Camera plugged in", kPluggedIn);
        if (enumerateDevice())
            streamVideo();
    } else if (n < cameraCount_) {
        pauseVideo();
        clearQueueAndFree(true);
        logEvent("Camera plugged out", kPluggedOut);
        if (enumerateDevice())
            streamVideo();
    }
    cameraCount_ = n;
}

void CameraController::shutdown() {
    if (shutDown_)
        return;
    shutDown_ = true;
    pipeline_.stopWorkers();
    pipeline_.clearQueue();
    if (!CameraFree(currentCamera.load()))
        logFailure("CameraFree");
}
