// SPDX-License-Identifier: MIT
// vidscope.Stream: the frames of an open camera as a Python iterator, drops counted.
#include "FrameStream.h"

#include "CameraError.h"
#include "vidscope/camera_api.h"

namespace py = pybind11;

namespace vidscope::python {

FrameStream::FrameStream(std::shared_ptr<PyCamera> camera, FrameFormat format)
    : camera_(std::move(camera)), format_(std::move(format)) {}

py::array FrameStream::next() {
    while (true) {
        if (!camera_ || camera_->closed()) {
            close();
            throw py::stop_iteration();
        }
        // The ring may hold frames from before the stream began: the first query drops them.
        const unsigned flags = first_ ? unsigned(CAMERA_QUERY_RESET_STREAM) : 0u;
        first_ = false;
        PyCamera::Frame frame = camera_->query(format_, flags);
        if (frame.array) {
            ++delivered_;
            return std::move(*frame.array);
        }
        const int code = frame.errorCode;
        // Closed from another thread while the query waited: the loop's natural end.
        if (camera_->closed())
            continue;
        if (code != CAMERA_ERROR_DATA_TIMEOUT && code != CAMERA_ERROR_BAD_FRAME &&
            code != CAMERA_ERROR_USER_ABORT)
            CameraError::raiseFor(code, "CameraQueryImage");
        ++dropped_;
        lastDrop_ = CameraGetErrorName(code);
    }
}

}  // namespace vidscope::python
