// SPDX-License-Identifier: MIT
// The source of "now" for code that names files or keeps a schedule, replaceable in tests.
#pragma once

#include <QDateTime>
#include <functional>

// Returns the current local date and time. Tests hand in a clock of their own to walk a whole
// day in milliseconds or to pin a file name to a known moment.
using Clock = std::function<QDateTime()>;

inline QDateTime systemNow() {
    return QDateTime::currentDateTime();
}
