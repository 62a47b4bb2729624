// SPDX-License-Identifier: MIT
// Log category of the USB transport layer.
#pragma once

#include "base/LogCategory.h"

namespace vidscope::usb {

VIDSCOPE_LOG_CATEGORY(usbLog, "usb")

}  // namespace vidscope::usb
