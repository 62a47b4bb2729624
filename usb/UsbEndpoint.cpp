// SPDX-License-Identifier: MIT
// Requests common to every endpoint: direct and buffered transfers, completion, pipe control.
#include "usb/UsbEndpoint.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "usb/host/IoControlCode.h"
#include "usb/host/SystemError.h"

namespace vidscope::usb {
namespace {

using host::RequestRecord;

constexpr uint32_t kAbortGraceMs = 50;

host::Driver& driver() {
    return host::Driver::instance();
}

// Size of a request block, or 0 when it would not fit the driver's 32-bit lengths.
uint32_t blockSize(uint32_t packets, uint32_t dataBytes) {
    const uint64_t size = uint64_t{RequestRecord::kSize} +
                          uint64_t{packets} * RequestRecord::kPacketEntrySize + dataBytes;
    return size > std::numeric_limits<uint32_t>::max() ? 0 : static_cast<uint32_t>(size);
}

}  // namespace

UsbEndpoint::UsbEndpoint(const EndpointDescriptor& d, host::Handle handle)
    : handle_(handle),
      dscLen_(d.bLength),
      dscType_(d.bDescriptorType),
      address_(d.bEndpointAddress),
      attributes_(d.bmAttributes),
      maxPktSize_(packetSize(d)),
      mult_(static_cast<uint16_t>(((d.wMaxPacketSize >> 11) & 3) + 1)),
      interval_(d.bInterval),
      ssMaxBurst_(d.bMaxBurst),
      ssAttributes_(d.ssAttributes),
      ssBytesPerInterval_(d.wBytesPerInterval),
      bIn_((d.bEndpointAddress & kDirectionIn) != 0) {}

uint32_t UsbEndpoint::packetSize(const EndpointDescriptor& d) {
    uint32_t size = (d.wMaxPacketSize & 0x7FFu) * (((d.wMaxPacketSize >> 11) & 3u) + 1);
    if (d.superSpeed) {
        size *= d.bMaxBurst + 1u;
        if ((d.bmAttributes & 3) == 1)
            size *= (d.ssAttributes & 3u) + 1;
    }
    return size;
}

std::unique_ptr<TransferRequest> UsbEndpoint::makeDirectRequest(uint32_t packets) const {
    const uint32_t size = blockSize(packets, 0);
    if (size == 0)
        return nullptr;
    auto request = std::make_unique<TransferRequest>(size);
    RequestRecord record;
    record.endpointAddress = address_;
    if (packets > 0) {
        record.packetTableOffset = RequestRecord::kSize;
        record.packetTableLength = packets * RequestRecord::kPacketEntrySize;
    }
    request->setRecord(record);
    return request;
}

std::unique_ptr<TransferRequest> UsbEndpoint::makeBufferedRequest(const uint8_t* buf, uint32_t len,
                                                                  uint32_t packets) const {
    const uint32_t size = blockSize(packets, len);
    if (size == 0)
        return nullptr;
    auto request = std::make_unique<TransferRequest>(size);
    RequestRecord record;
    record.endpointAddress = address_;
    const uint32_t table = packets * RequestRecord::kPacketEntrySize;
    if (packets > 0) {
        record.packetTableOffset = RequestRecord::kSize;
        record.packetTableLength = table;
    }
    record.dataOffset = RequestRecord::kSize + table;
    record.dataLength = len;
    request->setRecord(record);
    if (buf && len > 0)
        std::memcpy(request->bytes().data() + record.dataOffset, buf, len);
    request->setDataCapacity(len);
    return request;
}

std::unique_ptr<TransferRequest> UsbEndpoint::queue(std::unique_ptr<TransferRequest> request,
                                                    uint32_t code, uint32_t inLength, void* out,
                                                    uint32_t outLength, host::Overlapped& ov) {
    uint32_t returned = 0;
    const bool done = driver().ioControl(handle_, code, request->bytes().data(), inLength, out,
                                         outLength, &returned, &ov);
    lastError_ = done ? host::kErrorSuccess : host::lastSystemError();
    request->setQueuedError(lastError_);
    return request;
}

std::unique_ptr<TransferRequest> UsbEndpoint::sendDirect(std::unique_ptr<TransferRequest> request,
                                                         uint8_t* buf, uint32_t len,
                                                         host::Overlapped& ov) {
    if (!request)
        return nullptr;
    request->setDataCapacity(len);
    const uint32_t inLength = request->size();
    return queue(std::move(request), host::kIoctlDirectTransfer, inLength, buf, len, ov);
}

std::unique_ptr<TransferRequest> UsbEndpoint::sendBuffered(std::unique_ptr<TransferRequest> request,
                                                           host::Overlapped& ov) {
    if (!request)
        return nullptr;
    const uint32_t size = request->size();
    void* block = request->bytes().data();
    return queue(std::move(request), host::kIoctlBufferedTransfer, size, block, size, ov);
}

std::unique_ptr<TransferRequest> UsbEndpoint::BeginDirectTransfer(uint8_t* buf, uint32_t len,
                                                                  host::Overlapped& ov) {
    if (!hasValidHandle())
        return nullptr;
    return sendDirect(makeDirectRequest(0), buf, len, ov);
}

std::unique_ptr<TransferRequest> UsbEndpoint::BeginBufferedTransfer(uint8_t* buf, uint32_t len,
                                                                    host::Overlapped& ov) {
    if (!hasValidHandle())
        return nullptr;
    return sendBuffered(makeBufferedRequest(buf, len, 0), ov);
}

std::unique_ptr<TransferRequest> UsbEndpoint::beginByMode(uint8_t* buf, uint32_t len,
                                                          host::Overlapped& ov) {
    return xferMode_ == 1 ? BeginDirectTransfer(buf, len, ov) : BeginBufferedTransfer(buf, len, ov);
}

bool UsbEndpoint::FinishTransfer(uint8_t* buf, uint32_t& len, host::Overlapped& ov,
                                 std::unique_ptr<TransferRequest>& request, uint8_t* packetInfos) {
    len = 0;
    if (!request)
        return false;
    if (!request->reachedDriver()) {
        // Failed while being queued: the driver holds no pointer into it any more, and any
        // status it reports is already in the record (a stall answered at once).
        const RequestRecord record = request->record();
        usbdStatus_ = record.usbdStatus;
        ntStatus_ = record.ntStatus;
        bytesWritten_ = 0;
        host::setLastSystemError(request->queuedError());
        request.reset();
        return false;
    }
    uint32_t returned = 0;
    const bool succeeded = driver().overlappedResult(handle_, ov, &returned, false);
    if (!succeeded && host::lastSystemError() == host::kErrorIoIncomplete) {
        return false;  // still in flight: the caller keeps the request
    }
    const RequestRecord record = request->record();
    const uint32_t moved = returned > record.dataOffset ? returned - record.dataOffset : 0;
    len = std::min(moved, request->dataCapacity());
    bytesWritten_ = len;
    usbdStatus_ = record.usbdStatus;
    ntStatus_ = record.ntStatus;
    if (bIn_ && xferMode_ == 0 && len > 0 && buf) {
        std::memcpy(buf, request->bytes().data() + record.dataOffset, len);
    }
    if (packetInfos && len >= 1 && record.packetTableLength > 0) {
        std::memcpy(packetInfos, request->bytes().data() + record.packetTableOffset,
                    record.packetTableLength);
    }
    request.reset();
    return succeeded && usbdStatus_ == 0 && ntStatus_ == 0;
}

bool UsbEndpoint::WaitForTransfer(host::Overlapped& ov, uint32_t timeoutMs) {
    if (lastError_ == host::kErrorSuccess)
        return true;
    if (lastError_ != host::kErrorIoPending)
        return false;
    host::Event& event = ov.event ? *ov.event : ov.done;
    return event.wait(timeoutMs);
}

bool UsbEndpoint::waitForCompletion(host::Event& event) {
    if (event.wait(timeOut_))
        return true;
    Abort();
    if (event.wait(kAbortGraceMs))
        return true;
    Abort();
    return event.wait(host::kInfinite);
}

bool UsbEndpoint::Transfer(uint8_t* buf, uint32_t& len) {
    host::Event event(host::Event::Reset::Auto);
    host::Overlapped ov;
    ov.event = &event;
    auto request = BeginTransfer(buf, len, ov);
    if (!request) {
        len = 0;
        return false;
    }
    lastError_ = request->queuedError();
    bool waited = false;
    if (lastError_ == host::kErrorSuccess) {
        waited = true;
    } else if (lastError_ == host::kErrorIoPending) {
        waited = waitForCompletion(event);
    }
    const bool finished = FinishTransfer(buf, len, ov, request);
    return waited && finished;
}

bool UsbEndpoint::Abort() {
    if (!hasValidHandle())
        return true;
    host::Event event(host::Event::Reset::Auto);
    host::Overlapped ov;
    ov.event = &event;
    uint8_t address = address_;
    uint32_t returned = 0;
    if (!driver().ioControl(handle_, host::kIoctlAbortPipe, &address, 1, nullptr, 0, &returned,
                            &ov) &&
        host::lastSystemError() == host::kErrorIoPending) {
        event.wait(host::kInfinite);
    }
    return true;
}

bool UsbEndpoint::Reset() {
    if (!hasValidHandle())
        return false;
    uint8_t address = address_;
    uint32_t returned = 0;
    const bool ok = driver().ioControl(handle_, host::kIoctlResetPipe, &address, 1, nullptr, 0,
                                       &returned, nullptr);
    if (!ok)
        lastError_ = host::lastSystemError();
    return ok;
}

bool UsbEndpoint::SetTransferSize(uint32_t size) {
    if (!hasValidHandle() || maxPktSize_ == 0)
        return false;
    const uint64_t packets = (uint64_t{size} + maxPktSize_ - 1) / maxPktSize_;
    const uint64_t rounded = packets * maxPktSize_;
    if (rounded > std::numeric_limits<uint32_t>::max()) {
        lastError_ = host::kErrorInvalidParameter;
        return false;
    }
    uint8_t in[5] = {address_};
    host::le::write32(in + 1, static_cast<uint32_t>(rounded));
    uint8_t out[5] = {};
    uint32_t returned = 0;
    const bool ok = driver().ioControl(handle_, host::kIoctlSetTransferSize, in, sizeof in, out,
                                       sizeof out, &returned, nullptr);
    if (!ok)
        lastError_ = host::lastSystemError();
    return ok && returned == sizeof out;
}

}  // namespace vidscope::usb
