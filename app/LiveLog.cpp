// SPDX-License-Identifier: MIT
// Logging categories of the live video: capture, processing and display.
#include "LiveLog.h"

Q_LOGGING_CATEGORY(liveLog, "vidscope.live")
Q_LOGGING_CATEGORY(captureLog, "vidscope.capture")
