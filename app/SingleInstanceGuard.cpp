// SPDX-License-Identifier: MIT
// Refuses a second running copy of the program through a one-byte shared-memory segment.
#include "SingleInstanceGuard.h"

#include "GuiLog.h"

SingleInstanceGuard::SingleInstanceGuard(const QString& key) : memory_(key) {}

SingleInstanceGuard::~SingleInstanceGuard() {
    release();
}

bool SingleInstanceGuard::acquire() {
    // A killed instance leaves its System V segment behind with nobody attached, and that
    // stale segment would make create() fail forever. Attaching and detaching once removes a
    // segment nobody else holds, while a live instance keeps its own attachment. The second
    // round covers a segment that was mid-creation during the first.
    for (int round = 0; round < 2; ++round) {
        if (memory_.attach(QSharedMemory::ReadOnly)) {
            memory_.detach();
        }
    }
    if (!memory_.create(1, QSharedMemory::ReadWrite)) {
        qCInfo(guiLog) << "single-instance segment" << memory_.key()
                       << "is taken:" << memory_.errorString();
        return false;
    }
    return true;
}

void SingleInstanceGuard::release() {
    if (memory_.isAttached()) {
        memory_.detach();
    }
}
