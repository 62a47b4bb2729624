// SPDX-License-Identifier: MIT
// The list of windows and docks with translatable text, walked by the language switch.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <vector>

// Every dialog and dock registers itself once it is built, with the call that re-applies its
// texts; the language switch calls them all while the new translator is installed. A window
// that is destroyed drops out by itself (the entry holds a guarded pointer). GUI thread only.
class TranslatableWindows {
public:
    using Retranslate = std::function<void()>;

    static TranslatableWindows& instance();

    void add(QObject* window, Retranslate retranslate);
    // Runs every live window's retranslation in the order they were added.
    void retranslateAll();
    int size() const;

private:
    struct Entry {
        QPointer<QObject> window;
        Retranslate retranslate;
    };
    std::vector<Entry> entries_;
};
