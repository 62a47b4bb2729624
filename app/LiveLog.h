// SPDX-License-Identifier: MIT
// Logging categories of the live video: capture, processing and display.
#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(liveLog)
Q_DECLARE_LOGGING_CATEGORY(captureLog)
