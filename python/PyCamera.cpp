// SPDX-License-Identifier: MIT
// vidscope.Camera: one camera opened through the camera API for the life of a Python object.
#include "PyCamera.h"

#include "CameraError.h"
#include "ControlValue.h"
#include "cli/CliError.h"
#include "vidscope/camera_api.h"

namespace py = pybind11;

namespace vidscope::python {
namespace {

constexpr int kMaxIndex = 255;

int checkedIndex(py::handle index) {
    if (PyBool_Check(index.ptr()) || !PyLong_Check(index.ptr()))
        throw py::type_error(std::string("the camera index is an integer, not ") +
                             Py_TYPE(index.ptr())->tp_name);
    int overflow = 0;
    const long long value = PyLong_AsLongLongAndOverflow(index.ptr(), &overflow);
    if (overflow != 0 || value < 0 || value > kMaxIndex)
        throw py::value_error("the camera index must lie within 0..255, not " +
                              std::string(py::str(index)));
    return static_cast<int>(value);
}

}  // namespace

PyCamera::PyCamera(py::handle index) : index_(checkedIndex(index)) {
    try {
        py::gil_scoped_release release;
        session_.emplace(index_);
        name_ = cli::CameraSession::nameOf(index_);
    } catch (const cli::ApiError& error) {
        const int code = CameraGetLastError();
        session_.reset();
        CameraError::raise(code, error.what());
    }
}

PyCamera::~PyCamera() {
    close();
}

std::string PyCamera::repr() const {
    return "<vidscope.Camera " + std::to_string(index_) + " " +
           (name_.shortName.empty() ? name_.display : name_.shortName) +
           (closed() ? " closed>" : ">");
}

void PyCamera::close() {
    if (!session_)
        return;
    if (playing_)
        CameraStop(index_);
    playing_ = false;
    session_.reset();
}

void PyCamera::requireOpen() const {
    if (!session_)
        throw py::value_error("the camera is closed");
}

py::object PyCamera::control(const cli::Control& control) {
    requireOpen();
    if (control.get == nullptr)
        throw py::attribute_error(std::string(control.name) + " can only be set");
    std::vector<double> values;
    bool ok = false;
    {
        py::gil_scoped_release release;
        ok = control.get(index_, values);
    }
    if (!ok)
        CameraError::raiseLast(std::string("reading ") + control.name);
    return ControlValue::toPython(control, values);
}

void PyCamera::setControl(const cli::Control& control, py::handle value) {
    requireOpen();
    const std::vector<double> values = ControlValue::fromPython(control, value);
    bool ok = false;
    {
        py::gil_scoped_release release;
        ok = control.set(index_, values);
    }
    if (!ok)
        CameraError::raiseLast(std::string("setting ") + control.name);
}

std::vector<std::pair<unsigned, unsigned>> PyCamera::resolutions() {
    requireOpen();
    const int count = CameraGetResolutionCount(index_);
    if (count < 0)
        CameraError::raiseLast("CameraGetResolutionCount");
    std::vector<std::pair<unsigned, unsigned>> sizes;
    for (int i = 0; i < count; ++i) {
        unsigned width = 0;
        unsigned height = 0;
        if (!CameraGetResolution(index_, static_cast<unsigned short>(i), &width, &height, nullptr))
            CameraError::raiseLast("CameraGetResolution");
        sizes.emplace_back(width, height);
    }
    return sizes;
}

void PyCamera::trigger() {
    requireOpen();
    if (!CameraTriggerShot(index_))
        CameraError::raiseLast("CameraTriggerShot");
}

void PyCamera::ensurePlaying() {
    if (playing_)
        return;
    if (!CameraPlay(index_))
        CameraError::raiseLast("CameraPlay");
    playing_ = true;
}

PyCamera::Frame PyCamera::query(const FrameFormat& format, unsigned queryFlags) {
    requireOpen();
    unsigned width = 0;
    unsigned height = 0;
    unsigned size = 0;
    if (!CameraGetImageSize(index_, &width, &height))
        CameraError::raiseLast("CameraGetImageSize");
    if (!CameraGetImageBufferSize(index_, &size, format.flags()))
        CameraError::raiseLast("CameraGetImageBufferSize");
    ensurePlaying();
    std::unique_ptr<unsigned char[]> buffer = format.allocate(size);
    const QueryThread::Outcome outcome =
        queries_.query(index_, buffer.get(), size, format.flags() | queryFlags);
    if (!outcome.ok)
        return {std::nullopt, outcome.errorCode};
    return {format.wrap(std::move(buffer), size, width, height), 0};
}

py::array PyCamera::grab(py::handle format) {
    const FrameFormat parsed = FrameFormat::parse(format);
    // What the ring holds was exposed before the call, perhaps with settings just changed:
    // a grab is a picture taken now.
    Frame frame = query(parsed, CAMERA_QUERY_RESET_STREAM);
    if (!frame.array) {
        const int code = frame.errorCode;
        CameraError::raiseFor(code, "CameraQueryImage");
    }
    return std::move(*frame.array);
}

}  // namespace vidscope::python
