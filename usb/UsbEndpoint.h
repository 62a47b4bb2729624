// SPDX-License-Identifier: MIT
// Base class of the endpoint objects: descriptor facts, status of the last transfer, requests.
#pragma once

#include <cstdint>
#include <memory>

#include "usb/TransferRequest.h"
#include "usb/host/Driver.h"
#include "usb/host/Overlapped.h"
#include "usb/host/RequestRecord.h"

namespace vidscope::usb {

// The fields of an endpoint descriptor and, for SuperSpeed devices, of its companion.
struct EndpointDescriptor {
    uint8_t bLength = 7;
    uint8_t bDescriptorType = 5;
    uint8_t bEndpointAddress = 0;
    uint8_t bmAttributes = 0;
    uint16_t wMaxPacketSize = 0;
    uint8_t bInterval = 0;
    // Companion (type 0x30); all zero without one.
    uint8_t bMaxBurst = 0;
    uint8_t ssAttributes = 0;
    uint16_t wBytesPerInterval = 0;
    // True when parsed for a SuperSpeed device: the burst (and for isochronous endpoints the
    // companion's multiplier) then scale the packet size.
    bool superSpeed = false;
};

class UsbEndpoint {
public:
    static constexpr uint32_t kDefaultTimeOutMs = 10000;
    static constexpr uint8_t kDirectionIn = 0x80;

    UsbEndpoint(const EndpointDescriptor& descriptor, host::Handle handle);
    virtual ~UsbEndpoint() = default;
    UsbEndpoint(const UsbEndpoint&) = delete;
    UsbEndpoint& operator=(const UsbEndpoint&) = delete;

    // Bytes per packet the endpoint can move (see EndpointDescriptor::superSpeed).
    static uint32_t packetSize(const EndpointDescriptor& descriptor);

    // --- requests; each returns the request it queued, or null when the handle is invalid
    // or the length gives no packet. The request belongs to the caller until FinishTransfer.
    virtual std::unique_ptr<TransferRequest> BeginDirectTransfer(uint8_t* buf, uint32_t len,
                                                                 host::Overlapped& ov);
    virtual std::unique_ptr<TransferRequest> BeginBufferedTransfer(uint8_t* buf, uint32_t len,
                                                                   host::Overlapped& ov);
    virtual std::unique_ptr<TransferRequest> BeginTransfer(uint8_t* buf, uint32_t len,
                                                           host::Overlapped& ov) = 0;
    // Collects a completed request: len receives the bytes moved, buffered IN data is copied
    // to buf, the status words are kept, and `request` is freed. While the request is still
    // pending it returns false (lastError 996) and leaves `request` with the caller.
    virtual bool FinishTransfer(uint8_t* buf, uint32_t& len, host::Overlapped& ov,
                                std::unique_ptr<TransferRequest>& request,
                                uint8_t* packetInfos = nullptr);

    // True when the last queued request completed at once, or its overlapped event is
    // signalled within timeoutMs; false when it could not be queued.
    bool WaitForTransfer(host::Overlapped& ov, uint32_t timeoutMs);
    // Synchronous transfer; gives up after timeOut (plus a 50 ms grace after aborting).
    bool Transfer(uint8_t* buf, uint32_t& len);
    // Cancels every pending request of the endpoint and returns once they have completed.
    bool Abort();
    // Clears a halt on the endpoint's pipe.
    bool Reset();
    // Rounds size up to whole packets and tells the driver how much one transfer carries.
    bool SetTransferSize(uint32_t size);

    // --- fields ---
    host::Handle handle() const { return handle_; }
    void setHandle(host::Handle handle) { handle_ = handle; }
    uint8_t dscLen() const { return dscLen_; }
    uint8_t dscType() const { return dscType_; }
    uint8_t address() const { return address_; }
    uint8_t attributes() const { return attributes_; }
    // Widened from 16 bits: burst times multiplier overflows 16 bits on SuperSpeed isochronous.
    uint32_t maxPktSize() const { return maxPktSize_; }
    uint16_t mult() const { return mult_; }
    uint8_t interval() const { return interval_; }
    uint8_t ssMaxBurst() const { return ssMaxBurst_; }
    uint8_t ssAttributes() const { return ssAttributes_; }
    uint16_t ssBytesPerInterval() const { return ssBytesPerInterval_; }
    uint32_t timeOut() const { return timeOut_; }
    void setTimeOut(uint32_t ms) { timeOut_ = ms; }
    uint32_t usbdStatus() const { return usbdStatus_; }
    uint32_t ntStatus() const { return ntStatus_; }
    uint32_t bytesWritten() const { return bytesWritten_; }
    uint32_t lastError() const { return lastError_; }
    bool bIn() const { return bIn_; }
    uint32_t xferMode() const { return xferMode_; }
    void setXferMode(uint32_t mode) { xferMode_ = mode; }

protected:
    bool hasValidHandle() const { return handle_ != host::kInvalidHandle; }
    void setIn(bool in) { bIn_ = in; }
    void setMaxPktSize(uint32_t size) { maxPktSize_ = size; }
    // Sends a prepared request block and records the queueing error.
    std::unique_ptr<TransferRequest> queue(std::unique_ptr<TransferRequest> request, uint32_t code,
                                           uint32_t inLength, void* out, uint32_t outLength,
                                           host::Overlapped& ov);
    // Request blocks with and without a packet table; null when the sizes overflow.
    std::unique_ptr<TransferRequest> makeDirectRequest(uint32_t packets) const;
    std::unique_ptr<TransferRequest> makeBufferedRequest(const uint8_t* buf, uint32_t len,
                                                         uint32_t packets) const;
    std::unique_ptr<TransferRequest> sendDirect(std::unique_ptr<TransferRequest> request,
                                                uint8_t* buf, uint32_t len, host::Overlapped& ov);
    std::unique_ptr<TransferRequest> sendBuffered(std::unique_ptr<TransferRequest> request,
                                                  host::Overlapped& ov);
    // Begins direct or buffered by xferMode (bulk, interrupt and isochronous endpoints).
    std::unique_ptr<TransferRequest> beginByMode(uint8_t* buf, uint32_t len, host::Overlapped& ov);

    host::Handle handle_;
    uint32_t lastError_ = 0;

private:
    bool waitForCompletion(host::Event& event);

    uint8_t dscLen_;
    uint8_t dscType_;
    uint8_t address_;
    uint8_t attributes_;
    uint32_t maxPktSize_;
    uint16_t mult_;
    uint8_t interval_;
    uint8_t ssMaxBurst_;
    uint8_t ssAttributes_;
    uint16_t ssBytesPerInterval_;
    uint32_t timeOut_ = kDefaultTimeOutMs;
    uint32_t usbdStatus_ = 0;
    uint32_t ntStatus_ = 0;
    uint32_t bytesWritten_ = 0;
    bool bIn_;
    uint32_t xferMode_ = 0;
};

}  // namespace vidscope::usb
