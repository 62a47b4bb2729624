// SPDX-License-Identifier: MIT
// A camera control's value between Python objects and the control table's numbers.
#include "ControlValue.h"

#include <cmath>
#include <string>

#include "cli/TextEscape.h"

namespace py = pybind11;

namespace vidscope::python {
namespace {

std::string typeName(py::handle value) {
    return Py_TYPE(value.ptr())->tp_name;
}

std::string rangeText(const cli::Control& control) {
    return cli::formatNumber(control.min) + ".." + cli::formatNumber(control.max);
}

// A whole number: Python ints and whatever else has __index__ (NumPy integers), never floats
// or bools, whose truncation or meaning would be a guess.
double integerOf(const cli::Control& control, py::handle item) {
    if (PyBool_Check(item.ptr()) || PyFloat_Check(item.ptr()) || !PyIndex_Check(item.ptr()))
        throw py::type_error(std::string(control.name) + " takes an integer, not " +
                             typeName(item));
    const py::object number = py::reinterpret_steal<py::object>(PyNumber_Index(item.ptr()));
    if (!number)
        throw py::error_already_set();
    int overflow = 0;
    const long long value = PyLong_AsLongLongAndOverflow(number.ptr(), &overflow);
    if (overflow != 0 || value < control.min || value > control.max)
        throw py::value_error(std::string(control.name) + " must lie within " + rangeText(control) +
                              ", not " + std::string(py::str(item)));
    return double(value);
}

double switchOf(const cli::Control& control, py::handle item) {
    if (PyBool_Check(item.ptr()))
        return item.ptr() == Py_True ? 1.0 : 0.0;
    if (PyFloat_Check(item.ptr()) || !PyIndex_Check(item.ptr()))
        throw py::type_error(std::string(control.name) + " takes True or False, not " +
                             typeName(item));
    return integerOf(control, item);
}

double realOf(const cli::Control& control, py::handle item) {
    if (PyBool_Check(item.ptr()) || !(PyFloat_Check(item.ptr()) || PyIndex_Check(item.ptr())))
        throw py::type_error(std::string(control.name) + " takes a number, not " + typeName(item));
    const double value = PyFloat_AsDouble(item.ptr());
    if (value == -1.0 && PyErr_Occurred())
        throw py::error_already_set();
    // Written so that NaN fails too.
    if (!(value >= control.min && value <= control.max))
        throw py::value_error(std::string(control.name) + " must lie within " + rangeText(control) +
                              ", not " + std::string(py::str(item)));
    return value;
}

double numberOf(const cli::Control& control, py::handle item) {
    if (ControlValue::isSwitch(control))
        return switchOf(control, item);
    return control.integer ? integerOf(control, item) : realOf(control, item);
}

py::object objectOf(const cli::Control& control, double value) {
    if (ControlValue::isSwitch(control))
        return py::bool_(value != 0);
    if (control.integer)
        return py::int_(static_cast<long long>(value));
    return py::float_(value);
}

}  // namespace

bool ControlValue::isSwitch(const cli::Control& control) {
    return control.integer && control.min == 0 && control.max == 1;
}

std::vector<double> ControlValue::fromPython(const cli::Control& control, py::handle value) {
    if (control.arity == 1)
        return {numberOf(control, value)};
    const std::string count = std::to_string(control.arity);
    if (PyUnicode_Check(value.ptr()) || PyBytes_Check(value.ptr()) ||
        !PySequence_Check(value.ptr()))
        throw py::type_error(std::string(control.name) + " takes a sequence of " + count +
                             " numbers, not " + typeName(value));
    const auto items = py::reinterpret_borrow<py::sequence>(value);
    if (items.size() != size_t(control.arity))
        throw py::value_error(std::string(control.name) + " takes " + count + " numbers, not " +
                              std::to_string(items.size()));
    std::vector<double> numbers;
    for (size_t i = 0; i < items.size(); ++i)
        numbers.push_back(numberOf(control, items[i]));
    return numbers;
}

py::object ControlValue::toPython(const cli::Control& control, const std::vector<double>& values) {
    if (control.arity == 1 && values.size() == 1)
        return objectOf(control, values[0]);
    py::tuple tuple(values.size());
    for (size_t i = 0; i < values.size(); ++i)
        tuple[i] = objectOf(control, values[i]);
    return tuple;
}

}  // namespace vidscope::python
