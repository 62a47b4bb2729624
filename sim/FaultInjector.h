// SPDX-License-Identifier: MIT
// Faults that tests make the virtual camera commit: failed requests, broken transfers, unplugs.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>

#include "sim/BulkInSource.h"
#include "sim/ControlRequest.h"

namespace vidscope::sim {

enum class UnplugPoint : uint8_t {
    FrameBoundary,  // after the frame in progress (or the next one) has been sent completely
    MidFrame,       // once half of the next frame's bytes have been sent
};

// What happens to the transfer that carries a chosen byte of a chosen frame.
enum class FrameFault : uint8_t {
    Error,       // the transfer fails and the bytes it would have carried are lost
    Stall,       // the transfer stalls; the endpoint keeps its data
    ShortEnd,    // the transfer ends the frame early: the bytes from the chosen one on never come
    Disconnect,  // the cable is pulled instead of sending the transfer
};

struct FrameFaultPlan {
    uint32_t frame = 0;  // sensor frame number, as stamped into the frame
    size_t offset = 0;   // byte of that frame
    FrameFault fault = FrameFault::Error;
    uint32_t count = 1;  // Error and Stall: this many transfers in a row fail
};

// Thread-safe plan of pending faults; the dispatcher and the stream take them one at a time.
class FaultInjector {
public:
    // The next `count` vendor requests with this request code (0: any code) end with
    // `outcome` (Stall or Timeout) without any effect.
    void failVendorRequests(uint8_t request, uint32_t count,
                            ControlOutcome outcome = ControlOutcome::Stall);
    // The next `count` bulk transfers end with Stall (the endpoint halts; no data is lost) or
    // Error (the bytes the transfer would have carried are lost).
    void failTransfers(BulkOutcome outcome, uint32_t count);
    // The next `count` frames are sent `delta` bytes longer (positive) or shorter.
    void resizeFrames(int delta, uint32_t count);
    // The stream sends nothing for this long, from now on: the host's waits time out.
    void silenceStream(std::chrono::milliseconds duration);
    void scheduleUnplug(UnplugPoint point);
    // The transfer of frame `plan.frame` that carries byte `plan.offset` (the frame's last byte
    // when it is shorter) commits `plan.fault`. Should that frame never be sent (a sensor drops
    // frames nobody reads), the first frame numbered after it takes the fault instead. Replaces
    // a plan not yet carried out.
    void failInFrame(FrameFaultPlan plan);
    void clear();

    std::optional<ControlOutcome> takeVendorFault(uint8_t request);
    std::optional<BulkOutcome> takeTransferFault();
    int takeFrameResize();
    std::chrono::steady_clock::time_point silentUntil() const;
    std::optional<UnplugPoint> plannedUnplug() const;
    void unplugDone();
    std::optional<FrameFaultPlan> plannedFrameFault() const;
    // The plan was carried out on this frame; further transfers of a multi-transfer fault follow.
    void frameFaultDone(uint32_t frame);
    // The frame the last mid-frame fault struck.
    std::optional<uint32_t> struckFrame() const;

private:
    struct VendorFault {
        uint32_t count = 0;
        ControlOutcome outcome = ControlOutcome::Stall;
    };
    mutable std::mutex mutex_;
    std::map<uint8_t, VendorFault> vendor_;
    uint32_t transferFaults_ = 0;
    BulkOutcome transferOutcome_ = BulkOutcome::Error;
    uint32_t resizedFrames_ = 0;
    int resizeDelta_ = 0;
    std::chrono::steady_clock::time_point silentUntil_{};
    std::optional<UnplugPoint> unplug_;
    std::optional<FrameFaultPlan> frameFault_;
    std::optional<uint32_t> struckFrame_;
};

}  // namespace vidscope::sim
