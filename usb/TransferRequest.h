// SPDX-License-Identifier: MIT
// The request block of one transfer: the record sent to the driver plus its table and data.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "usb/host/RequestRecord.h"

namespace vidscope::usb {

// The opaque transfer handle a Begin operation returns. It owns the block handed to the driver
// (38-byte record, optional packet table, and for buffered and control requests the data).
//
// Ownership: the caller owns it from the Begin operation until it hands it back to
// UsbEndpoint::FinishTransfer, which frees it once the driver has completed the request. While
// the request is pending the driver writes into this block, so it must not be destroyed before
// the request has completed or its endpoint has been aborted.
class TransferRequest {
public:
    // A zeroed block of `size` bytes (at least the record).
    explicit TransferRequest(size_t size);

    std::span<uint8_t> bytes() { return block_; }
    std::span<const uint8_t> bytes() const { return block_; }
    uint32_t size() const { return static_cast<uint32_t>(block_.size()); }

    // The record as it stands now (the driver patches its status words at completion).
    host::RequestRecord record() const;
    void setRecord(const host::RequestRecord& record);

    // The system error the driver reported when the request was queued (0 or 997 when the
    // driver took it; anything else means it never reached the device).
    uint32_t queuedError() const { return queuedError_; }
    void setQueuedError(uint32_t error) { queuedError_ = error; }
    bool reachedDriver() const;

    // Bytes of data the driver may place for this request (in the block or the caller's
    // buffer); FinishTransfer never reports more than this.
    uint32_t dataCapacity() const { return dataCapacity_; }
    void setDataCapacity(uint32_t bytes) { dataCapacity_ = bytes; }

private:
    std::vector<uint8_t> block_;
    uint32_t queuedError_ = 0;
    uint32_t dataCapacity_ = 0;
};

}  // namespace vidscope::usb
