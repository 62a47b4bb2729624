// SPDX-License-Identifier: MIT
// vidscope.Stream: the frames of an open camera as a Python iterator, drops counted.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <memory>
#include <string>

#include "FrameFormat.h"
#include "PyCamera.h"

namespace vidscope::python {

class FrameStream {
public:
    FrameStream(std::shared_ptr<PyCamera> camera, FrameFormat format);

    // The next frame. Late or malformed frames are dropped, counted and waited past, as the
    // command line's capture does; a failure that ends the stream (an unplug) raises
    // CameraError. StopIteration once the stream or its camera is closed.
    pybind11::array next();
    // Ends the iteration; the camera stays open.
    void close() { camera_.reset(); }

    long long delivered() const { return delivered_; }
    long long dropped() const { return dropped_; }
    // The error name of the last drop ("" before the first).
    const std::string& lastDrop() const { return lastDrop_; }
    const std::string& format() const { return format_.name(); }

private:
    std::shared_ptr<PyCamera> camera_;  // null once closed
    FrameFormat format_;
    bool first_ = true;
    long long delivered_ = 0;
    long long dropped_ = 0;
    std::string lastDrop_;
};

}  // namespace vidscope::python
