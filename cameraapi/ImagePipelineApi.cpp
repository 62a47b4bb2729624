// SPDX-License-Identifier: MIT
// Public image pipeline functions: frame conversion and the mirror and rotation switches.
#include "cameraapi/ApiCall.h"
#include "cameraapi/LastError.h"
#include "cameraapi/ModelTable.h"
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
    CameraContext& context = call.context();
    const ModelRow* row = ModelTable::row(context.modelIndex);
    // Opening refuses unknown models; a half-built context is refused like a wrong size.
    if (row == nullptr)
        return false;
    IspCamera camera{row->pipelineClass, row->sensorCode, row->maxWidth, row->maxHeight,
                     context.frameCount};
    // A register write that fails in colour mode does not fail the call, and a call that
    // succeeds must not leave the nested write's error behind.
    const int errorBefore = LastError::get();
    RegisterWriter writer = [index](RegisterWrite write) {
        return CameraWriteSCCB(index, 0, write.address, write.value, 0);
    };
    IspPipeline::Result result =
        context.pipeline.process(IspFrame{raw, out, width, height, format}, camera, writer);
    if (result == IspPipeline::Result::Done) {
        LastError::set(errorBefore);
        return true;
    }
    return false;
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
