// SPDX-License-Identifier: MIT
// The bulk-in stream: frames cut into the host's transfers, paced like the real sensor and bus.
#include "sim/FrameStreamer.h"

#include <algorithm>

#include "sim/FirmwareLog.h"

namespace vidscope::sim {
namespace {

constexpr size_t kMaxPendingTriggers = 16;
constexpr double kUsb2BytesPerUs = 40.0;   // what a high-speed bulk endpoint sustains
constexpr double kUsb3BytesPerUs = 380.0;  // and a SuperSpeed one

std::chrono::steady_clock::duration micros(double us) {
    return std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double, std::micro>(us));
}

}  // namespace

FrameStreamer::FrameStreamer(const SensorProfile& profile, SensorRegisters& registers,
                             ResolutionTable& resolutions, FaultInjector& faults, IoLines& io,
                             std::vector<SensorSite> stuckSites, uint32_t seed,
                             StreamOptions options)
    : profile_(profile),
      registers_(registers),
      resolutions_(resolutions),
      faults_(faults),
      io_(io),
      options_(options),
      scene_(profile.model(), std::move(stuckSites), seed) {
    scene_.setStampFrameNumbers(options.stampFrameNumbers, options.stampFrameEnds);
    powerOn();
}

double FrameStreamer::busBytesPerMicrosecond() const {
    return profile_.superSpeedLink() ? kUsb3BytesPerUs : kUsb2BytesPerUs;
}

FrameStreamer::Clock::duration FrameStreamer::busTime(size_t bytes) const {
    return micros(static_cast<double>(bytes) / busBytesPerMicrosecond());
}

FrameStreamer::Clock::duration FrameStreamer::continuousFrameDuration(const SensorState& state,
                                                                      size_t bytes) const {
    return std::max(micros(state.timing.framePeriodUs()), busTime(bytes));
}

double FrameStreamer::pacedFrameRate() const {
    const FrameGeometry geometry = resolutions_.geometry();
    const auto period =
        continuousFrameDuration(profile_.state(registers_, geometry), geometry.frameBytes());
    return 1.0 / std::chrono::duration<double>(period).count();
}

SensorState FrameStreamer::sensorState() const {
    return profile_.state(registers_, resolutions_.geometry());
}

BulkResult FrameStreamer::readBulk(std::span<uint8_t> buffer, std::stop_token cancel) {
    std::lock_guard reader(readMutex_);
    bool unplugged = false;
    BulkResult result;
    std::function<void()> listener;
    {
        std::unique_lock lock(mutex_);
        result = readLocked(lock, buffer, cancel, unplugged);
        if (unplugged)
            listener = unplugListener_;
    }
    if (unplugged && listener)
        listener();
    return result;
}

BulkResult FrameStreamer::readLocked(std::unique_lock<std::mutex>& lock, std::span<uint8_t> buffer,
                                     std::stop_token cancel, bool& unplugged) {
    for (;;) {
        if (!connected_)
            return {BulkOutcome::Disconnected, 0};
        if (cancel.stop_requested())
            return {BulkOutcome::Cancelled, 0};
        if (auto fault = faults_.takeTransferFault())
            return failTransfer(*fault, buffer.size());

        const auto unplug = faults_.plannedUnplug();
        const bool atBoundary = !frame_.active && !zeroLengthPending_;
        const bool pastHalf = frame_.active && frame_.sent * 2 >= frame_.length;
        if ((unplug == UnplugPoint::FrameBoundary && atBoundary) ||
            (unplug == UnplugPoint::MidFrame && pastHalf)) {
            faults_.unplugDone();
            unplugNow(unplugged);
            return {BulkOutcome::Disconnected, 0};
        }
        if (zeroLengthPending_) {
            zeroLengthPending_ = false;
            return {BulkOutcome::Data, 0};
        }
        if (!frame_.active) {
            const Step step = startFrame(lock, cancel);
            if (step == Step::Stop)
                return {BulkOutcome::Cancelled, 0};
            continue;  // a new frame, or the state changed while waiting: look again
        }

        const size_t n = std::min(buffer.size(), frame_.length - frame_.sent);
        const auto deadline = std::max(readyTime(frame_.sent + n), faults_.silentUntil());
        if (Clock::now() < deadline) {
            sleepUntil(lock, cancel, deadline);
            continue;
        }
        if (const auto plan = frameFaultWithin(n))
            return commitFrameFault(*plan, buffer, unplugged);
        scene_.copy(frame_.number, frame_.sent, buffer.first(n));
        frame_.sent += n;
        if (frame_.sent == frame_.length) {
            endFrame();
            zeroLengthPending_ = n == buffer.size();
        }
        return {BulkOutcome::Data, static_cast<uint32_t>(n)};
    }
}

