// SPDX-License-Identifier: MIT
// The camera API's log category.
#pragma once

#include "base/LogCategory.h"

namespace vidscope::api {

VIDSCOPE_LOG_CATEGORY(apiLog, "api")

}  // namespace vidscope::api
