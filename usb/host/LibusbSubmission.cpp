// SPDX-License-Identifier: MIT
// Filling, submitting and accounting the libusb transfer behind one port transfer.
#include "usb/host/LibusbSubmission.h"

#include <libusb.h>

#include <algorithm>
#include <cstring>

namespace vidscope::host {

LibusbSubmission::LibusbSubmission(std::shared_ptr<PortTransfer> transfer, uint64_t serial,
                                   void* owner)
    : transfer_(std::move(transfer)), serial_(serial), owner_(owner) {}

LibusbSubmission::~LibusbSubmission() {
    if (usb_ != nullptr)
        libusb_free_transfer(usb_);
}

LibusbSubmission* LibusbSubmission::from(libusb_transfer* transfer) {
    return static_cast<LibusbSubmission*>(transfer->user_data);
}

bool LibusbSubmission::prepare(libusb_device_handle* handle, uint8_t libusbType,
                               Callback callback) {
    usb_ = libusb_alloc_transfer(0);
    if (usb_ == nullptr)
        return false;
    usb_->dev_handle = handle;
    usb_->type = libusbType;
    usb_->timeout = transfer_->timeoutMs;
    usb_->callback = callback;
    usb_->user_data = this;
    if (isControl()) {
        const SetupPacket& s = transfer_->setup;
        const size_t stage = std::min<size_t>(s.wLength, transfer_->buffer.size());
        controlBuffer_.assign(LIBUSB_CONTROL_SETUP_SIZE + stage, 0);
        libusb_fill_control_setup(controlBuffer_.data(), s.bmRequestType, s.bRequest, s.wValue,
                                  s.wIndex, static_cast<uint16_t>(stage));
        if ((s.bmRequestType & LIBUSB_ENDPOINT_IN) == 0 && stage > 0) {
            std::memcpy(controlBuffer_.data() + LIBUSB_CONTROL_SETUP_SIZE, transfer_->buffer.data(),
                        stage);
        }
        usb_->endpoint = 0;
        usb_->buffer = controlBuffer_.data();
        usb_->length = static_cast<int>(controlBuffer_.size());
    } else {
        usb_->endpoint = transfer_->endpoint;
    }
    return true;
}

int LibusbSubmission::submitNext(uint32_t pieceLimit) {
    if (!isControl()) {
        const uint32_t rest = remaining();
        pieceLength_ = pieceLimit != 0 ? std::min(rest, pieceLimit) : rest;
        if (pieceLength_ < rest || moved_ > 0)
            inPieces_ = true;
        usb_->buffer = transfer_->buffer.data() + moved_;
        usb_->length = static_cast<int>(pieceLength_);
    }
    return libusb_submit_transfer(usb_);
}

bool LibusbSubmission::pieceCompleted() {
    const auto actual = static_cast<uint32_t>(std::max(usb_->actual_length, 0));
    status_ = statusOf(usb_->status);
    if (status_ == TransferStatus::Cancelled && endAs_)
        status_ = *endAs_;
    if (isControl()) {
        const bool in = (transfer_->setup.bmRequestType & LIBUSB_ENDPOINT_IN) != 0;
        const uint32_t stage =
            static_cast<uint32_t>(controlBuffer_.size()) - LIBUSB_CONTROL_SETUP_SIZE;
        moved_ = std::min(actual, stage);
        if (in && moved_ > 0) {
            std::memcpy(transfer_->buffer.data(), controlBuffer_.data() + LIBUSB_CONTROL_SETUP_SIZE,
                        moved_);
        }
        return true;
    }
    moved_ += std::min(actual, pieceLength_);
    const bool fullPiece = actual >= pieceLength_;
    if (status_ != TransferStatus::Completed || !fullPiece || remaining() == 0)
        return true;
    // More to come, but the transfer is being ended: what it holds so far is not a frame end.
    if (endAs_) {
        status_ = *endAs_;
        return true;
    }
    return false;
}

void LibusbSubmission::cancel() {
    if (usb_ != nullptr)
        libusb_cancel_transfer(usb_);
}

TransferStatus LibusbSubmission::statusOf(int libusbStatus) {
    switch (libusbStatus) {
        case LIBUSB_TRANSFER_COMPLETED:
            return TransferStatus::Completed;
        case LIBUSB_TRANSFER_TIMED_OUT:
            return TransferStatus::Timeout;
        case LIBUSB_TRANSFER_CANCELLED:
            return TransferStatus::Cancelled;
        case LIBUSB_TRANSFER_STALL:
            return TransferStatus::Stall;
        case LIBUSB_TRANSFER_NO_DEVICE:
            return TransferStatus::NoDevice;
        case LIBUSB_TRANSFER_OVERFLOW:
            return TransferStatus::Overflow;
        default:
            break;
    }
    return TransferStatus::Error;
}

}  // namespace vidscope::host
