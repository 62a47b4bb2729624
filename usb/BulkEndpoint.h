// SPDX-License-Identifier: MIT
// Bulk endpoint: direct or buffered transfers as its xferMode says.
#pragma once

#include "usb/UsbEndpoint.h"

namespace vidscope::usb {

class BulkEndpoint : public UsbEndpoint {
public:
    using UsbEndpoint::UsbEndpoint;

    std::unique_ptr<TransferRequest> BeginTransfer(uint8_t* buf, uint32_t len,
                                                   host::Overlapped& ov) override;
};

}  // namespace vidscope::usb
