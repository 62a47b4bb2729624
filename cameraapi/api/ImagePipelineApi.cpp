// SPDX-License-Identifier: MIT
// Public image pipeline functions: frame conversion and the mirror and rotation switches.
#include "cameraapi/api/ApiCall.h"
#include "cameraapi/api/CameraIspRunner.h"
#include "vidscope/camera_api.h"

namespace {

using namespace vidscope::api;

bool setGeometry(int index, uint16_t flag, bool on) {
    ApiCall call(index, LockMode::Shared);
    if (!call)
        return false;
    CameraContext& context = call.context();
    // The map is for the frame as the camera sends it, before any rotation.
    context.pipeline.setGeometryFlag(flag, on, context.width, context.height);
    return true;
}

int getGeometry(int index, uint16_t flag) {
    ApiCall call(index, LockMode::Shared);
    if (!call)
        return -1;
    return call.context().pipeline.read(
        [flag](const ImageSettings& s) { return (s.flags & flag) != 0 ? 1 : 0; });
}

}  // namespace

extern "C" bool CameraISP(int index, unsigned char* raw, unsigned char* out, unsigned int width,
                          unsigned int height, unsigned int format) {
    ApiCall call(index, LockMode::Shared);
    if (!call)
        return false;
    return CameraIspRunner::run(index, call.context(), IspFrame{raw, out, width, height, format}) ==
           IspPipeline::Result::Done;
}

extern "C" bool CameraSetMirrorX(int index, bool on) {
    return setGeometry(index, kFlagMirrorX, on);
}

extern "C" bool CameraSetMirrorY(int index, bool on) {
    return setGeometry(index, kFlagMirrorY, on);
}

extern "C" bool CameraSetRotate(int index, bool on) {
    return setGeometry(index, kFlagRotate, on);
}

extern "C" int CameraGetMirrorX(int index) {
    return getGeometry(index, kFlagMirrorX);
}

extern "C" int CameraGetMirrorY(int index) {
    return getGeometry(index, kFlagMirrorY);
}

extern "C" int CameraGetRotate(int index) {
    return getGeometry(index, kFlagRotate);
}
