// SPDX-License-Identifier: MIT
// How a port's transfer outcome reads as a system error and as the record's status words.
#pragma once

#include <cstdint>

#include "usb/host/Port.h"

namespace vidscope::host {

// What the caller of the driver sees of one finished transfer: the system error of the
// request, and the NT and USBD status words written into its request record.
struct StatusWords {
    uint32_t systemError = 0;
    uint32_t ntStatus = 0;
    uint32_t usbdStatus = 0;
};

inline constexpr uint32_t kNtUnsuccessful = 0xC0000001;
inline constexpr uint32_t kUsbdStallPid = 0xC0000004;
inline constexpr uint32_t kUsbdGenericError = 0xC0000001;
inline constexpr uint32_t kUsbdBufferOverrun = 0xC000000C;

StatusWords statusWords(TransferStatus status);

}  // namespace vidscope::host
