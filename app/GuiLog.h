// SPDX-License-Identifier: MIT
// Logging category of the application shell: start-up, main window, settings, docks.
#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(guiLog)
