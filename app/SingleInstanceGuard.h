// SPDX-License-Identifier: MIT
// Refuses a second running copy of the program through a one-byte shared-memory segment.
#pragma once

#include <QSharedMemory>
#include <QString>
#include <memory>

// One copy per user, not per machine: the segment is named by a key file in the user's own
// runtime folder ($XDG_RUNTIME_DIR, else a private "vidscope-<uid>" folder in the temporary
// directory), so neither another user's instance nor files other users create can refuse a
// start. A folder that is not private to this user is never used: the program then starts
// unguarded and says so, rather than trusting what someone else controls.
class SingleInstanceGuard {
public:
    static constexpr const char* kDefaultKey = "vidScope";

    explicit SingleInstanceGuard(const QString& key = QString::fromLatin1(kDefaultKey));
    ~SingleInstanceGuard();
    SingleInstanceGuard(const SingleInstanceGuard&) = delete;
    SingleInstanceGuard& operator=(const SingleInstanceGuard&) = delete;

    // True when this process may run: it now holds the segment, or no private place for the
    // key exists (logged). False when another running instance of this user holds it. A
    // segment left behind by a killed instance is cleared first.
    bool acquire();
    // Gives the segment up; a later instance may then start.
    void release();
    bool isHeld() const { return memory_ && memory_->isAttached(); }

    // The file whose identity names the segment; empty when no private folder is usable.
    QString keyFile() const { return keyFile_; }
    // This user's folder for the key file, created if missing; empty when none is private.
    static QString privateDirectory();

private:
    // A segment object named by a file keeps an error after one failed create() that fails
    // every later call, so each attempt starts from a fresh object.
    QSharedMemory& freshMemory();

    QString keyFile_;
    std::unique_ptr<QSharedMemory> memory_;
};
