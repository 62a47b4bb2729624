// SPDX-License-Identifier: MIT
// Endpoint 0: setup-packet requests (standard, class, vendor) with an optional data stage.
#pragma once

#include "usb/UsbEndpoint.h"

namespace vidscope::usb {

class ControlEndpoint : public UsbEndpoint {
public:
    enum RequestType : uint32_t { kStandard = 0, kClass = 1, kVendor = 2 };
    enum Direction : uint32_t { kToDevice = 0, kFromDevice = 1 };

    // Endpoint 0 of a device, which has no descriptor of its own.
    ControlEndpoint(host::Handle handle, uint32_t ep0MaxPacket);
    // A control endpoint listed in an interface.
    ControlEndpoint(const EndpointDescriptor& descriptor, host::Handle handle);

    // Sends the setup packet made of the fields below, with len bytes of data stage.
    std::unique_ptr<TransferRequest> BeginTransfer(uint8_t* buf, uint32_t len,
                                                   host::Overlapped& ov) override;

    // Direction from / to device, then a synchronous Transfer.
    bool Read(uint8_t* buf, uint32_t& len);
    bool Write(uint8_t* buf, uint32_t& len);

    // The record's timeout in seconds for a timeOut in milliseconds: rounded down, but never
    // 0 unless the time-out itself is 0 (0 lets the driver use its default).
    static uint32_t recordTimeoutSeconds(uint32_t timeOutMs);
    uint8_t requestType() const;  // bmRequestType from direction, reqType and target

    uint32_t target() const { return target_; }
    void setTarget(uint32_t target) { target_ = target; }
    uint32_t reqType() const { return reqType_; }
    void setReqType(uint32_t type) { reqType_ = type; }
    uint32_t direction() const { return direction_; }
    void setDirection(uint32_t direction) { direction_ = direction; }
    uint8_t reqCode() const { return reqCode_; }
    void setReqCode(uint8_t code) { reqCode_ = code; }
    uint16_t value() const { return value_; }
    void setValue(uint16_t value) { value_ = value; }
    uint16_t index() const { return index_; }
    void setIndex(uint16_t index) { index_ = index; }

private:
    uint32_t target_ = 0;
    uint32_t reqType_ = kVendor;
    uint32_t direction_ = kToDevice;
    uint8_t reqCode_ = 0;
    uint16_t value_ = 0;
    uint16_t index_ = 0;
};

}  // namespace vidscope::usb
