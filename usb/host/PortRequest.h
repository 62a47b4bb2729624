// SPDX-License-Identifier: MIT
// A control, buffered or direct data request decoded from the caller's buffers into a port
// transfer.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "usb/host/Overlapped.h"
#include "usb/host/Port.h"
#include "usb/host/RequestRecord.h"

namespace vidscope::host {

// Control requests whose record gives no timeout wait this long.
inline constexpr uint32_t kDefaultControlTimeoutMs = 5000;

// Validates a request against the buffers the caller handed over, so that nothing the port or
// the completion writes can fall outside them, then turns it into a PortTransfer whose
// completion fills the caller's Overlapped (and, for control and buffered requests, the
// status words of the caller's output record).
class PortRequest {
public:
    // True for the control, buffered and direct transfer codes.
    static bool handles(uint32_t code);

    // nullopt with `error` set (kErrorInvalidParameter, kErrorInsufficientBuffer) when the
    // buffers do not hold what the record describes.
    static std::optional<PortRequest> decode(uint32_t code, const uint8_t* in, uint32_t inLength,
                                             uint8_t* out, uint32_t outLength, uint32_t& error);

    // The transfer to submit. `overlapped` must stay valid until it has completed.
    std::shared_ptr<PortTransfer> makeTransfer(Overlapped& overlapped) &&;

    const RequestRecord& record() const { return record_; }
    EndpointType type() const { return type_; }

private:
    static bool decodeControl(PortRequest& r, const uint8_t* in, uint32_t inLength, uint8_t* out,
                              uint32_t outLength, uint32_t& error);
    static bool decodeBuffered(PortRequest& r, const uint8_t* in, uint32_t inLength, uint8_t* out,
                               uint32_t outLength, uint32_t& error);
    static bool decodeDirect(PortRequest& r, const uint8_t* in, uint32_t inLength, uint8_t* out,
                             uint32_t outLength, uint32_t& error);
    static bool packetTableFits(const RequestRecord& record, uint32_t inLength);
    void sendFrom(const uint8_t* data, uint32_t length);

    RequestRecord record_;
    EndpointType type_ = EndpointType::Bulk;
    uint8_t endpoint_ = 0;
    SetupPacket setup_;
    uint32_t timeoutMs_ = 0;
    // Where the data stage lives: the caller's output buffer for IN requests and direct
    // requests, or `outgoing_`, a copy of the caller's input taken at submission.
    uint8_t* data_ = nullptr;
    uint32_t dataLength_ = 0;
    std::vector<uint8_t> outgoing_;
    // The caller's output record whose status words are patched at completion, or null.
    uint8_t* statusRecord_ = nullptr;
    // Bytes of the output buffer that precede the data stage; part of the returned count.
    uint32_t returnedBase_ = 0;
};

}  // namespace vidscope::host
