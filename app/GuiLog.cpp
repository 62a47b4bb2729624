// SPDX-License-Identifier: MIT
// Logging category of the application shell: start-up, main window, settings, docks.
#include "GuiLog.h"

Q_LOGGING_CATEGORY(guiLog, "vidscope.gui")
