// SPDX-License-Identifier: MIT
// Per-thread system error code of the driver seam, with the codes the USB layer relies on.
#pragma once

#include <cstdint>

namespace vidscope::host {

// Numeric values follow the conventional system error numbering that the USB layer and the
// camera API were designed around (997 pending, 259 end of enumeration).
enum SystemError : uint32_t {
    kErrorSuccess = 0,
    kErrorFileNotFound = 2,
    kErrorAccessDenied = 5,
    kErrorInvalidHandle = 6,
    kErrorNotEnoughMemory = 8,
    kErrorGenFailure = 31,
    kErrorNotSupported = 50,
    kErrorInvalidParameter = 87,
    kErrorSemTimeout = 121,
    kErrorInsufficientBuffer = 122,
    kErrorBusy = 170,
    kErrorNoMoreItems = 259,
    kErrorOperationAborted = 995,
    kErrorIoIncomplete = 996,
    kErrorIoPending = 997,
    kErrorDeviceNotConnected = 1167,
    kErrorNoSystemResources = 1450,
};

// The calling thread's last system error; every driver call sets it (0 on success).
uint32_t lastSystemError();
void setLastSystemError(uint32_t code);

}  // namespace vidscope::host
