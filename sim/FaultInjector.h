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
    void clear();

    std::optional<ControlOutcome> takeVendorFault(uint8_t request);
    std::optional<BulkOutcome> takeTransferFault();
    int takeFrameResize();
    std::chrono::steady_clock::time_point silentUntil() const;
    std::optional<UnplugPoint> plannedUnplug() const;
    void unplugDone();

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
};

}  // namespace vidscope::sim
