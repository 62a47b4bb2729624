// SPDX-License-Identifier: MIT
// Faults that tests make the virtual camera commit: failed requests, broken transfers, unplugs.
#include "sim/FaultInjector.h"

namespace vidscope::sim {

void FaultInjector::failVendorRequests(uint8_t request, uint32_t count, ControlOutcome outcome) {
    std::lock_guard lock(mutex_);
    vendor_[request] = VendorFault{count, outcome};
}

void FaultInjector::failTransfers(BulkOutcome outcome, uint32_t count) {
    std::lock_guard lock(mutex_);
    transferOutcome_ = outcome;
    transferFaults_ = count;
}

void FaultInjector::resizeFrames(int delta, uint32_t count) {
    std::lock_guard lock(mutex_);
    resizeDelta_ = delta;
    resizedFrames_ = count;
}

void FaultInjector::silenceStream(std::chrono::milliseconds duration) {
    std::lock_guard lock(mutex_);
    silentUntil_ = std::chrono::steady_clock::now() + duration;
}

void FaultInjector::scheduleUnplug(UnplugPoint point) {
    std::lock_guard lock(mutex_);
    unplug_ = point;
}

void FaultInjector::failInFrame(FrameFaultPlan plan) {
    std::lock_guard lock(mutex_);
    frameFault_ = plan;
}

void FaultInjector::clear() {
    std::lock_guard lock(mutex_);
    vendor_.clear();
    transferFaults_ = 0;
    resizedFrames_ = 0;
    silentUntil_ = {};
    unplug_.reset();
    frameFault_.reset();
}

std::optional<ControlOutcome> FaultInjector::takeVendorFault(uint8_t request) {
    std::lock_guard lock(mutex_);
    for (uint8_t key : {request, uint8_t{0}}) {
        auto it = vendor_.find(key);
        if (it == vendor_.end() || it->second.count == 0)
            continue;
        --it->second.count;
        return it->second.outcome;
    }
    return std::nullopt;
}

std::optional<BulkOutcome> FaultInjector::takeTransferFault() {
    std::lock_guard lock(mutex_);
    if (transferFaults_ == 0)
        return std::nullopt;
    --transferFaults_;
    return transferOutcome_;
}

int FaultInjector::takeFrameResize() {
    std::lock_guard lock(mutex_);
    if (resizedFrames_ == 0)
        return 0;
    --resizedFrames_;
    return resizeDelta_;
}

std::chrono::steady_clock::time_point FaultInjector::silentUntil() const {
    std::lock_guard lock(mutex_);
    return silentUntil_;
}

std::optional<UnplugPoint> FaultInjector::plannedUnplug() const {
    std::lock_guard lock(mutex_);
    return unplug_;
}

void FaultInjector::unplugDone() {
    std::lock_guard lock(mutex_);
    unplug_.reset();
}

std::optional<FrameFaultPlan> FaultInjector::plannedFrameFault() const {
    std::lock_guard lock(mutex_);
    return frameFault_;
}

void FaultInjector::frameFaultDone(uint32_t frame) {
    std::lock_guard lock(mutex_);
    if (!frameFault_)
        return;
    const FrameFaultPlan plan = *frameFault_;
    frameFault_.reset();
    struckFrame_ = frame;
    if (plan.count > 1 && (plan.fault == FrameFault::Error || plan.fault == FrameFault::Stall)) {
        transferOutcome_ =
            plan.fault == FrameFault::Error ? BulkOutcome::Error : BulkOutcome::Stall;
        transferFaults_ = plan.count - 1;
    }
}

std::optional<uint32_t> FaultInjector::struckFrame() const {
    std::lock_guard lock(mutex_);
    return struckFrame_;
}

}  // namespace vidscope::sim
