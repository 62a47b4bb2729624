// SPDX-License-Identifier: MIT
// Log category of the driver and its ports.
#pragma once

#include "base/LogCategory.h"

namespace vidscope::host {

VIDSCOPE_LOG_CATEGORY(hostLog, "host")

}  // namespace vidscope::host
