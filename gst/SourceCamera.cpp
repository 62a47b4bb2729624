// SPDX-License-Identifier: MIT
// The one camera a vidscopesrc streams from: opening it, its layout, and each frame query.
#include "gst/SourceCamera.h"

#include "cameraapi/model/ModelTable.h"
#include "cli/CameraSession.h"
#include "vidscope/camera_api.h"

namespace vidscope::gst {
namespace {

// Frame waits in a row after which a silent camera is asked whether it is still attached.
constexpr unsigned kTimeoutsBeforeProbe = 2;

std::string errorName() {
    return CameraGetErrorName(CameraGetLastError());
}

}  // namespace

SourceCamera::OpenFailure SourceCamera::open(int index, const std::string& deviceCodes) {
    close();
    message_.clear();
    if (!deviceCodes.empty() && deviceCodes != attachedCodes_) {
        const int before = CameraGetCount();
        if (CameraAttachVirtual(deviceCodes.c_str()) <= 0) {
            message_ = "\"" + deviceCodes +
                       "\" names no virtual camera: give hexadecimal device codes such as 3E00";
            return OpenFailure::kBadDeviceCodes;
        }
        attachedCodes_ = deviceCodes;
        firstVirtual_ = before;
    }
    const int chosen = index >= 0 ? index : (firstVirtual_ >= 0 ? firstVirtual_ : 0);
    if (CameraInit(chosen)) {
        // The trigger-mode property, when set, is applied after this.
        cli::CameraSession::runFreely(chosen);
        index_ = chosen;
        restart_ = true;
        consecutiveTimeouts_ = 0;
        return OpenFailure::kNone;
    }
    const int code = CameraGetLastError();
    const std::string name = CameraGetErrorName(code);
    if (code == CAMERA_ERROR_INITIALIZED_ALREADY) {
        message_ = "camera " + std::to_string(chosen) +
                   " is already open in this process: close it there or choose another camera";
        return OpenFailure::kBusy;
    }
    if (code == CAMERA_ERROR_NO_CAMERA_FOUND || code == CAMERA_ERROR_INDEX_OUT_OF_RANGE) {
        const int count = CameraGetCount();
        message_ = "there is no camera " + std::to_string(chosen) + " (" + std::to_string(count) +
                   " attached): set camera to 0.." + std::to_string(count - 1) +
                   ", or virtual to a device code such as 3E00";
        if (count == 0)
            message_ =
                "no camera is attached: plug one in, or set virtual to a device code "
                "such as 3E00";
        return OpenFailure::kNotFound;
    }
    message_ = "camera " + std::to_string(chosen) + " could not be opened (" + name +
               "): check its cable and permissions";
    return OpenFailure::kOther;
}

void SourceCamera::close() {
    if (index_ < 0)
        return;
    CameraStop(index_);
    CameraFree(index_);
    index_ = -1;
}

bool SourceCamera::play() {
    restart_ = true;
    consecutiveTimeouts_ = 0;
    if (CameraPlay(index_))
        return true;
    message_ =
        "camera " + std::to_string(index_) + " would not start streaming (" + errorName() + ")";
    return false;
}

void SourceCamera::stop() {
    if (index_ >= 0)
        CameraStop(index_);
}

void SourceCamera::abortWait() {
    if (index_ >= 0)
        CameraResetStream(index_);
}

CameraLayout SourceCamera::layout() const {
    CameraLayout layout;
    CameraGetImageSize(index_, &layout.width, &layout.height);
    unsigned modelIndex = api::ModelTable::kNoRow;
    CameraGetName(index_, nullptr, nullptr, &modelIndex, nullptr);
    if (const api::ModelRow* row = api::ModelTable::row(modelIndex)) {
        switch (row->pipelineClass) {
            case api::PipelineClass::BayerBGGR:
                layout.bayer = "bggr";
                break;
            case api::PipelineClass::BayerGRBG:
                layout.bayer = "grbg";
                break;
            case api::PipelineClass::Monochrome:
                layout.monochrome = true;
                break;
            case api::PipelineClass::Yuv422:
                layout.yuv = true;
                break;
        }
    }
    return layout;
}

unsigned SourceCamera::frameBytes(unsigned flags) const {
    unsigned size = 0;
    return CameraGetImageBufferSize(index_, &size, flags) ? size : 0;
}

SourceCamera::Grab SourceCamera::grab(uint8_t* data, unsigned size, unsigned flags) {
    const unsigned queryFlags = flags | (restart_ ? unsigned(CAMERA_QUERY_RESET_STREAM) : 0u);
    if (CameraQueryImage(index_, data, size, queryFlags)) {
        restart_ = false;
        consecutiveTimeouts_ = 0;
        return Grab::kFrame;
    }
    return classifyFailure(CameraGetLastError());
}

const char* SourceCamera::lastErrorName() const {
    return CameraGetErrorName(lastError_);
}

SourceCamera::Grab SourceCamera::classifyFailure(int code) {
    lastError_ = code;
    switch (code) {
        case CAMERA_ERROR_BAD_FRAME:
            return Grab::kDropped;
        case CAMERA_ERROR_USER_ABORT:
        case CAMERA_ERROR_PARAMETER_UNREASONABLE:
            // A resolution or region change from another thread ends the wait the same way.
            return Grab::kAborted;
        case CAMERA_ERROR_DATA_TIMEOUT:
            break;
        default:
            return Grab::kLost;
    }
    const bool triggered = CameraGetSnapMode(index_) == 2;
    // A camera that went silent may have been pulled out between two frames: it answers no
    // request any more.
    if (++consecutiveTimeouts_ >= kTimeoutsBeforeProbe) {
        unsigned speed = 0;
        if (!CameraGetUSBSpeed(index_, &speed)) {
            lastError_ = CameraGetLastError();
            return Grab::kLost;
        }
    }
    return triggered ? Grab::kWaiting : Grab::kDropped;
}

}  // namespace vidscope::gst
