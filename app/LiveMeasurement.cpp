// SPDX-License-Identifier: MIT
// The --measure run: counts a stretch of live video and prints where the frames went.
#include "LiveMeasurement.h"

#include <QCoreApplication>
#include <cstdio>

#include "FrameBufferPool.h"
#include "VideoPipeline.h"
#include "sim/CameraFirmware.h"
#include "usb/host/Driver.h"
#include "usb/host/VirtualPort.h"

namespace {

void addVirtualCameraCounts(LiveMeasurement::Counts& counts) {
    vidscope::host::Driver& driver = vidscope::host::Driver::instance();
    for (vidscope::host::Driver::PortId id : driver.attachedPorts()) {
        auto port = std::dynamic_pointer_cast<vidscope::host::VirtualPort>(driver.port(id));
        if (!port || !port->firmware())
            continue;
        const vidscope::sim::StreamStats stats = port->firmware()->streamStats();
        counts.cameraSent += static_cast<long long>(stats.framesCompleted);
        counts.cameraUnread += static_cast<long long>(stats.framesDropped);
    }
}

}  // namespace

LiveMeasurement::LiveMeasurement(VideoPipeline& pipeline, int seconds, QObject* parent)
    : QObject(parent), pipeline_(pipeline), seconds_(seconds), start_(now()) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &LiveMeasurement::finish);
    timer_.start(seconds * 1000);
}

LiveMeasurement::Counts LiveMeasurement::now() const {
    Counts counts;
    addVirtualCameraCounts(counts);
    counts.captured = pipeline_.capturedFrames();
    counts.displayed = pipeline_.displayedFrames();
    counts.queueDrops = pipeline_.queueDrops();
    counts.staleDrops = pipeline_.staleDrops();
    counts.buffersAllocated = static_cast<long long>(FrameBufferPool::instance().allocationCount());
    return counts;
}

LiveMeasurement::Counts LiveMeasurement::elapsedCounts() const {
    const Counts end = now();
    return {end.cameraSent - start_.cameraSent, end.cameraUnread - start_.cameraUnread,
            end.captured - start_.captured,     end.displayed - start_.displayed,
            end.queueDrops - start_.queueDrops, end.staleDrops - start_.staleDrops};
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
