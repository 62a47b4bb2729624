// SPDX-License-Identifier: MIT
// The output formats a frame is grabbed in, and frames wrapped as NumPy arrays.
#include "FrameFormat.h"

#include <vector>

#include "vidscope/camera_api.h"

namespace py = pybind11;

namespace vidscope::python {

FrameFormat FrameFormat::parse(py::handle word) {
    if (!PyUnicode_Check(word.ptr()))
        throw py::type_error(std::string("format takes a string, not ") +
                             Py_TYPE(word.ptr())->tp_name);
    const auto text = word.cast<std::string>();
    if (text == "rgb")
        return {text, CAMERA_FORMAT_RGB24};
    if (text == "bgr")
        return {text, CAMERA_FORMAT_RGB24 | CAMERA_FORMAT_BLUE_FIRST};
    if (text == "gray" || text == "grey")
        return {"gray", CAMERA_FORMAT_GRAY8};
    if (text == "raw")
        return {text, CAMERA_FORMAT_RAW8};
    throw py::value_error("format must be \"rgb\", \"bgr\", \"gray\" or \"raw\", not \"" + text +
                          "\"");
}

std::unique_ptr<unsigned char[]> FrameFormat::allocate(size_t size) const {
    if (flags_ == CAMERA_FORMAT_GRAY8)
        return std::make_unique<unsigned char[]>(size);
    return std::make_unique_for_overwrite<unsigned char[]>(size);
}

py::array FrameFormat::wrap(std::unique_ptr<unsigned char[]> buffer, size_t size, unsigned width,
                            unsigned height) const {
    const size_t pixels = size_t(width) * height;
    std::vector<py::ssize_t> shape{py::ssize_t(size)};
    if ((flags_ & CAMERA_FORMAT_RGB24) != 0 && size == pixels * 3)
        shape = {height, width, 3};
    else if (flags_ == CAMERA_FORMAT_GRAY8 && size == pixels)
        shape = {height, width};
    else if (flags_ == CAMERA_FORMAT_RAW8 && height > 0 && size % height == 0)
        shape = {height, py::ssize_t(size / height)};
    // The capsule owns the buffer from here on; NumPy frees it through the capsule when the
    // last view of the array goes.
    py::capsule owner(buffer.get(), [](void* data) { delete[] static_cast<unsigned char*>(data); });
    unsigned char* data = buffer.release();
    return py::array(py::dtype::of<uint8_t>(), shape, data, owner);
}

}  // namespace vidscope::python
