// SPDX-License-Identifier: MIT
// The bulk-in stream: frames cut into the host's transfers, paced like the real sensor and bus.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "sim/BulkInSource.h"
#include "sim/FaultInjector.h"
#include "sim/IoLines.h"
#include "sim/ResolutionTable.h"
#include "sim/SceneRenderer.h"
#include "sim/SensorProfile.h"
#include "sim/SensorRegisters.h"

namespace vidscope::sim {

struct StreamStats {
    uint64_t framesStarted = 0;
    uint64_t framesCompleted = 0;  // every byte sent
    uint64_t framesDamaged = 0;    // ended, but a failed transfer or a fault lost some bytes
    uint64_t framesDropped = 0;    // produced while the host was not reading
    uint64_t framesTruncated = 0;  // cut short by a change of size, mode or stream state
    uint32_t nextFrameNumber = 0;
};

struct StreamOptions {
    bool unpaced = false;  // as fast as the host reads
    bool stampFrameNumbers = true;
    bool stampFrameEnds = false;
};

// Frames fill whatever transfers the host queues: a transfer ends when full or where the frame
// ends, and a frame that ends exactly at a transfer's end is followed by a zero-length one.
// Changes of frame size or trigger mode take effect at the next frame; a frame in progress is
// ended at once with a short transfer. Exposure and gain changes take effect at the next frame.
class FrameStreamer : public BulkInSource {
public:
    FrameStreamer(const SensorProfile& profile, SensorRegisters& registers,
                  ResolutionTable& resolutions, FaultInjector& faults, IoLines& io,
                  std::vector<SensorSite> stuckSites, uint32_t seed, StreamOptions options);

    BulkResult readBulk(std::span<uint8_t> buffer, std::stop_token cancel) override;

    // A trigger edge; counted only while the sensor waits for triggers. Returns whether it was.
    bool fireTrigger();
    // Registers, resolution or ROI changed.
    void onSensorChanged();
    void setStreaming(bool on);
    bool streaming() const;
    // The firmware's restart request: the frame in progress is ended, pending triggers dropped.
    void restart();
    void setConnected(bool connected);
    // Power-on state of the stream: USB 3 cameras wait for the host's start request.
    void powerOn();

    void setIllumination(double factor);
    double illumination() const;
    // Called (without locks held) when the stream itself unplugs the camera (planned unplug).
    void setUnplugListener(std::function<void()> listener);

    StreamStats stats() const;
    // What the next frame will be made with.
    FrameGeometry geometry() const { return resolutions_.geometry(); }
    SensorState sensorState() const;
    const ScenePainter& painter() const { return scene_.painter(); }
    double busBytesPerMicrosecond() const;
    // Frames per second the free-running sensor sends at its current settings: its frame
    // period, or the bus time of a frame when that is longer.
    double pacedFrameRate() const;

private:
    using Clock = std::chrono::steady_clock;
    enum class Step { Ready, Retry, Stop };

    struct Frame {
        bool active = false;
        uint32_t number = 0;
        size_t length = 0;
        size_t sent = 0;
        FrameGeometry geometry;
        TriggerState trigger = TriggerState::Continuous;
        Clock::time_point start;
        Clock::duration duration{};
        bool damaged = false;
    };

    BulkResult readLocked(std::unique_lock<std::mutex>& lock, std::span<uint8_t> buffer,
                          std::stop_token cancel, bool& unplugged);
    Step startFrame(std::unique_lock<std::mutex>& lock, std::stop_token cancel);
    BulkResult failTransfer(BulkOutcome outcome, size_t bufferSize);
    // The planned mid-frame fault, when the next `n` bytes of the frame carry its byte; its
    // offset is then the byte of this frame where it strikes.
    std::optional<FrameFaultPlan> frameFaultWithin(size_t n) const;
    BulkResult commitFrameFault(const FrameFaultPlan& plan, std::span<uint8_t> buffer,
                                bool& unplugged);
    void unplugNow(bool& unplugged);
    void endFrame();
    void truncateIfChanged(bool force);
    bool sleepUntil(std::unique_lock<std::mutex>& lock, std::stop_token cancel,
                    Clock::time_point deadline);
    void wake();
    Clock::duration busTime(size_t bytes) const;
    Clock::duration continuousFrameDuration(const SensorState& state, size_t bytes) const;
    Clock::time_point readyTime(size_t endOffset) const;

    const SensorProfile& profile_;
    SensorRegisters& registers_;
    ResolutionTable& resolutions_;
    FaultInjector& faults_;
    IoLines& io_;
    const StreamOptions options_;
    SceneRenderer scene_;  // used by the reader only, under readMutex_

    std::mutex readMutex_;  // one transfer at a time
    mutable std::mutex mutex_;
    std::condition_variable_any changed_;
    uint64_t wakeSerial_ = 0;
    bool connected_ = true;
    bool streaming_ = true;
    std::deque<Clock::time_point> triggers_;
    Frame frame_;
    bool zeroLengthPending_ = false;
    uint32_t nextNumber_ = 0;
    bool nextStartValid_ = false;
    Clock::time_point nextStart_;
    double illumination_ = 1.0;
    StreamStats stats_;
    std::function<void()> unplugListener_;
};

}  // namespace vidscope::sim
