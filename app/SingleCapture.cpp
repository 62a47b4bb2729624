// SPDX-License-Identifier: MIT
// "Single Capture": one frame taken while the video is paused, handed to the frame path.
#include "SingleCapture.h"

#include <QDateTime>
#include <algorithm>

#include "AppGlobals.h"
#include "FrameBufferPool.h"
#include "FrameLayout.h"
#include "GuiLog.h"
#include "VideoPipeline.h"
#include "vidscope/camera_api.h"

namespace {
constexpr int kTriggerMode = 2;
}

SingleCapture::SingleCapture(VideoPipeline& pipeline, QObject* parent)
    : SingleCapture(pipeline, FrameBufferPool::instance(), parent) {}

SingleCapture::SingleCapture(VideoPipeline& pipeline, FrameBufferPool& pool, QObject* parent)
    : QObject(parent), pipeline_(pipeline), pool_(pool) {}

void SingleCapture::logFailure(const char* function) {
    emit toTable(QString::fromLatin1(function), CameraGetLastError());
}

bool SingleCapture::capture() {
    const int camera = currentCamera.load();
    unsigned int width = 0;
    unsigned int height = 0;
    if (!CameraGetImageSize(camera, &width, &height)) {
        logFailure("CameraGetImageSize");
        return false;
    }
    const FrameLayout layout =
        FrameLayout::forOutput(camera, int(width), int(height), imageFormat.load());
    unsigned int size = 0;
    if (!CameraGetImageBufferSize(camera, &size, layout.format)) {
        logFailure("CameraGetImageBufferSize");
        size = width * height * unsigned(layout.bytesPerPixel);
    }
    const bool trigger = CameraGetSnapMode(camera) == kTriggerMode;
    if (!CameraPlay(camera))
        logFailure("CameraPlay");
    CameraResetStream(camera);
    // The image laid over the buffer reads width x height pixels, whatever size was reported.
    const std::size_t pixels = std::size_t(width) * height * std::size_t(layout.bytesPerPixel);
    unsigned char* buffer = pool_.acquire(std::max<std::size_t>(size, pixels));
    unsigned int reserved = 0;
    const unsigned int flags = layout.format | (trigger ? unsigned(CAMERA_QUERY_TRIGGER) : 0u);
    const bool captured = CameraQueryImageEx(camera, buffer, size, &reserved, flags);
    const int error = captured ? 0 : CameraGetLastError();
    // Back to the paused state the capture started from.
    CameraStop(camera);
    if (!captured) {
        emit toTable(QStringLiteral("CameraQueryImage"), error);
        pool_.release(buffer);
        return false;
    }
    qCInfo(guiLog) << "single capture" << width << "x" << height;
    const QImage image = pool_.wrap(buffer, int(width), int(height),
                                    qsizetype(width) * layout.bytesPerPixel, layout.qtFormat);
    pipeline_.process(image, buffer, QDateTime::currentMSecsSinceEpoch(), reserved);
    return true;
}
