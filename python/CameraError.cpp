// SPDX-License-Identifier: MIT
// vidscope.CameraError: a camera API call refused, with the last-error code and its name.
#include "CameraError.h"

#include "cli/CliError.h"
#include "vidscope/camera_api.h"

namespace py = pybind11;

namespace vidscope::python {
namespace {

// Created once by the module and referenced by it; never released, as types live for the
// interpreter's lifetime.
PyObject* errorType = nullptr;

constexpr const char* kDoc =
    "A camera API call failed.\n\n"
    "``code`` is the API's last-error code (``CAMERA_ERROR_...`` value, e.g. 6) and ``name``\n"
    "its name (\"CAMERA_ERROR_INITIALIZED_ALREADY\"); the message names the call.";

// Sets CameraError as the pending Python exception; error_already_set takes it from there.
void setPending(int code, const std::string& what) {
    py::object error = py::reinterpret_borrow<py::object>(errorType)(what);
    error.attr("code") = code;
    error.attr("name") = CameraGetErrorName(code);
    PyErr_SetObject(errorType, error.ptr());
}

}  // namespace

void CameraError::registerIn(py::module_& module) {
    errorType =
        PyErr_NewExceptionWithDoc("vidscope.CameraError", kDoc, PyExc_RuntimeError, nullptr);
    if (errorType == nullptr)
        throw py::error_already_set();
    module.add_object("CameraError", py::handle(errorType));
    py::register_exception_translator([](std::exception_ptr pending) {
        try {
            if (pending)
                std::rethrow_exception(pending);
        } catch (const cli::UsageError& error) {
            PyErr_SetString(PyExc_ValueError, error.what());
        } catch (const cli::ApiError& error) {
            // The core builds its message from the same thread's last-error code, which no
            // call since has changed: a successful call leaves it alone.
            setPending(CameraGetLastError(), error.what());
        }
    });
}

void CameraError::raise(int code, const std::string& what) {
    setPending(code, what);
    throw py::error_already_set();
}

void CameraError::raiseFor(int code, const std::string& call) {
    raise(code, call + " failed: " + CameraGetErrorName(code) + " (" + std::to_string(code) + ")");
}

void CameraError::raiseLast(const std::string& call) {
    raiseFor(CameraGetLastError(), call);
}

}  // namespace vidscope::python
