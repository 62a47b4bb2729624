// SPDX-License-Identifier: MIT
// Isochronous endpoint: requests carry a packet table of one 8-byte entry per packet.
#pragma once

#include "usb/UsbEndpoint.h"

namespace vidscope::usb {

class IsocEndpoint : public UsbEndpoint {
public:
    using UsbEndpoint::UsbEndpoint;

    std::unique_ptr<TransferRequest> BeginDirectTransfer(uint8_t* buf, uint32_t len,
                                                         host::Overlapped& ov) override;
    std::unique_ptr<TransferRequest> BeginBufferedTransfer(uint8_t* buf, uint32_t len,
                                                           host::Overlapped& ov) override;
    std::unique_ptr<TransferRequest> BeginTransfer(uint8_t* buf, uint32_t len,
                                                   host::Overlapped& ov) override;

    // Packets needed for len bytes (0 when maxPktSize is 0 or len is 0).
    uint32_t packetCount(uint32_t len) const;
};

}  // namespace vidscope::usb
