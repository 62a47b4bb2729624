// SPDX-License-Identifier: MIT
// Manual- and auto-reset events with timed single and any-of-many waits.
#pragma once

#include <cstdint>
#include <span>

namespace vidscope::host {

inline constexpr uint32_t kInfinite = 0xFFFFFFFFu;

// An event is signalled or not. A manual-reset event stays signalled until reset; an
// auto-reset event releases exactly one waiter and clears itself. All events share one
// process-wide mutex and condition variable: waits are rare compared with the data they
// guard (a few hundred per second at most), and one lock makes waitAny trivially correct.
class Event {
public:
    enum class Reset { Manual, Auto };

    explicit Event(Reset reset, bool initiallySignalled = false);
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void set();
    void reset();
    bool isSet() const;

    // True when the event was signalled within timeoutMs (kInfinite waits forever).
    bool wait(uint32_t timeoutMs);

    // Index of the first signalled event, or -1 on timeout. Consumes an auto-reset event.
    static int waitAny(std::span<Event* const> events, uint32_t timeoutMs);

private:
    bool consumeLocked();

    const Reset reset_;
    bool signalled_;
};

}  // namespace vidscope::host
