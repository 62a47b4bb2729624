// SPDX-License-Identifier: MIT
// Frame queries of one camera on a thread of their own, so that Python waits for them
// without holding the GIL and still answers Ctrl+C.
#include "QueryThread.h"

#include <pybind11/pybind11.h>

#include "vidscope/camera_api.h"

namespace py = pybind11;

namespace vidscope::python {

void QueryThread::start(const Job& job) {
    std::lock_guard lock(mutex_);
    job_ = job;
    busy_ = true;
    if (!thread_.joinable())
        thread_ = std::jthread([this](std::stop_token stop) { run(stop); });
    changed_.notify_all();
}

bool QueryThread::waitFor(std::chrono::milliseconds slice) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, slice, [this] { return !busy_; });
}

void QueryThread::run(std::stop_token stop) {
    std::unique_lock lock(mutex_);
    while (changed_.wait(lock, stop, [this] { return job_.has_value(); })) {
        const Job job = *job_;
        job_.reset();
        lock.unlock();
        Outcome outcome;
        outcome.ok = CameraQueryImage(job.camera, job.image, job.size, job.flags);
        outcome.errorCode = outcome.ok ? 0 : CameraGetLastError();
        lock.lock();
        outcome_ = outcome;
        busy_ = false;
        changed_.notify_all();
    }
}

void QueryThread::takeTurn() {
    while (true) {
        bool taken = false;
        {
            py::gil_scoped_release release;
            taken = turn_.try_lock_for(kSlice);
        }
        if (taken)
            return;
        if (PyErr_CheckSignals() != 0)
            throw py::error_already_set();
    }
}

QueryThread::Outcome QueryThread::query(int camera, unsigned char* image, unsigned size,
                                        unsigned flags) {
    takeTurn();
    std::unique_lock turn(turn_, std::adopt_lock);
    start(Job{camera, image, size, flags});
    while (true) {
        bool finished = false;
        {
            py::gil_scoped_release release;
            finished = waitFor(kSlice);
        }
        if (finished)
            return outcome_;
        if (PyErr_CheckSignals() != 0) {
            // The image buffer belongs to the caller: the query must be over before the
            // exception leaves. A reset ends a waiting query at once; one that had not begun
            // waiting yet when it came is ended by the next.
            py::error_already_set interrupted;
            {
                py::gil_scoped_release release;
                CameraResetStream(camera);
                while (!waitFor(kSlice))
                    CameraResetStream(camera);
            }
            throw interrupted;
        }
    }
}

}  // namespace vidscope::python
