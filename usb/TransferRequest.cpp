// SPDX-License-Identifier: MIT
// The request block of one transfer.
#include "usb/TransferRequest.h"

#include <algorithm>

#include "usb/host/SystemError.h"

namespace vidscope::usb {

TransferRequest::TransferRequest(size_t size)
    : block_(std::max(size, host::RequestRecord::kSize), 0) {}

host::RequestRecord TransferRequest::record() const {
    // The block is never smaller than a record, so decoding cannot fail.
    return *host::RequestRecord::decode(block_);
}

void TransferRequest::setRecord(const host::RequestRecord& record) {
    record.encode(block_);
}

bool TransferRequest::reachedDriver() const {
    return queuedError_ == host::kErrorSuccess || queuedError_ == host::kErrorIoPending;
}

}  // namespace vidscope::usb
