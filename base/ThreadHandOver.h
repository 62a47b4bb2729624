// SPDX-License-Identifier: MIT
// Marks for ThreadSanitizer where data passes between threads through an uninstrumented library.
#pragma once

// Qt carries a frame from a worker thread to the GUI thread in a queued signal and shares an
// image between threads through its own reference count. Both are correctly synchronised, but
// inside Qt's uninstrumented code (futex-based mutexes and atomics), where ThreadSanitizer
// cannot see it; the accesses on either side, which are ours, would then be reported as races.
// handOver() on the giving side and takeOver() on the receiving side, keyed by the same
// address, tell it about that order and nothing else. Without ThreadSanitizer they are empty.
#if defined(__SANITIZE_THREAD__)
#define VIDSCOPE_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define VIDSCOPE_TSAN 1
#endif
#endif

#if defined(VIDSCOPE_TSAN)
extern "C" void __tsan_acquire(void* addr);
extern "C" void __tsan_release(void* addr);
#endif

namespace vidscope::base {

// After the giving thread's last access to what `key` stands for.
inline void handOver([[maybe_unused]] const void* key) {
#if defined(VIDSCOPE_TSAN)
    __tsan_release(const_cast<void*>(key));
#endif
}

// Before the receiving thread's first access to what `key` stands for.
inline void takeOver([[maybe_unused]] const void* key) {
#if defined(VIDSCOPE_TSAN)
    __tsan_acquire(const_cast<void*>(key));
#endif
}

}  // namespace vidscope::base
