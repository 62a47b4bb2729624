// SPDX-License-Identifier: MIT
// Refuses a second running copy of the program through a one-byte shared-memory segment.
#include "SingleInstanceGuard.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

#include "GuiLog.h"

namespace {

// A folder only this user can reach: a real directory (not a link), owned by us, closed to
// group and others.
bool isPrivateDirectory(const QString& path) {
    struct stat st {};
    return !path.isEmpty() && QDir::isAbsolutePath(path) &&
           ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

}  // namespace

QString SingleInstanceGuard::privateDirectory() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (isPrivateDirectory(runtime))
        return runtime;
    const QString fallback =
        QDir(QDir::tempPath()).filePath(QStringLiteral("vidscope-%1").arg(::geteuid()));
    // Fails harmlessly when the folder exists; whoever made it is checked next.
    ::mkdir(QFile::encodeName(fallback).constData(), 0700);
    if (isPrivateDirectory(fallback))
        return fallback;
    qCWarning(guiLog).noquote() << "neither $XDG_RUNTIME_DIR nor" << fallback
                                << "is a folder private to this user; a second copy of the "
                                   "program will not be refused";
    return QString();
}

SingleInstanceGuard::SingleInstanceGuard(const QString& key) {
    const QString dir = privateDirectory();
    if (!dir.isEmpty())
        keyFile_ = QDir(dir).filePath(key + QStringLiteral(".instance"));
}

SingleInstanceGuard::~SingleInstanceGuard() {
    release();
}

QSharedMemory& SingleInstanceGuard::freshMemory() {
    release();
    memory_ = std::make_unique<QSharedMemory>();
    memory_->setNativeKey(keyFile_);
    return *memory_;
}

bool SingleInstanceGuard::acquire() {
    if (keyFile_.isEmpty())
        return true;
    // A killed instance leaves its System V segment behind with nobody attached, and that
    // stale segment would make create() fail forever. Attaching and detaching once removes a
    // segment nobody else holds, while a live instance keeps its own attachment. The second
    // round covers a segment that was mid-creation during the first.
    bool foreign = false;
    for (int round = 0; round < 2; ++round) {
        QSharedMemory& probe = freshMemory();
        if (probe.attach(QSharedMemory::ReadOnly))
            probe.detach();
        else
            foreign = probe.error() == QSharedMemory::PermissionDenied;
    }
    QSharedMemory& memory = freshMemory();
    if (memory.create(1, QSharedMemory::ReadWrite))
        return true;
    if (foreign && memory.error() == QSharedMemory::AlreadyExists) {
        // Our instances can always attach to each other's segment: one we may not even read
        // belongs to someone else whose key happens to collide with ours.
        qCWarning(guiLog) << "single-instance segment of" << keyFile_
                          << "belongs to another user; starting unguarded";
        return true;
    }
    qCInfo(guiLog) << "single-instance segment" << keyFile_ << "is taken:" << memory.errorString();
    return false;
}

void SingleInstanceGuard::release() {
    if (memory_ && memory_->isAttached())
        memory_->detach();
}
