// SPDX-License-Identifier: MIT
// The output formats a frame is grabbed in, and frames wrapped as NumPy arrays.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstddef>
#include <memory>
#include <string>

namespace vidscope::python {

class FrameFormat {
public:
    // "rgb", "bgr", "gray" (or "grey") or "raw": TypeError for what is not a string,
    // ValueError for another word.
    static FrameFormat parse(pybind11::handle word);

    unsigned flags() const { return flags_; }
    const std::string& name() const { return name_; }

    // A buffer for a frame of `size` bytes. Grey output of a YUV camera writes nothing, so
    // grey buffers start zeroed rather than with whatever the heap held; the others are
    // written whole by every successful query.
    std::unique_ptr<unsigned char[]> allocate(size_t size) const;
    // The frame as an array that takes over `buffer` (no copy): H x W x 3 for colour, H x W for
    // grey, H rows for raw. A size that fits no such shape comes out flat, never misread.
    pybind11::array wrap(std::unique_ptr<unsigned char[]> buffer, size_t size, unsigned width,
                         unsigned height) const;

private:
    FrameFormat(std::string name, unsigned flags) : name_(std::move(name)), flags_(flags) {}

    std::string name_;
    unsigned flags_;
};

}  // namespace vidscope::python
