// SPDX-License-Identifier: MIT
// Status words of finished transfers in the conventional NT / USBD numbering.
#include "usb/host/TransferStatusCodes.h"

#include "usb/host/SystemError.h"

namespace vidscope::host {
namespace {

// Outcomes the camera API never inspects beyond "not zero" still get the conventional
// words, so a log of a failing request reads the same as on the system the API grew up on.
constexpr uint32_t kNtCancelled = 0xC0000120;
constexpr uint32_t kNtIoTimeout = 0xC00000B5;
constexpr uint32_t kNtDeviceNotConnected = 0xC000009D;
constexpr uint32_t kNtNotSupported = 0xC00000BB;
constexpr uint32_t kUsbdCanceled = 0xC0010000;
constexpr uint32_t kUsbdTimeout = 0xC0006000;
constexpr uint32_t kUsbdDeviceGone = 0xC0007000;
constexpr uint32_t kUsbdNotSupported = 0xC0000E00;

}  // namespace

StatusWords statusWords(TransferStatus status) {
    switch (status) {
        case TransferStatus::Completed:
            return {kErrorSuccess, 0, 0};
        case TransferStatus::Stall:
            return {kErrorGenFailure, kNtUnsuccessful, kUsbdStallPid};
        case TransferStatus::Timeout:
            return {kErrorSemTimeout, kNtIoTimeout, kUsbdTimeout};
        case TransferStatus::Cancelled:
            return {kErrorOperationAborted, kNtCancelled, kUsbdCanceled};
        case TransferStatus::NoDevice:
            return {kErrorDeviceNotConnected, kNtDeviceNotConnected, kUsbdDeviceGone};
        case TransferStatus::Overflow:
            return {kErrorGenFailure, kNtUnsuccessful, kUsbdBufferOverrun};
        case TransferStatus::NotSupported:
            return {kErrorNotSupported, kNtNotSupported, kUsbdNotSupported};
        case TransferStatus::Error:
            break;
    }
    return {kErrorGenFailure, kNtUnsuccessful, kUsbdGenericError};
}

}  // namespace vidscope::host
