// SPDX-License-Identifier: MIT
// Public identity queries: the API version and the device code of an open camera.
#include "cameraapi/api/ApiCall.h"
#include "cameraapi/model/ModelTable.h"
#include "vidscope/camera_api.h"

namespace {

constexpr int kApiMajor = 2016;
constexpr int kApiMinor = 9;

}  // namespace

extern "C" void CameraGetApiVersion(int* major, int* minor) {
    if (major != nullptr)
        *major = kApiMajor;
    if (minor != nullptr)
        *minor = kApiMinor;
}

// No lock: the model row is set once while the camera is opened and never changes after.
extern "C" int CameraGetID(int index) {
    using namespace vidscope::api;
    ApiCall call(index, LockMode::None);
    if (!call)
        return -1;
    const ModelRow* row = ModelTable::row(call.context().modelIndex);
    // Opening refuses unknown models, so this only guards against a half-built context.
    if (row == nullptr)
        return ApiCall::failNumber(CAMERA_ERROR_NOT_INITIALIZED);
    return row->deviceCode;
}
