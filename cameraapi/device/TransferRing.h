// SPDX-License-Identifier: MIT
// The ring of bulk-in transfers a camera keeps queued: sizing, arming, waiting, re-queueing.
#pragma once

#include <cstdint>

namespace vidscope::api {

struct CameraContext;

// How many transfers a camera keeps queued and how large each one is.
struct TransferPlan {
    int32_t bufferCount = 0;
    int32_t bufferSize = 0;    // bytes per buffer and per queued transfer
    int32_t transferSize = 0;  // what the bulk-in endpoint is told one transfer carries

    // USB 3 cameras get few large buffers; the large USB 2 sensors more of them, so that the
    // ring covers a whole frame's worth of bus time.
    static TransferPlan forDeviceCode(uint16_t deviceCode);
};

// Operations on the ring fields of a CameraContext. Every call but arm() and disarm() must
// run under the context's streamMutex; arm() and disarm() run while the camera is opened or
// closed under its exclusive lock.
//
// The ring is strictly ordered: the transfer at ringIndex is always the oldest one queued,
// so frame data come off it in the order the camera sent them.
class TransferRing {
public:
    enum class Wait {
        Completed,  // the transfer at ringIndex has ended (successfully or not)
        TimedOut,   // still pending after the time allowed
        Aborted,    // the context's abortEvent was signalled while waiting (wakeOnAbort)
        NotQueued,  // nothing is pending there: queueing it failed (device gone)
    };

    struct Finished {
        bool ok = false;
        uint32_t length = 0;      // bytes in the buffer at ringIndex
        uint32_t usbdStatus = 0;  // the endpoint's status word for a failed transfer
    };

    // Applies the plan, allocates the buffers and queues one transfer on each. False when the
    // device has no bulk-in endpoint or a transfer could not be queued; the caller then
    // disarms.
    static bool arm(CameraContext& context, const TransferPlan& plan);
    // Forgets every outstanding request and frees the buffers. The endpoints must have been
    // aborted (or the device closed) first, so that no request still writes into them.
    static void disarm(CameraContext& context);

    // Waits for the transfer at ringIndex. With wakeOnAbort, a signalled abortEvent ends a
    // wait for data that are not there yet (data already there are always taken).
    static Wait wait(CameraContext& context, uint32_t timeoutMs, bool wakeOnAbort);
    // Collects the transfer at ringIndex after wait() said Completed (or NotQueued, to drop
    // the failed request); leaves nothing pending there.
    static Finished finish(CameraContext& context);
    // Queues the buffer at ringIndex again and moves ringIndex on. False when the request
    // could not be queued; the position is still passed, and a later wait() reports NotQueued.
    static bool requeue(CameraContext& context);

    // Throws away what the ring holds: signals abortEvent so that a query waiting in another
    // thread gives up, takes streamMutex, clears abortEvent, then finishes and re-queues
    // transfers for as long as each completes within kDrainWaitMs, at most `limit` of them
    // (limit <= 0: no limit, so only for a stream that is known to stop). Returns how many
    // were drained.
    static int drain(CameraContext& context, int limit);

    static constexpr uint32_t kDrainWaitMs = 20;
};

}  // namespace vidscope::api
