// SPDX-License-Identifier: MIT
// What one vidscopesrc keeps between calls: settings, the camera, the negotiated output.
#pragma once

#include <gst/gst.h>

#include <atomic>
#include <mutex>
#include <optional>
#include <string>

#include "gst/SourceCamera.h"
#include "gst/SourceCaps.h"
#include "gst/SourceControls.h"

namespace vidscope::gst {

// Owned by the GObject: created in its init, deleted in its finalize.
struct SourceState {
    explicit SourceState(unsigned firstControlId) : controls(firstControlId) {}

    SourceControls controls;
    // Guards the settings below and the camera's opening and closing against caps and latency
    // queries from other threads.
    std::mutex mutex;
    SourceCamera camera;
    int cameraIndex = -1;
    std::string virtualCodes;
    int format = 0;  // the format property's value; 0 lets negotiation choose

    // Streaming thread only, after negotiation.
    std::optional<OutputLayout> output;
    unsigned queryBytes = 0;
    bool videoMeta = false;
    GstClockTime lastArrival = GST_CLOCK_TIME_NONE;

    std::atomic<bool> flushing{false};
    std::atomic<guint64> delivered{0};
    std::atomic<guint64> dropped{0};
    // One frame's interval, measured; the latency reported from it.
    std::atomic<GstClockTime> frameInterval{GST_CLOCK_TIME_NONE};
    std::atomic<GstClockTime> reportedLatency{GST_CLOCK_TIME_NONE};
};

}  // namespace vidscope::gst
