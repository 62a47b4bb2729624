// SPDX-License-Identifier: MIT
// One port transfer carried out as a libusb transfer, whole or piece by piece.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "usb/host/Port.h"

struct libusb_transfer;
struct libusb_device_handle;

namespace vidscope::host {

// A bulk or interrupt transfer normally travels as one libusb transfer. When the kernel has
// no memory for that, it travels in pieces, one after the other: a piece that comes back
// full means the device has more to say, so the next piece goes out; a short piece ends the
// transfer just as a short packet would have ended the whole. Control transfers always go
// whole, with the setup packet in front of the data stage.
class LibusbSubmission {
public:
    using Callback = void (*)(libusb_transfer*);

    // `serial` orders submissions of one port; `owner` is handed back through callback().
    LibusbSubmission(std::shared_ptr<PortTransfer> transfer, uint64_t serial, void* owner);
    ~LibusbSubmission();
    LibusbSubmission(const LibusbSubmission&) = delete;
    LibusbSubmission& operator=(const LibusbSubmission&) = delete;

    // Sets up the libusb transfer; false when libusb has no memory for it.
    bool prepare(libusb_device_handle* handle, uint8_t libusbType, Callback callback);

    // Submits the rest of the data, at most `pieceLimit` bytes of it (0: no limit). Returns
    // the libusb error code (0 on success).
    int submitNext(uint32_t pieceLimit);
    // Records the piece libusb just completed; true when the transfer as a whole has ended,
    // false when the next piece should go out.
    bool pieceCompleted();

    // Makes a transfer that libusb reports as cancelled end with `status` instead.
    void endAs(TransferStatus status) { endAs_ = status; }
    void fail(TransferStatus status) { status_ = status; }
    // Asks libusb to cancel the piece in flight; harmless when it is already completing.
    void cancel();

    const std::shared_ptr<PortTransfer>& transfer() const { return transfer_; }
    uint64_t serial() const { return serial_; }
    uint8_t endpoint() const { return transfer_->endpoint; }
    bool isControl() const { return transfer_->type == EndpointType::Control; }
    // True while the transfer travels in more than one piece.
    bool inPieces() const { return inPieces_; }
    uint32_t length() const { return static_cast<uint32_t>(transfer_->buffer.size()); }
    TransferStatus status() const { return status_; }
    uint32_t moved() const { return moved_; }
    void* owner() const { return owner_; }

    static LibusbSubmission* from(libusb_transfer* transfer);

private:
    uint32_t remaining() const { return length() - moved_; }
    static TransferStatus statusOf(int libusbStatus);

    const std::shared_ptr<PortTransfer> transfer_;
    const uint64_t serial_;
    void* const owner_;
    libusb_transfer* usb_ = nullptr;
    std::vector<uint8_t> controlBuffer_;  // setup packet + data stage
    uint32_t moved_ = 0;
    uint32_t pieceLength_ = 0;
    bool inPieces_ = false;
    TransferStatus status_ = TransferStatus::Completed;
    std::optional<TransferStatus> endAs_;
};

}  // namespace vidscope::host
