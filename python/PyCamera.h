// SPDX-License-Identifier: MIT
// vidscope.Camera: one camera opened through the camera API for the life of a Python object.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "FrameFormat.h"
#include "QueryThread.h"
#include "cli/CameraSession.h"
#include "cli/ControlTable.h"

namespace vidscope::python {

class PyCamera {
public:
    // A frame, or the query's last-error code when there is none.
    struct Frame {
        std::optional<pybind11::array> array;
        int errorCode = 0;
    };

    // Opens the index-th camera at its full resolution, as the command line does. TypeError
    // for what is not an integer, ValueError outside 0..255 (the API's index range); the
    // API's refusals (no such camera, already open) as CameraError.
    explicit PyCamera(pybind11::handle index);
    ~PyCamera();
    PyCamera(const PyCamera&) = delete;
    PyCamera& operator=(const PyCamera&) = delete;

    int index() const { return index_; }
    bool closed() const { return !session_.has_value(); }
    const cli::CameraName& name() const { return name_; }
    std::string repr() const;
    // Stops the stream and frees the camera; a query waiting in another thread ends. Closing
    // twice is harmless.
    void close();

    pybind11::object control(const cli::Control& control);
    void setControl(const cli::Control& control, pybind11::handle value);
    std::vector<std::pair<unsigned, unsigned>> resolutions();
    void trigger();

    // The next frame taken after the call; CameraError when there is none.
    pybind11::array grab(pybind11::handle format);
    // One frame query with `queryFlags` added; failures come back as codes for the stream to
    // judge. ValueError when the camera is closed.
    Frame query(const FrameFormat& format, unsigned queryFlags);

private:
    void requireOpen() const;
    void ensurePlaying();

    int index_;
    cli::CameraName name_;
    std::optional<cli::CameraSession> session_;
    bool playing_ = false;
    QueryThread queries_;
};

}  // namespace vidscope::python
