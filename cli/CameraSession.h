// SPDX-License-Identifier: MIT
// One camera opened for the length of a command and closed again on every way out.
#pragma once

#include <string>
#include <string_view>

namespace vidscope::cli {

// What the camera list shows of one attached camera.
struct CameraName {
    std::string display;
    std::string shortName;
    unsigned deviceCode = 0;
};

class CameraSession {
public:
    // Bad usage when no camera has that index; ApiError when it cannot be opened.
    explicit CameraSession(int index);
    ~CameraSession();
    CameraSession(const CameraSession&) = delete;
    CameraSession& operator=(const CameraSession&) = delete;

    int index() const { return index_; }
    // The camera parses an index word: bad usage for anything but an attached camera's index.
    static int parseIndex(const std::string_view word);
    // The names of the index-th attached camera, opened or not; ApiError when they cannot be
    // read.
    static CameraName nameOf(int index);
    // A camera keeps its trigger mode while it has power, but a new opening reports continuous
    // mode: an opener tells the camera so, or one that an earlier session left triggered sends
    // nothing. A camera without a trigger refuses, and one that cannot be told shows it at its
    // first grab's timeout.
    static void runFreely(int index);

private:
    int index_;
};

}  // namespace vidscope::cli
