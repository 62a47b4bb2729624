// SPDX-License-Identifier: MIT
// Events on one shared mutex and condition variable.
#include "usb/host/Event.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace vidscope::host {
namespace {

std::mutex& eventMutex() {
    static std::mutex m;
    return m;
}
std::condition_variable& eventCondition() {
    static std::condition_variable c;
    return c;
}

}  // namespace

Event::Event(Reset reset, bool initiallySignalled)
    : reset_(reset), signalled_(initiallySignalled) {}

void Event::set() {
    {
        std::lock_guard lock(eventMutex());
        signalled_ = true;
    }
    eventCondition().notify_all();
}

void Event::reset() {
    std::lock_guard lock(eventMutex());
    signalled_ = false;
}

bool Event::isSet() const {
    std::lock_guard lock(eventMutex());
    return signalled_;
}

bool Event::consumeLocked() {
    if (!signalled_)
        return false;
    if (reset_ == Reset::Auto)
        signalled_ = false;
    return true;
}

bool Event::wait(uint32_t timeoutMs) {
    Event* self = this;
    return waitAny(std::span<Event* const>(&self, 1), timeoutMs) == 0;
}

int Event::waitAny(std::span<Event* const> events, uint32_t timeoutMs) {
    std::unique_lock lock(eventMutex());
    auto firstSignalled = [&]() -> int {
        for (size_t i = 0; i < events.size(); ++i) {
            if (events[i]->consumeLocked())
                return static_cast<int>(i);
        }
        return -1;
    };
    int index = firstSignalled();
    if (index >= 0)
        return index;
    if (timeoutMs == kInfinite) {
        eventCondition().wait(lock, [&] { return (index = firstSignalled()) >= 0; });
        return index;
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    eventCondition().wait_until(lock, deadline, [&] { return (index = firstSignalled()) >= 0; });
    return index;
}

}  // namespace vidscope::host
