// SPDX-License-Identifier: MIT
// A worker thread with a run loop, on a standard thread so that its joins are plain joins.
#pragma once

#include <QObject>
#include <atomic>
#include <thread>

// The capture and processing threads derive from this. A standard thread is joined with a
// real join, which tools such as the thread sanitizer understand; a QThread's wait is not.
// Signals emitted from run() reach receivers on the GUI thread as queued calls, as from any
// other thread.
class WorkerThread : public QObject {
    Q_OBJECT

public:
    explicit WorkerThread(QObject* parent = nullptr);
    // Derived classes must stop and join in their own destructor, while run() can still use
    // their members; this only checks that they did.
    ~WorkerThread() override;

    // Starts run() on a new thread; does nothing while it runs.
    void start();
    // Waits for run() to return; does nothing if it never started.
    void join();
    bool isRunning() const { return running_.load(); }

protected:
    virtual void run() = 0;
    static void sleepMs(unsigned long ms);

private:
    std::thread thread_;
    std::atomic<bool> running_{false};
};
