// SPDX-License-Identifier: MIT
// Overlapped-I/O record: the completion state of one asynchronous driver request.
#pragma once

#include <atomic>
#include <cstdint>

#include "usb/host/Event.h"
#include "usb/host/SystemError.h"

namespace vidscope::host {

// Owned by the caller of Driver::ioControl. While a request is pending (status is
// kErrorIoPending) the driver holds a pointer to it, and to the request's output buffer, so
// neither may be destroyed until the request has completed or been aborted; Driver::ioControl
// for kAbortPipe returns only after every aborted request has completed.
struct Overlapped {
    // Signalled when the request completes; not owned. May be null.
    Event* event = nullptr;

    // Written by the driver: kErrorIoPending while in flight, then the final system error.
    std::atomic<uint32_t> status{kErrorSuccess};
    // Written by the driver before status: bytes placed in the output buffer.
    std::atomic<uint32_t> bytesTransferred{0};
    // Set by the driver at completion, independent of `event`, so that a blocking
    // Driver::overlappedResult works even after the caller has consumed an auto-reset event.
    Event done{Event::Reset::Manual};
};

}  // namespace vidscope::host