void FrameStreamer::unplugNow(bool& unplugged) {
    VS_LOG(firmwareLog(), Info) << "planned unplug after " << frame_.sent << " bytes";
    if (frame_.active && frame_.sent > 0)
        ++stats_.framesDamaged;
    connected_ = false;
    frame_.active = false;
    unplugged = true;
}

std::optional<FrameFaultPlan> FrameStreamer::frameFaultWithin(size_t n) const {
    auto plan = faults_.plannedFrameFault();
    if (!plan || !frame_.active || frame_.length == 0 || frame_.number < plan->frame)
        return std::nullopt;
    if (frame_.number > plan->frame) {
        // Not the frame aimed at, which was never sent: this one takes the fault at once.
        plan->offset = frame_.sent;
        return plan;
    }
    const size_t target = std::min(plan->offset, frame_.length - 1);
    if (target < frame_.sent || target >= frame_.sent + n)
        return std::nullopt;
    plan->offset = target;
    return plan;
}

BulkResult FrameStreamer::commitFrameFault(const FrameFaultPlan& plan, std::span<uint8_t> buffer,
                                           bool& unplugged) {
    faults_.frameFaultDone(frame_.number);
    VS_LOG(firmwareLog(), Info) << "fault in frame " << frame_.number << " at byte " << plan.offset;
    switch (plan.fault) {
        case FrameFault::Error:
            return failTransfer(BulkOutcome::Error, buffer.size());
        case FrameFault::Stall:
            return failTransfer(BulkOutcome::Stall, buffer.size());
        case FrameFault::Disconnect:
            unplugNow(unplugged);
            return {BulkOutcome::Disconnected, 0};
        case FrameFault::ShortEnd:
            break;
    }
    // The transfer comes back short (empty when the frame ends at its first byte), which the
    // host takes for the end of the frame.
    const size_t carried = plan.offset - frame_.sent;
    scene_.copy(frame_.number, frame_.sent, buffer.first(carried));
    frame_.sent = plan.offset;
    frame_.length = plan.offset;
    frame_.damaged = true;
    endFrame();
    return {BulkOutcome::Data, static_cast<uint32_t>(carried)};
}

BulkResult FrameStreamer::failTransfer(BulkOutcome outcome, size_t bufferSize) {
    // A halted endpoint keeps its data; a broken transfer loses what it carried.
    if (outcome == BulkOutcome::Error && frame_.active) {
        const size_t lost = std::min(bufferSize, frame_.length - frame_.sent);
        frame_.damaged = frame_.damaged || lost > 0;
        frame_.sent += lost;
        if (frame_.sent == frame_.length) {
            endFrame();
            zeroLengthPending_ = lost == bufferSize;
        }
    }
    return {outcome, 0};
}

FrameStreamer::Step FrameStreamer::startFrame(std::unique_lock<std::mutex>& lock,
                                              std::stop_token cancel) {
    const FrameGeometry geometry = resolutions_.geometry();
    const SensorState state = profile_.state(registers_, geometry);
    const auto now = Clock::now();
    const auto silentUntil = faults_.silentUntil();
    const bool waitsForTrigger = state.trigger == TriggerState::Triggered && triggers_.empty();
    if (!streaming_ || state.trigger == TriggerState::Standby || waitsForTrigger) {
        sleepUntil(lock, cancel, Clock::time_point::max());
        return cancel.stop_requested() ? Step::Stop : Step::Retry;
    }
    if (now < silentUntil) {
        sleepUntil(lock, cancel, silentUntil);
        return cancel.stop_requested() ? Step::Stop : Step::Retry;
    }

    // Rendering can take a while after a change of size; control requests go on meanwhile.
    const Exposure exposure = Exposure::of(state, illumination_);
    const uint64_t serial = wakeSerial_;
    lock.unlock();
    const bool rendered = scene_.prepare(geometry, exposure, cancel);
    lock.lock();
    if (!rendered)
        return Step::Stop;
    if (wakeSerial_ != serial || !(resolutions_.geometry() == geometry))
        return Step::Retry;

    Frame f;
    f.active = true;
    f.geometry = geometry;
    f.trigger = state.trigger;
    const size_t bytes = geometry.frameBytes();
    f.length = static_cast<size_t>(
        std::max<long>(0, static_cast<long>(bytes) + faults_.takeFrameResize()));
    const auto bus = busTime(f.length);
    if (state.trigger == TriggerState::Triggered) {
        // Exposure starts at the trigger; the readout follows it.
        f.start = std::max(now, triggers_.front() + micros(state.timing.exposureUs()));
        triggers_.pop_front();
        f.duration = std::max(micros(state.timing.readoutUs()), bus);
    } else {
        f.duration = continuousFrameDuration(state, f.length);
        f.start = nextStartValid_ ? nextStart_ : now;
        // Frames the sensor made while nobody read them are lost in its small FIFO.
        if (nextStartValid_ && !options_.unpaced && now > f.start + f.duration) {
            const auto missed = static_cast<uint64_t>((now - f.start) / f.duration);
            stats_.framesDropped += missed;
            nextNumber_ += static_cast<uint32_t>(missed);
            f.start += f.duration * static_cast<long>(missed);
        }
    }
    if (options_.unpaced)
        f.start = now;
    f.number = nextNumber_++;
    frame_ = f;
    ++stats_.framesStarted;
    if (state.strobeEnabled)
        io_.countStrobe();
    return Step::Ready;
}

