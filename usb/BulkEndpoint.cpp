// SPDX-License-Identifier: MIT
// Bulk endpoint transfers.
#include "usb/BulkEndpoint.h"

namespace vidscope::usb {

std::unique_ptr<TransferRequest> BulkEndpoint::BeginTransfer(uint8_t* buf, uint32_t len,
                                                             host::Overlapped& ov) {
    return beginByMode(buf, len, ov);
}

}  // namespace vidscope::usb
