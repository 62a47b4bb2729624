// SPDX-License-Identifier: MIT
// Attaching virtual cameras at run time, for the program option and for demos.
#include <vector>

#include "cameraapi/api/ApiCall.h"
#include "usb/host/Driver.h"
#include "vidscope/camera_api.h"

extern "C" int CameraAttachVirtual(const char* deviceCodes) {
    if (deviceCodes == nullptr)
        return vidscope::api::ApiCall::failNumber(CAMERA_ERROR_PARAMETER_UNREASONABLE);
    const std::vector<vidscope::host::Driver::PortId> attached =
        vidscope::host::Driver::instance().attachVirtualCameras(deviceCodes);
    if (attached.empty())
        return vidscope::api::ApiCall::failNumber(CAMERA_ERROR_NO_CAMERA_FOUND);
    return static_cast<int>(attached.size());
}
