// SPDX-License-Identifier: MIT
// One camera opened for the length of a command and closed again on every way out.
#include "cli/CameraSession.h"

#include <string>

#include "cli/CliArgs.h"
#include "cli/CliError.h"
#include "vidscope/camera_api.h"

namespace vidscope::cli {

int CameraSession::parseIndex(const std::string_view word) {
    const int count = CameraGetCount();
    if (count == 0)
        throw UsageError("no camera attached; see vidscope-cli list");
    return static_cast<int>(CliArgs::integer(std::string(word), 0, count - 1, "camera index"));
}

CameraName CameraSession::nameOf(int index) {
    char display[CAMERA_NAME_BUFFER_SIZE] = {};
    char shortName[CAMERA_NAME_BUFFER_SIZE] = {};
    CameraName name;
    require(CameraGetName(index, display, shortName, nullptr, &name.deviceCode) >= 0,
            "CameraGetName");
    name.display = display;
    name.shortName = shortName;
    return name;
}

CameraSession::CameraSession(int index) : index_(index) {
    require(CameraInit(index), "CameraInit");
    // The camera streams its full sensor until told otherwise while the context starts at a
    // smaller default; selecting the full-sensor resolution makes the two agree.
    if (!CameraSetResolution(index, 0, nullptr, nullptr, nullptr) ||
        !CameraSetParam(index, "resolution_index", 0)) {
        const ApiError error = ApiError::fromLastError("selecting the full resolution");
        CameraFree(index);
        throw error;
    }
    runFreely(index);
}

void CameraSession::runFreely(int index) {
    CameraSetSnapMode(index, 1);
}

CameraSession::~CameraSession() {
    CameraFree(index_);
}

}  // namespace vidscope::cli
