// SPDX-License-Identifier: MIT
// Decoding of the three data request codes and the completion that reports back to the caller.
#include "usb/host/PortRequest.h"

#include <algorithm>
#include <cstring>

#include "usb/host/IoControlCode.h"
#include "usb/host/OverlappedCompletion.h"
#include "usb/host/SystemError.h"
#include "usb/host/TransferStatusCodes.h"

namespace vidscope::host {
namespace {

constexpr uint32_t kRecordSize = static_cast<uint32_t>(RequestRecord::kSize);

bool fitsWithin(uint64_t offset, uint64_t length, uint64_t limit) {
    return offset + length <= limit;
}

uint32_t controlTimeoutMs(uint32_t seconds) {
    if (seconds == 0)
        return kDefaultControlTimeoutMs;
    // A huge timeout means "practically never"; keep it below the port's "no limit" of 0.
    return static_cast<uint32_t>(std::min<uint64_t>(uint64_t{seconds} * 1000, 0xFFFFFFFEu));
}

bool failWith(uint32_t& error, uint32_t code) {
    error = code;
    return false;
}

// Shared by the transfer's completion callback; owns the copy of outgoing data.
struct CompletionTarget {
    Overlapped* overlapped;
    uint8_t* statusRecord;
    uint32_t returnedBase;
    uint32_t dataLength;
    std::vector<uint8_t> outgoing;
};

}  // namespace

bool PortRequest::handles(uint32_t code) {
    return code == kIoctlControlTransfer || code == kIoctlBufferedTransfer ||
           code == kIoctlDirectTransfer;
}

std::optional<PortRequest> PortRequest::decode(uint32_t code, const uint8_t* in, uint32_t inLength,
                                               uint8_t* out, uint32_t outLength, uint32_t& error) {
    error = kErrorSuccess;
    if ((in == nullptr && inLength > 0) || (out == nullptr && outLength > 0) ||
        inLength < kRecordSize) {
        error = kErrorInvalidParameter;
        return std::nullopt;
    }
    PortRequest r;
    r.record_ = *RequestRecord::decode(std::span<const uint8_t>(in, inLength));
    bool ok = false;
    switch (code) {
        case kIoctlControlTransfer:
            ok = decodeControl(r, in, inLength, out, outLength, error);
            break;
        case kIoctlBufferedTransfer:
            ok = decodeBuffered(r, in, inLength, out, outLength, error);
            break;
        case kIoctlDirectTransfer:
            ok = decodeDirect(r, in, inLength, out, outLength, error);
            break;
        default:
            error = kErrorInvalidParameter;
            break;
    }
    if (!ok)
        return std::nullopt;
    return r;
}

bool PortRequest::decodeControl(PortRequest& r, const uint8_t* in, uint32_t inLength, uint8_t* out,
                                uint32_t outLength, uint32_t& error) {
    const RequestRecord& rec = r.record_;
    const bool isIn = (rec.bmRequestType & 0x80) != 0;
    const uint32_t needed = kRecordSize + rec.wLength;
    if (!isIn && inLength < needed)
        return failWith(error, kErrorInvalidParameter);
    if (outLength < (isIn ? needed : kRecordSize))
        return failWith(error, kErrorInsufficientBuffer);
    r.type_ = EndpointType::Control;
    r.endpoint_ = 0;
    r.setup_ = {rec.bmRequestType, rec.bRequest, rec.wValue, rec.wIndex, rec.wLength};
    r.timeoutMs_ = controlTimeoutMs(rec.timeoutSeconds);
    if (isIn) {
        r.data_ = out + kRecordSize;
        r.dataLength_ = rec.wLength;
    } else {
        r.sendFrom(in + kRecordSize, rec.wLength);
    }
    r.statusRecord_ = out;
    r.returnedBase_ = kRecordSize;
    return true;
}

bool PortRequest::decodeBuffered(PortRequest& r, const uint8_t* in, uint32_t inLength, uint8_t* out,
                                 uint32_t outLength, uint32_t& error) {
    const RequestRecord& rec = r.record_;
    const bool isIn = (rec.endpointAddress & 0x80) != 0;
    const uint64_t dataStart = rec.packetTableLength > 0
                                   ? uint64_t{rec.packetTableOffset} + rec.packetTableLength
                                   : uint64_t{kRecordSize};
    if (!packetTableFits(rec, inLength) || rec.dataOffset < dataStart) {
        return failWith(error, kErrorInvalidParameter);
    }
    if (isIn && !fitsWithin(rec.dataOffset, rec.dataLength, outLength)) {
        return failWith(error, kErrorInsufficientBuffer);
    }
    if (!isIn && !fitsWithin(rec.dataOffset, rec.dataLength, inLength)) {
        return failWith(error, kErrorInvalidParameter);
    }
    if (outLength < kRecordSize)
        return failWith(error, kErrorInsufficientBuffer);
    r.type_ = rec.packetTableLength > 0 ? EndpointType::Isochronous : EndpointType::Bulk;
    r.endpoint_ = rec.endpointAddress;
    if (isIn) {
        r.data_ = out + rec.dataOffset;
        r.dataLength_ = rec.dataLength;
    } else {
        r.sendFrom(in + rec.dataOffset, rec.dataLength);
    }
    r.statusRecord_ = out;
    r.returnedBase_ = rec.dataOffset;
    return true;
}

bool PortRequest::decodeDirect(PortRequest& r, const uint8_t* /*in*/, uint32_t inLength,
                               uint8_t* out, uint32_t outLength, uint32_t& error) {
    const RequestRecord& rec = r.record_;
    if (!packetTableFits(rec, inLength))
        return failWith(error, kErrorInvalidParameter);
    r.type_ = rec.packetTableLength > 0 ? EndpointType::Isochronous : EndpointType::Bulk;
    r.endpoint_ = rec.endpointAddress;
    // Both directions move data straight between the device and the caller's buffer.
    r.data_ = out;
    r.dataLength_ = outLength;
    return true;
}

bool PortRequest::packetTableFits(const RequestRecord& record, uint32_t inLength) {
    if (record.packetTableLength == 0)
        return true;
    return record.packetTableOffset >= kRecordSize &&
           record.packetTableLength % RequestRecord::kPacketEntrySize == 0 &&
           fitsWithin(record.packetTableOffset, record.packetTableLength, inLength);
}

void PortRequest::sendFrom(const uint8_t* data, uint32_t length) {
    outgoing_.assign(data, data + length);
    dataLength_ = length;
}

std::shared_ptr<PortTransfer> PortRequest::makeTransfer(Overlapped& overlapped) && {
    auto target = std::make_shared<CompletionTarget>(CompletionTarget{
        &overlapped, statusRecord_, returnedBase_, dataLength_, std::move(outgoing_)});
    uint8_t* data = data_ != nullptr ? data_ : target->outgoing.data();
    auto transfer = std::make_shared<PortTransfer>();
    transfer->type = type_;
    transfer->endpoint = endpoint_;
    transfer->setup = setup_;
    transfer->buffer = std::span<uint8_t>(data, dataLength_);
    transfer->timeoutMs = type_ == EndpointType::Control ? timeoutMs_ : 0;
    transfer->onComplete = [target](TransferStatus status, uint32_t actualLength) {
        const StatusWords words = statusWords(status);
        if (target->statusRecord != nullptr) {
            le::write32(target->statusRecord + RequestRecord::kNtStatusOffset, words.ntStatus);
            le::write32(target->statusRecord + RequestRecord::kUsbdStatusOffset, words.usbdStatus);
        }
        // A port can never report more than the buffer it was given, but the caller's count
        // must not run past its buffer even if one did.
        const uint32_t moved = std::min(actualLength, target->dataLength);
        OverlappedCompletion::complete(*target->overlapped, words.systemError,
                                       target->returnedBase + moved);
    };
    return transfer;
}

}  // namespace vidscope::host
