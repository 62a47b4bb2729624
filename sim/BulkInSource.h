// SPDX-License-Identifier: MIT
// Interface of the firmware part that produces the bulk-in stream, one transfer at a time.
#pragma once

#include <cstdint>
#include <span>
#include <stop_token>

namespace vidscope::sim {

enum class BulkOutcome : uint8_t { Data, Stall, Error, Disconnected, Cancelled };

struct BulkResult {
    BulkOutcome outcome = BulkOutcome::Cancelled;
    uint32_t length = 0;  // bytes written into the transfer's buffer
};

class BulkInSource {
public:
    virtual ~BulkInSource() = default;
    // Fills one queued transfer. Returns when the buffer is full, when the frame ends inside
    // it (a short transfer; length 0 is the zero-length packet after a frame that ended
    // exactly at the previous transfer's end), on a fault, or with Cancelled as soon as
    // `cancel` is requested. May block for as long as the stream has no data (paced stream,
    // trigger mode, stopped stream).
    virtual BulkResult readBulk(std::span<uint8_t> buffer, std::stop_token cancel) = 0;
};

}  // namespace vidscope::sim
