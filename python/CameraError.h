// SPDX-License-Identifier: MIT
// vidscope.CameraError: a camera API call refused, with the last-error code and its name.
#pragma once

#include <pybind11/pybind11.h>

#include <string>

namespace vidscope::python {

class CameraError {
public:
    // Creates the exception type in `module` and teaches pybind11 to turn the command-line
    // core's errors into Python ones (bad usage: ValueError; API failures: CameraError).
    static void registerIn(pybind11::module_& module);
    // Raises CameraError(what, code): sets the Python error and throws error_already_set.
    [[noreturn]] static void raise(int code, const std::string& what);
    // Raises "<call> failed: NAME (code)" for `code`.
    [[noreturn]] static void raiseFor(int code, const std::string& call);
    // raiseFor the calling thread's last-error code.
    [[noreturn]] static void raiseLast(const std::string& call);
};

}  // namespace vidscope::python
