// SPDX-License-Identifier: MIT
// Frames of one open camera for the capture verbs, with drops counted and Ctrl+C honoured.
#pragma once

#include <csignal>
#include <string>
#include <vector>

namespace vidscope::cli {

// Catches SIGINT and SIGTERM while it lives, so that a capture loop can end its file
// properly; the previous handlers come back afterwards. A second Ctrl+C still interrupts
// the loop only, never the closing of the file.
class StopSignal {
public:
    StopSignal();
    ~StopSignal();
    StopSignal(const StopSignal&) = delete;
    StopSignal& operator=(const StopSignal&) = delete;
    static bool raised();

private:
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
};

// Streams the open camera in one output format. Frames that come out wrong or late are
// dropped and counted; a failure that ends the stream (an unplug) throws ApiError.
class FrameSource {
public:
    enum class Format { kRaw, kGray, kRgb };

    // Starts the stream; ApiError when the camera refuses.
    FrameSource(int camera, Format format);
    ~FrameSource();
    FrameSource(const FrameSource&) = delete;
    FrameSource& operator=(const FrameSource&) = delete;

    // The next frame into frame(); false when it was dropped (counted in dropped()).
    bool next();
    const std::vector<unsigned char>& frame() const { return frame_; }
    unsigned width() const { return width_; }
    unsigned height() const { return height_; }
    Format format() const { return format_; }
    long long delivered() const { return delivered_; }
    long long dropped() const { return dropped_; }
    // The last drop's reason, for the report.
    const std::string& lastDrop() const { return lastDrop_; }

    static Format parseFormat(const std::string& word);

private:
    int camera_;
    Format format_;
    unsigned flags_ = 0;
    unsigned width_ = 0;
    unsigned height_ = 0;
    std::vector<unsigned char> frame_;
    bool first_ = true;
    long long delivered_ = 0;
    long long dropped_ = 0;
    std::string lastDrop_;
};

}  // namespace vidscope::cli
