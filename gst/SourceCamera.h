// SPDX-License-Identifier: MIT
// The one camera a vidscopesrc streams from: opening it, its layout, and each frame query.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "gst/SourceCaps.h"

namespace vidscope::gst {

class SourceCamera {
public:
    enum class OpenFailure { kNone, kNotFound, kBusy, kBadDeviceCodes, kOther };
    enum class Grab {
        kFrame,    // the buffer holds a frame
        kDropped,  // the camera lost or spoiled a frame; the stream goes on
        kWaiting,  // trigger mode: no trigger came within the frame wait
        kAborted,  // another thread stopped the wait (flushing, or a setting changed)
        kLost      // the camera is gone or no longer answers: the stream ends
    };

    SourceCamera() = default;
    ~SourceCamera() { close(); }
    SourceCamera(const SourceCamera&) = delete;
    SourceCamera& operator=(const SourceCamera&) = delete;

    // Attaches the virtual cameras of `deviceCodes` (once per source: a restart reuses them)
    // and opens `index`, or with a negative index the first camera the codes attached, else
    // camera 0. On failure message() says why and what to do.
    OpenFailure open(int index, const std::string& deviceCodes);
    void close();
    bool isOpen() const { return index_ >= 0; }
    int index() const { return index_; }
    const std::string& message() const { return message_; }

    // Starts and stops the camera's stream; the first query after start drops what the ring
    // held before.
    bool play();
    void stop();
    // Ends a frame wait in another thread at once.
    void abortWait();
    // The next query drops what the ring gathered meanwhile (after a pause, say).
    void dropStaleFrames() { restart_ = true; }

    CameraLayout layout() const;
    // Bytes a query for `flags` writes at the current size; 0 when the camera cannot say.
    unsigned frameBytes(unsigned flags) const;
    Grab grab(uint8_t* data, unsigned size, unsigned flags);
    // The last failed query's error name, for messages.
    const char* lastErrorName() const;

private:
    Grab classifyFailure(int code);

    int index_ = -1;
    int firstVirtual_ = -1;
    std::string attachedCodes_;
    std::string message_;
    std::atomic<bool> restart_{true};
    int lastError_ = -1;
    unsigned consecutiveTimeouts_ = 0;
};

}  // namespace vidscope::gst
