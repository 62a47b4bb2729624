// SPDX-License-Identifier: MIT
// The --measure run: counts a stretch of live video and prints where the frames went.
#include "LiveMeasurement.h"

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "AppGlobals.h"
#include "FrameBufferPool.h"
#include "VideoPipeline.h"
#include "sim/CameraFirmware.h"
#include "usb/host/Driver.h"
#include "usb/host/VirtualPort.h"

namespace {

// The port behind the camera API's index: the API numbers the attached cameras of its vendor
// in the driver's interface order.
std::shared_ptr<vidscope::host::VirtualPort> virtualPortOfCamera(int index) {
    vidscope::host::Driver& driver = vidscope::host::Driver::instance();
    const std::string vendorPrefix = "usb:a7b7:";
    std::string path;
    int seen = 0;
    for (const std::string& candidate : driver.presentInterfaces().paths) {
        if (candidate.rfind(vendorPrefix, 0) == 0 && seen++ == index) {
            path = candidate;
            break;
        }
    }
    for (vidscope::host::Driver::PortId id : driver.attachedPorts()) {
        if (!path.empty() && driver.pathOf(id) == path)
            return std::dynamic_pointer_cast<vidscope::host::VirtualPort>(driver.port(id));
    }
    return nullptr;
}

// Only the open camera's own figures: the other attached cameras stream nothing the window
// shows.
void addCameraCounts(int index, LiveMeasurement::Counts& counts) {
    const auto port = virtualPortOfCamera(index);
    if (!port || !port->firmware())
        return;
    const vidscope::sim::StreamStats stats = port->firmware()->streamStats();
    counts.cameraSent += static_cast<long long>(stats.framesCompleted);
    counts.cameraUnread += static_cast<long long>(stats.framesDropped);
}

}  // namespace

LiveMeasurement::LiveMeasurement(VideoPipeline& pipeline, int seconds, QObject* parent)
    : QObject(parent), pipeline_(pipeline), seconds_(seconds), start_(now()) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &LiveMeasurement::finish);
    timer_.start(std::chrono::seconds(seconds));
}

LiveMeasurement::Counts LiveMeasurement::now() const {
    Counts counts;
    addCameraCounts(currentCamera.load(), counts);
    counts.captured = pipeline_.capturedFrames();
    counts.displayed = pipeline_.displayedFrames();
    counts.queueDrops = pipeline_.queueDrops();
    counts.staleDrops = pipeline_.staleDrops();
    counts.buffersAllocated = static_cast<long long>(FrameBufferPool::instance().allocationCount());
    return counts;
}

LiveMeasurement::Counts LiveMeasurement::elapsedCounts() const {
    const Counts end = now();
    Counts elapsed;
    elapsed.cameraSent = end.cameraSent - start_.cameraSent;
    elapsed.cameraUnread = end.cameraUnread - start_.cameraUnread;
    elapsed.captured = end.captured - start_.captured;
    elapsed.displayed = end.displayed - start_.displayed;
    elapsed.queueDrops = end.queueDrops - start_.queueDrops;
    elapsed.staleDrops = end.staleDrops - start_.staleDrops;
    elapsed.buffersAllocated = end.buffersAllocated - start_.buffersAllocated;
    return elapsed;
}

QString LiveMeasurement::report(int seconds, const Counts& counts) {
    const double shown =
        counts.cameraSent > 0 ? 100.0 * double(counts.displayed) / double(counts.cameraSent) : 0;
    return QStringLiteral(
               "measured %1 s: camera frames %2 (made but unread %3), captured %4, "
               "displayed %5 (%6 % of camera frames), queue drops %7, stale drops %8, "
               "frame buffers allocated %9")
        .arg(seconds)
        .arg(counts.cameraSent)
        .arg(counts.cameraUnread)
        .arg(counts.captured)
        .arg(counts.displayed)
        .arg(shown, 0, 'f', 1)
        .arg(counts.queueDrops)
        .arg(counts.staleDrops)
        .arg(counts.buffersAllocated);
}

void LiveMeasurement::finish() {
    const QString line = report(seconds_, elapsedCounts());
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
    QCoreApplication::quit();
}
