// SPDX-License-Identifier: MIT
// Thread-local storage of the driver seam's last system error.
#include "usb/host/SystemError.h"

namespace vidscope::host {
namespace {
thread_local uint32_t t_lastError = kErrorSuccess;
}

uint32_t lastSystemError() {
    return t_lastError;
}
void setLastSystemError(uint32_t code) {
    t_lastError = code;
}

}  // namespace vidscope::host
