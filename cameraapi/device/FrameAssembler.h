// SPDX-License-Identifier: MIT
// Joins the ring's completed transfers into one frame of exactly the expected length.
#pragma once

#include <cstdint>

#include "cameraapi/device/OutputSize.h"

namespace vidscope::api {

struct CameraContext;

// The camera sends a frame as full transfers ended by one short transfer (zero-length when
// the frame is an exact multiple of the buffer size); there is no header. A frame is
// accepted when the full transfers since the last short one plus the next short one add up
// to exactly the frame length. Anything else is a frame whose start or end we missed: it is
// dropped and collection starts over at the next frame, except in trigger mode, where every
// frame was asked for and a wrong one is reported.
//
// A camera that keeps sending frames of another length (its size no longer matches ours)
// would keep a query looping for ever while data flow; after the transfers of
// kMaxDroppedFrames such frames the query reports a bad frame instead.
//
// Runs under the context's shared lock and streamMutex. Each buffer is re-queued right after
// its data have been copied out, so the ring stays full while the frame is collected.
class FrameAssembler {
public:
    enum class Outcome {
        Complete,         // `frame` holds exactly frameBytes of one frame
        BadFrame,         // trigger mode: a frame ended at another length; continuous
                          // mode: too many frames in a row did
        WrongSize,        // the caller's buffer size does not match the output size, or
                          // the geometry changed since the query began
        NoDataPipe,       // the device has no bulk-in endpoint
        TimedOut,         // nothing arrived within the frame timeout
        Aborted,          // abortEvent ended the wait
        TooManyFailures,  // more than bufferCount transfers failed (or could not be queued)
                          // within one frame
    };

    // `shape` is the geometry the caller's size was checked against; at every restart of the
    // frame the camera's geometry must still be that one and `callerSize` its output size for
    // `flags`. `frame` must hold shape.frameBytes() bytes.
    FrameAssembler(CameraContext& context, const FrameShape& shape, uint8_t* frame,
                   uint32_t callerSize, uint32_t flags);

    Outcome collect();

    static constexpr uint32_t kMaxDroppedFrames = 16;

private:
    enum class Step { Continue, Restart, Done };

    bool startFrame(Outcome& refusal);
    Step take(Outcome& outcome);
    Step onFailedTransfer(uint32_t usbdStatus, Outcome& outcome);
    Step onFullTransfer(uint32_t length);
    Step onShortTransfer(uint32_t length, Outcome& outcome);
    void append(uint32_t length);

    CameraContext& context_;
    const FrameShape shape_;
    uint8_t* const frame_;
    const uint32_t frameBytes_;
    const uint32_t callerSize_;
    const uint32_t flags_;
    const bool triggerMode_;
    bool synced_ = true;  // the last transfer seen ended a frame
    uint32_t copied_ = 0;
    int32_t failures_ = 0;
    uint64_t taken_ = 0;       // transfers this query took off the ring
    uint64_t takenLimit_ = 0;  // kMaxDroppedFrames frames' worth, plus the frame itself
};

}  // namespace vidscope::api
