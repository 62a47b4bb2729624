// SPDX-License-Identifier: MIT
// Log category of the virtual camera firmware.
#pragma once

#include "base/LogCategory.h"

namespace vidscope::sim {

VIDSCOPE_LOG_CATEGORY(firmwareLog, "sim.firmware")

}  // namespace vidscope::sim
