// SPDX-License-Identifier: MIT
// Starting, completing and waiting for an Overlapped record, safely across threads.
#pragma once

#include <cstdint>

#include "usb/host/Overlapped.h"

namespace vidscope::host {

// Every completion runs under one lock, and every reader of a completed record passes that
// lock after seeing it done. So once Driver::overlappedResult has reported a request as
// finished, the driver no longer touches the record or its event, and the caller may free
// both at once.
class OverlappedCompletion {
public:
    // Marks a request as in flight: status kErrorIoPending, no bytes, `done` cleared.
    static void begin(Overlapped& overlapped);
    // Stores bytes, then status, then sets `done`, then the caller's event (when given).
    static void complete(Overlapped& overlapped, uint32_t systemError, uint32_t bytes);
    // Records a failure that happened before anything was submitted: like complete(), but
    // the caller's event stays untouched, as nothing will ever be signalled for it.
    static void fail(Overlapped& overlapped, uint32_t systemError);
    static bool isPending(const Overlapped& overlapped);
    // Blocks until the record is no longer pending.
    static void wait(Overlapped& overlapped);
};

}  // namespace vidscope::host
