// SPDX-License-Identifier: MIT
// Endpoint 0: setup-packet requests with an optional data stage.
#include "usb/ControlEndpoint.h"

#include <cstring>

#include "usb/host/IoControlCode.h"
#include "usb/host/SystemError.h"

namespace vidscope::usb {
namespace {

EndpointDescriptor endpointZero() {
    EndpointDescriptor d;
    d.bLength = 7;
    d.bDescriptorType = 5;
    return d;
}

}  // namespace

ControlEndpoint::ControlEndpoint(host::Handle handle, uint32_t ep0MaxPacket)
    : UsbEndpoint(endpointZero(), handle) {
    setMaxPktSize(ep0MaxPacket);
}

ControlEndpoint::ControlEndpoint(const EndpointDescriptor& descriptor, host::Handle handle)
    : UsbEndpoint(descriptor, handle) {}

uint32_t ControlEndpoint::recordTimeoutSeconds(uint32_t timeOutMs) {
    if (timeOutMs == 0)
        return 0;
    return timeOutMs < 1000 ? 1 : timeOutMs / 1000;
}

uint8_t ControlEndpoint::requestType() const {
    return static_cast<uint8_t>(((direction_ & 1) << 7) | ((reqType_ & 3) << 5) | (target_ & 31));
}

std::unique_ptr<TransferRequest> ControlEndpoint::BeginTransfer(uint8_t* buf, uint32_t len,
                                                                host::Overlapped& ov) {
    if (!hasValidHandle())
        return nullptr;
    if (len > 0xFFFF) {  // the setup packet's wLength is 16 bits
        lastError_ = host::kErrorInvalidParameter;
        return nullptr;
    }
    setIn(direction_ == kFromDevice);
    auto request = std::make_unique<TransferRequest>(host::RequestRecord::kSize + len);
    host::RequestRecord record;
    record.bmRequestType = requestType();
    record.bRequest = reqCode_;
    record.wValue = value_;
    record.wIndex = index_;
    record.wLength = static_cast<uint16_t>(len);
    record.timeoutSeconds = recordTimeoutSeconds(timeOut());
    record.dataOffset = host::RequestRecord::kSize;
    record.dataLength = len;
    request->setRecord(record);
    request->setDataCapacity(len);
    if (buf && len > 0)
        std::memcpy(request->bytes().data() + record.dataOffset, buf, len);
    const uint32_t size = request->size();
    void* block = request->bytes().data();
    return queue(std::move(request), host::kIoctlControlTransfer, size, block, size, ov);
}

bool ControlEndpoint::Read(uint8_t* buf, uint32_t& len) {
    direction_ = kFromDevice;
    return Transfer(buf, len);
}

bool ControlEndpoint::Write(uint8_t* buf, uint32_t& len) {
    direction_ = kToDevice;
    return Transfer(buf, len);
}

}  // namespace vidscope::usb
