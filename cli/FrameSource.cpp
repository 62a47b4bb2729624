// SPDX-License-Identifier: MIT
// Frames of one open camera for the capture verbs, with drops counted and Ctrl+C honoured.
#include "cli/FrameSource.h"

#include <atomic>

#include "base/TerminalText.h"
#include "cli/CliError.h"
#include "cli/TextEscape.h"
#include "vidscope/camera_api.h"

namespace vidscope::cli {
namespace {

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void onStopSignal(int) {
    stopRequested = 1;
}

}  // namespace

StopSignal::StopSignal() {
    stopRequested = 0;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a blocking write returns early instead of delaying the stop.
    action.sa_flags = 0;
    sigaction(SIGINT, &action, &oldInt_);
    sigaction(SIGTERM, &action, &oldTerm_);
}

StopSignal::~StopSignal() {
    sigaction(SIGINT, &oldInt_, nullptr);
    sigaction(SIGTERM, &oldTerm_, nullptr);
}

bool StopSignal::raised() {
    return stopRequested != 0;
}

FrameSource::Format FrameSource::parseFormat(const std::string& word) {
    if (word == "raw")
        return Format::kRaw;
    if (word == "gray" || word == "grey")
        return Format::kGray;
    if (word == "rgb")
        return Format::kRgb;
    throw UsageError("--format takes raw, gray or rgb, not \"" + base::printableText(word) + "\"");
}

FrameSource::FrameSource(int camera, Format format) : camera_(camera), format_(format) {
    switch (format) {
        case Format::kRaw:
            flags_ = CAMERA_FORMAT_RAW8;
            break;
        case Format::kGray:
            flags_ = CAMERA_FORMAT_GRAY8;
            break;
        case Format::kRgb:
            flags_ = CAMERA_FORMAT_RGB24;
            break;
    }
    unsigned size = 0;
    require(CameraGetImageSize(camera, &width_, &height_), "CameraGetImageSize");
    require(CameraGetImageBufferSize(camera, &size, flags_), "CameraGetImageBufferSize");
    frame_.resize(size);
    require(CameraResetStream(camera), "CameraResetStream");
    require(CameraPlay(camera), "CameraPlay");
}

FrameSource::~FrameSource() {
    CameraStop(camera_);
}

bool FrameSource::next() {
    // The ring may hold frames from before the settings were applied: the first query
    // throws them away.
    const unsigned flags = flags_ | (first_ ? unsigned(CAMERA_QUERY_RESET_STREAM) : 0u);
    first_ = false;
    if (CameraQueryImage(camera_, frame_.data(), static_cast<unsigned>(frame_.size()), flags)) {
        ++delivered_;
        return true;
    }
    const int code = CameraGetLastError();
    // A late or malformed frame is a drop the user should see counted; the stream goes on.
    // Everything else (unplugged, transfers failing) ends it.
    if (code == CAMERA_ERROR_DATA_TIMEOUT || code == CAMERA_ERROR_BAD_FRAME ||
        code == CAMERA_ERROR_USER_ABORT) {
        ++dropped_;
        lastDrop_ = CameraGetErrorName(code);
        return false;
    }
    throw ApiError::fromLastError("CameraQueryImage");
}

}  // namespace vidscope::cli
