// SPDX-License-Identifier: MIT
// The vidscope._vidscope extension: the cameras, their controls as properties, frames as arrays.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstdio>
#include <memory>
#include <string>
#include <utility>

#include "CameraError.h"
#include "ControlValue.h"
#include "FrameFormat.h"
#include "FrameStream.h"
#include "PyCamera.h"
#include "cli/CameraSession.h"
#include "cli/ControlTable.h"
#include "cli/TextEscape.h"
#include "vidscope/camera_api.h"

namespace py = pybind11;
using vidscope::cli::Control;
using vidscope::cli::ControlTable;
using namespace vidscope::python;

namespace {

using CameraClass = py::class_<PyCamera, std::shared_ptr<PyCamera>>;

struct CameraInfo {
    int index;
    unsigned deviceCode;
    std::string name;
    std::string shortName;
};

CameraInfo infoOf(int index, const vidscope::cli::CameraName& name) {
    return {index, name.deviceCode, name.display, name.shortName};
}

// Python names for the controls whose command-line names are abbreviations; both work.
constexpr std::pair<const char*, const char*> kAliases[] = {
    {"auto_exposure", "aec"},
    {"auto_gain", "agc"},
    {"auto_white_balance", "awb"},
    {"white_balance", "wb"},
};

std::string controlDoc(const Control& control) {
    std::string kind = ControlValue::isSwitch(control) ? "bool" : control.integer ? "int" : "float";
    if (control.arity > 1)
        kind = "tuple of " + std::to_string(control.arity) + " " + kind;
    std::string doc = std::string(control.description) + " (" + kind;
    if (control.set != nullptr && !ControlValue::isSwitch(control))
        doc += ", " + vidscope::cli::formatNumber(control.min) + ".." +
               vidscope::cli::formatNumber(control.max);
    return doc + ")";
}

void bindControl(CameraClass& camera, const char* name, const Control& control) {
    const Control* row = &control;
    const py::cpp_function get([row](PyCamera& self) { return self.control(*row); });
    const std::string doc = controlDoc(control);
    if (control.set == nullptr) {
        camera.def_property_readonly(name, get, doc.c_str());
        return;
    }
    const py::cpp_function set(
        [row](PyCamera& self, py::handle value) { self.setControl(*row, value); });
    camera.def_property(name, get, set, doc.c_str());
}

void bindControls(CameraClass& camera) {
    for (const Control& control : ControlTable::all())
        bindControl(camera, control.name, control);
    for (const auto& [alias, name] : kAliases)
        bindControl(camera, alias, *ControlTable::find(name));
}

py::list cameras() {
    int count = 0;
    py::list list;
    std::vector<CameraInfo> infos;
    {
        py::gil_scoped_release release;
        count = CameraGetCount();
        for (int i = 0; i < count; ++i)
            infos.push_back(infoOf(i, vidscope::cli::CameraSession::nameOf(i)));
    }
    for (const CameraInfo& info : infos)
        list.append(info);
    return list;
}

int attachVirtual(const std::string& codes) {
    int attached = 0;
    {
        py::gil_scoped_release release;
        attached = CameraAttachVirtual(codes.c_str());
    }
    if (attached < 0)
        CameraError::raiseLast("CameraAttachVirtual");
    return attached;
}

py::dict controls() {
    py::dict table;
    for (const Control& control : ControlTable::all())
        table[control.name] = controlDoc(control);
    return table;
}

void bindCameraInfo(py::module_& module) {
    py::class_<CameraInfo>(module, "CameraInfo",
                           "An attached camera, as vidscope-cli list shows it.")
        .def_readonly("index", &CameraInfo::index, "the index Camera() takes")
        .def_readonly("device_code", &CameraInfo::deviceCode, "the model's USB product id")
        .def_readonly("name", &CameraInfo::name, "display name, e.g. \"VS-U120C Camera(0)\"")
        .def_readonly("short_name", &CameraInfo::shortName, "short name, e.g. \"VS-U120C(0)\"")
        .def("__repr__", [](const CameraInfo& info) {
            char code[8];
            std::snprintf(code, sizeof code, "%04X", info.deviceCode);
            return "CameraInfo(index=" + std::to_string(info.index) + ", device_code=0x" + code +
                   ", name=" + std::string(py::repr(py::str(info.name))) +
                   ", short_name=" + std::string(py::repr(py::str(info.shortName))) + ")";
        });
}

void bindStream(py::module_& module) {
    py::class_<FrameStream>(module, "Stream",
                            "Frames of an open camera, one per iteration (Camera.stream()).")
        .def("__iter__", [](py::object self) { return self; })
        .def("__next__", &FrameStream::next)
        .def("close", &FrameStream::close, "Ends the iteration; the camera stays open.")
        .def_property_readonly("format", &FrameStream::format)
        .def_property_readonly("delivered", &FrameStream::delivered, "frames handed out")
        .def_property_readonly("dropped", &FrameStream::dropped,
                               "late or malformed frames waited past")
        .def_property_readonly("last_drop", &FrameStream::lastDrop,
                               "the error name of the last drop, \"\" before the first");
}

void bindCamera(py::module_& module) {
    CameraClass camera(module, "Camera", R"(An open camera; closed by close() or the with block.

Camera(index) opens the index-th attached camera (see cameras()) at its full
resolution. Every control is a property that reads and writes the camera.)");
    camera
        .def(py::init([](py::handle index) { return std::make_shared<PyCamera>(index); }),
             py::arg("index"))
        .def_property_readonly("index", &PyCamera::index)
        .def_property_readonly("closed", &PyCamera::closed)
        .def_property_readonly(
            "info", [](const PyCamera& self) { return infoOf(self.index(), self.name()); })
        .def_property_readonly("resolutions", &PyCamera::resolutions,
                               "(width, height) of each resolution number")
        .def("close", &PyCamera::close, "Stops the stream and frees the camera.")
        .def("__enter__", [](std::shared_ptr<PyCamera> self) { return self; })
        .def("__exit__", [](PyCamera& self, const py::args&) { self.close(); })
        .def("__repr__", &PyCamera::repr)
        .def("grab", &PyCamera::grab, py::arg("format") = "rgb",
             R"(The next frame taken after the call, as a uint8 array of its own.

format: "rgb" or "bgr" (H x W x 3), "gray" (H x W) or "raw" (the sensor's
bytes, H rows). Waits at most the camera's timeout; Ctrl+C ends the wait.)")
        .def(
            "stream",
            [](std::shared_ptr<PyCamera> self, py::handle format) {
                const FrameFormat parsed = FrameFormat::parse(format);
                if (self->closed())
                    throw py::value_error("the camera is closed");
                return FrameStream(std::move(self), parsed);
            },
            py::arg("format") = "rgb", "An iterator of frames as grab() returns them.")
        .def("trigger", &PyCamera::trigger, "Fires the software trigger (snap_mode 2).");
    bindControls(camera);
}

}  // namespace

PYBIND11_MODULE(_vidscope, module) {
    module.doc() = "vidScope cameras for Python: controls as properties, frames as NumPy arrays.";
    module.attr("__version__") = VIDSCOPE_VERSION;
    CameraError::registerIn(module);
    bindCameraInfo(module);
    bindStream(module);
    bindCamera(module);
    module.def("cameras", &cameras, "The attached cameras, as vidscope-cli list shows them.");
    module.def("attach_virtual", &attachVirtual, py::arg("codes"),
               "Adds virtual cameras by device code (\"3120,012B\"); returns how many.");
    module.def("controls", &controls, "Every control property with its description.");
}
