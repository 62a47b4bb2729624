// SPDX-License-Identifier: MIT
// Turns SIGTERM and SIGINT into a normal close of the program on the GUI thread.
#include "TerminationSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "GuiLog.h"

namespace {

// Read by the handler: plain lock-free atomics are safe to touch from a signal handler.
std::atomic<int> writeEnd{-1};
std::atomic<bool> alreadyAsked{false};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free);

extern "C" void onTerminationSignal(int number) {
    if (alreadyAsked.exchange(true)) {
        // Asked twice: the close itself is stuck, so end the way the signal would have.
        ::signal(number, SIG_DFL);
        ::raise(number);
        return;
    }
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(number);
    // A full pipe already holds a request; nothing is lost by dropping this one.
    [[maybe_unused]] const ssize_t written = ::write(writeEnd.load(), &byte, 1);
    errno = savedErrno;
}

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        qCWarning(guiLog) << "no pipe for termination signals; SIGTERM ends without cleaning up";
        return;
    }
    readEnd_ = ends[0];
    writeEnd.store(ends[1]);
    alreadyAsked.store(false);
    notifier_ = std::make_unique<QSocketNotifier>(readEnd_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &TerminationSignals::drain);

    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, &previousTerm_);
    ::sigaction(SIGINT, &action, &previousInt_);
}

TerminationSignals::~TerminationSignals() {
    if (!notifier_)
        return;
    ::sigaction(SIGTERM, &previousTerm_, nullptr);
    ::sigaction(SIGINT, &previousInt_, nullptr);
    notifier_.reset();
    ::close(writeEnd.exchange(-1));
    ::close(readEnd_);
}

void TerminationSignals::drain() {
    unsigned char byte = 0;
    int last = 0;
    while (::read(readEnd_, &byte, 1) == 1)
        last = byte;
    if (last != 0) {
        qCInfo(guiLog) << "signal" << last << "received: closing";
        emit received(last);
    }
}
