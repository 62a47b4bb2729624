// SPDX-License-Identifier: MIT
// One process-wide completion lock orders completions against readers of Overlapped records.
#include "usb/host/OverlappedCompletion.h"

#include <mutex>

#include "usb/host/SystemError.h"

namespace vidscope::host {
namespace {

std::mutex& completionMutex() {
    static std::mutex m;
    return m;
}

}  // namespace

void OverlappedCompletion::begin(Overlapped& overlapped) {
    std::lock_guard lock(completionMutex());
    overlapped.bytesTransferred.store(0);
    overlapped.status.store(kErrorIoPending);
    overlapped.done.reset();
}

void OverlappedCompletion::complete(Overlapped& overlapped, uint32_t systemError, uint32_t bytes) {
    std::lock_guard lock(completionMutex());
    Event* event = overlapped.event;
    overlapped.bytesTransferred.store(bytes);
    overlapped.status.store(systemError);
    overlapped.done.set();
    if (event != nullptr)
        event->set();
}

void OverlappedCompletion::fail(Overlapped& overlapped, uint32_t systemError) {
    std::lock_guard lock(completionMutex());
    overlapped.bytesTransferred.store(0);
    overlapped.status.store(systemError);
    overlapped.done.set();
}

bool OverlappedCompletion::isPending(const Overlapped& overlapped) {
    std::lock_guard lock(completionMutex());
    return overlapped.status.load() == kErrorIoPending;
}

void OverlappedCompletion::wait(Overlapped& overlapped) {
    // `done` is set only after the final status is stored, so a pending status seen here
    // means the wait below ends exactly at completion.
    while (isPending(overlapped))
        overlapped.done.wait(kInfinite);
}

}  // namespace vidscope::host