FrameStreamer::Clock::time_point FrameStreamer::readyTime(size_t endOffset) const {
    if (options_.unpaced || frame_.length == 0)
        return Clock::time_point::min();
    const double part = static_cast<double>(endOffset) / static_cast<double>(frame_.length);
    return frame_.start + std::chrono::duration_cast<Clock::duration>(frame_.duration * part);
}

void FrameStreamer::endFrame() {
    if (frame_.damaged)
        ++stats_.framesDamaged;
    else
        ++stats_.framesCompleted;
    frame_.active = false;
    nextStartValid_ = frame_.trigger == TriggerState::Continuous;
    nextStart_ = frame_.start + frame_.duration;
}

bool FrameStreamer::sleepUntil(std::unique_lock<std::mutex>& lock, std::stop_token cancel,
                               Clock::time_point deadline) {
    const uint64_t serial = wakeSerial_;
    auto woken = [&] { return wakeSerial_ != serial; };
    if (deadline == Clock::time_point::max())
        return changed_.wait(lock, cancel, woken);
    return changed_.wait_until(lock, cancel, deadline, woken);
}

void FrameStreamer::wake() {
    ++wakeSerial_;
    changed_.notify_all();
}

void FrameStreamer::truncateIfChanged(bool force) {
    if (!frame_.active)
        return;
    if (!force) {
        const FrameGeometry geometry = resolutions_.geometry();
        const TriggerState trigger = profile_.state(registers_, geometry).trigger;
        if (geometry == frame_.geometry && trigger == frame_.trigger)
            return;
    }
    frame_.active = false;
    nextStartValid_ = false;
    if (frame_.sent == 0) {
        nextNumber_ = frame_.number;  // never seen by the host: made again with the new settings
        return;
    }
    zeroLengthPending_ = true;
    ++stats_.framesTruncated;
}

bool FrameStreamer::fireTrigger() {
    const bool waiting = sensorState().trigger == TriggerState::Triggered;
    std::lock_guard lock(mutex_);
    if (!waiting || !connected_ || triggers_.size() >= kMaxPendingTriggers)
        return false;
    triggers_.push_back(Clock::now());
    wake();
    return true;
}

void FrameStreamer::onSensorChanged() {
    const bool triggered = sensorState().trigger == TriggerState::Triggered;
    std::lock_guard lock(mutex_);
    truncateIfChanged(false);
    if (!triggered)
        triggers_.clear();
    wake();
}

void FrameStreamer::setStreaming(bool on) {
    std::lock_guard lock(mutex_);
    if (!on)
        truncateIfChanged(true);
    if (on && !streaming_)
        nextStartValid_ = false;
    streaming_ = on;
    wake();
}

bool FrameStreamer::streaming() const {
    std::lock_guard lock(mutex_);
    return streaming_;
}

void FrameStreamer::restart() {
    std::lock_guard lock(mutex_);
    truncateIfChanged(true);
    triggers_.clear();
    wake();
}

void FrameStreamer::setConnected(bool connected) {
    std::lock_guard lock(mutex_);
    connected_ = connected;
    if (!connected) {
        frame_.active = false;
        zeroLengthPending_ = false;
        triggers_.clear();
    }
    wake();
}

void FrameStreamer::powerOn() {
    std::lock_guard lock(mutex_);
    streaming_ = !profile_.usb3Family();
    frame_ = Frame{};
    zeroLengthPending_ = false;
    triggers_.clear();
    nextNumber_ = 0;
    nextStartValid_ = false;
    stats_ = StreamStats{};
    wake();
}

void FrameStreamer::setIllumination(double factor) {
    std::lock_guard lock(mutex_);
    illumination_ = std::max(factor, 0.0);
}

double FrameStreamer::illumination() const {
    std::lock_guard lock(mutex_);
    return illumination_;
}

void FrameStreamer::setUnplugListener(std::function<void()> listener) {
    std::lock_guard lock(mutex_);
    unplugListener_ = std::move(listener);
}

StreamStats FrameStreamer::stats() const {
    std::lock_guard lock(mutex_);
    StreamStats s = stats_;
    s.nextFrameNumber = nextNumber_;
    return s;
}

}  // namespace vidscope::sim
