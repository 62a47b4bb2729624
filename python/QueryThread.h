// SPDX-License-Identifier: MIT
// Frame queries of one camera on a thread of their own, so that Python waits for them
// without holding the GIL and still answers Ctrl+C.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>

namespace vidscope::python {

class QueryThread {
public:
    struct Outcome {
        bool ok = false;
        int errorCode = -1;  // the query thread's last-error code on failure
    };

    QueryThread() = default;
    QueryThread(const QueryThread&) = delete;
    QueryThread& operator=(const QueryThread&) = delete;

    // CameraQueryImage into `image`, called with the GIL held. The GIL is released while the
    // query runs; every kSlice the calling thread takes it back to run Python's signal
    // handlers. When a handler raises (KeyboardInterrupt), the query is aborted, waited for,
    // and the exception propagates as error_already_set. Queries from several Python threads
    // take turns.
    Outcome query(int camera, unsigned char* image, unsigned size, unsigned flags);

    static constexpr std::chrono::milliseconds kSlice{50};

private:
    struct Job {
        int camera;
        unsigned char* image;
        unsigned size;
        unsigned flags;
    };

    void start(const Job& job);
    bool waitFor(std::chrono::milliseconds slice);
    void run(std::stop_token stop);
    void takeTurn();

    std::timed_mutex turn_;  // held by the Python thread whose query runs
    std::mutex mutex_;
    std::condition_variable_any changed_;
    std::optional<Job> job_;  // handed to the thread, guarded by mutex_
    bool busy_ = false;       // from start() until the outcome is in
    Outcome outcome_;
    // Started by the first query; the API keeps a conversion buffer per thread, which one
    // long-lived thread reuses frame after frame. Last, so that it stops before the rest goes.
    std::jthread thread_;
};

}  // namespace vidscope::python
