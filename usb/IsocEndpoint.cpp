// SPDX-License-Identifier: MIT
// Isochronous endpoint: requests carry a packet table of one 8-byte entry per packet.
#include "usb/IsocEndpoint.h"

namespace vidscope::usb {

uint32_t IsocEndpoint::packetCount(uint32_t len) const {
    if (maxPktSize() == 0)
        return 0;
    return static_cast<uint32_t>((uint64_t{len} + maxPktSize() - 1) / maxPktSize());
}

std::unique_ptr<TransferRequest> IsocEndpoint::BeginDirectTransfer(uint8_t* buf, uint32_t len,
                                                                   host::Overlapped& ov) {
    const uint32_t packets = packetCount(len);
    if (!hasValidHandle() || packets == 0)
        return nullptr;
    return sendDirect(makeDirectRequest(packets), buf, len, ov);
}

std::unique_ptr<TransferRequest> IsocEndpoint::BeginBufferedTransfer(uint8_t* buf, uint32_t len,
                                                                     host::Overlapped& ov) {
    const uint32_t packets = packetCount(len);
    if (!hasValidHandle() || packets == 0)
        return nullptr;
    return sendBuffered(makeBufferedRequest(buf, len, packets), ov);
}

std::unique_ptr<TransferRequest> IsocEndpoint::BeginTransfer(uint8_t* buf, uint32_t len,
                                                             host::Overlapped& ov) {
    return beginByMode(buf, len, ov);
}

}  // namespace vidscope::usb
