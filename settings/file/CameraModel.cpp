// SPDX-License-Identifier: MIT
// What the settings need to know of the open camera's model: its device code and colour kind.
#include "CameraModel.h"

#include <cstring>

#include "vidscope/camera_api.h"

namespace {

// Device codes whose low byte carries one of the bits 0x0B: the rule of thumb for monochrome
// sensors. It is wrong for 0x32C0, a monochrome camera with a colour-looking code, so it only
// decides when the model's name cannot (a custom name programmed into the camera).
bool lowByteSaysMonochrome(int deviceCode) {
    return deviceCode >= 0 && (deviceCode & 0x0B) != 0;
}

}  // namespace

bool CameraModel::nameSaysMonochrome(const char* shortName, bool* known) {
    // "VS-U230M(0)": the letter before the index in brackets.
    *known = false;
    if (std::strncmp(shortName, "VS-", 3) != 0)
        return false;
    const char* bracket = std::strrchr(shortName, '(');
    if (bracket == nullptr || bracket - shortName < 4)
        return false;
    const char kind = bracket[-1];
    *known = kind == 'C' || kind == 'M' || kind == 'N';
    return kind == 'M' || kind == 'N';
}

CameraModel CameraModel::of(int camera) {
    CameraModel model;
    model.deviceCode = CameraGetID(camera);
    // The API reports no pipeline class, but the model table's name of the camera encodes it:
    // colour (Bayer and YUV) or monochrome. The device code alone does not.
    char shortName[CAMERA_NAME_BUFFER_SIZE] = {};
    bool known = false;
    if (model.deviceCode >= 0 && CameraGetName(camera, nullptr, shortName, nullptr, nullptr) >= 0)
        model.monochrome = nameSaysMonochrome(shortName, &known);
    if (!known)
        model.monochrome = lowByteSaysMonochrome(model.deviceCode);
    return model;
}
