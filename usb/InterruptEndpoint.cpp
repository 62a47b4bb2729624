// SPDX-License-Identifier: MIT
// Interrupt endpoint transfers.
#include "usb/InterruptEndpoint.h"

namespace vidscope::usb {

std::unique_ptr<TransferRequest> InterruptEndpoint::BeginTransfer(uint8_t* buf, uint32_t len,
                                                                  host::Overlapped& ov) {
    return beginByMode(buf, len, ov);
}

}  // namespace vidscope::usb
