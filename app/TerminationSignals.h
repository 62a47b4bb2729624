// SPDX-License-Identifier: MIT
// Turns SIGTERM and SIGINT into a normal close of the program on the GUI thread.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <csignal>
#include <memory>

// A signal handler may do next to nothing, so it only writes the signal number into a pipe;
// the notifier on the other end emits received() in the event loop, where closing the window
// stops the threads, frees the camera and gives the single-instance segment back. A second
// signal while that close is still running ends the program at once, as the signal would
// without us.
//
// One object at a time; it restores the previous handlers when destroyed.
class TerminationSignals : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    bool installed() const { return notifier_ != nullptr; }

signals:
    void received(int signalNumber);

private:
    void drain();

    int readEnd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    struct sigaction previousTerm_ {};
    struct sigaction previousInt_ {};
};
