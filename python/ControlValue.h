// SPDX-License-Identifier: MIT
// A camera control's value between Python objects and the control table's numbers.
#pragma once

#include <pybind11/pybind11.h>

#include <vector>

#include "cli/ControlTable.h"

namespace vidscope::python {

class ControlValue {
public:
    // The numbers `value` stands for, checked against the control before any camera call:
    // TypeError for the wrong kind of object (a float for an integer, a string, a bool for a
    // number), ValueError for the wrong count or a number out of the control's range.
    static std::vector<double> fromPython(const cli::Control& control, pybind11::handle value);
    // Switches as bool, integers as int, reals as float; controls of several numbers as a
    // tuple.
    static pybind11::object toPython(const cli::Control& control,
                                     const std::vector<double>& values);
    // On/off controls: integers 0..1, as the command line's on/off words.
    static bool isSwitch(const cli::Control& control);
};

}  // namespace vidscope::python
