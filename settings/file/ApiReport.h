// SPDX-License-Identifier: MIT
// How the widget-free settings code reports a failed camera API call to whoever shows it.
#pragma once

#include <QString>
#include <functional>

// Receives an API function's name and the calling thread's last-error code, exactly what the
// message log takes; the dialog forwards it to toTable, the command-line tool prints it.
using ApiReport = std::function<void(const QString& function, int error)>;

// Reports `function` with the current last error when `ok` is false; returns `ok`.
bool reportUnless(bool ok, const ApiReport& report, const char* function);
