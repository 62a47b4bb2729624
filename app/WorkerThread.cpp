// SPDX-License-Identifier: MIT
// A worker thread with a run loop, on a standard thread so that its joins are plain joins.
#include "WorkerThread.h"

#include <chrono>

#include "LiveLog.h"

WorkerThread::WorkerThread(QObject* parent) : QObject(parent) {}

WorkerThread::~WorkerThread() {
    if (thread_.joinable()) {
        qCCritical(liveLog) << "worker thread destroyed while still joinable";
        thread_.join();
    }
}

void WorkerThread::start() {
    if (thread_.joinable())
        return;
    running_.store(true);
    thread_ = std::thread([this] {
        run();
        running_.store(false);
    });
}

void WorkerThread::join() {
    if (thread_.joinable())
        thread_.join();
}

void WorkerThread::sleepMs(unsigned long ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
