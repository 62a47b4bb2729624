// SPDX-License-Identifier: MIT
// Refuses a second running copy of the program through a one-byte shared-memory segment.
#pragma once

#include <QSharedMemory>
#include <QString>

class SingleInstanceGuard {
public:
    static constexpr const char* kDefaultKey = "vidScope";

    explicit SingleInstanceGuard(const QString& key = QString::fromLatin1(kDefaultKey));
    ~SingleInstanceGuard();
    SingleInstanceGuard(const SingleInstanceGuard&) = delete;
    SingleInstanceGuard& operator=(const SingleInstanceGuard&) = delete;

    // True when this process now holds the segment; false when another running instance does.
    // A segment left behind by a crashed instance is cleared first.
    bool acquire();
    // Gives the segment up; a later instance may then start.
    void release();
    bool isHeld() const { return memory_.isAttached(); }

private:
    QSharedMemory memory_;
};
