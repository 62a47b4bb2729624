// SPDX-License-Identifier: MIT
// The list of windows and docks with translatable text, walked by the language switch.
#include "TranslatableWindows.h"

#include <algorithm>

TranslatableWindows& TranslatableWindows::instance() {
    static TranslatableWindows windows;
    return windows;
}

void TranslatableWindows::add(QObject* window, Retranslate retranslate) {
    entries_.push_back({QPointer<QObject>(window), std::move(retranslate)});
}

void TranslatableWindows::retranslateAll() {
    std::erase_if(entries_, [](const Entry& e) { return e.window.isNull(); });
    for (const Entry& e : entries_)
        e.retranslate();
}

int TranslatableWindows::size() const {
    return int(std::count_if(entries_.begin(), entries_.end(),
                             [](const Entry& e) { return !e.window.isNull(); }));
}
