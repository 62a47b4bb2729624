// SPDX-License-Identifier: MIT
// The link between a camera context and its pipeline: model facts and register writes.
#include "cameraapi/api/CameraIspRunner.h"

#include "cameraapi/api/LastError.h"
#include "cameraapi/model/ModelTable.h"
#include "vidscope/camera_api.h"

namespace vidscope::api {

IspPipeline::Result CameraIspRunner::run(int index, CameraContext& context, const IspFrame& frame) {
    const ModelRow* row = ModelTable::row(context.modelIndex);
    // Opening refuses unknown models; a half-built context is refused like a wrong size.
    if (row == nullptr)
        return IspPipeline::Result::Refused;
    IspCamera camera{row->pipelineClass, row->sensorCode, row->maxWidth, row->maxHeight,
                     context.frameCount};
    // A register write that fails in colour output does not fail the frame, and must not
    // leave its error behind either.
    const int errorBefore = LastError::get();
    RegisterWriter writer = [index](RegisterWrite write) {
        return CameraWriteSCCB(index, 0, write.address, write.value, 0);
    };
    IspPipeline::Result result = context.pipeline.process(frame, camera, writer);
    if (result != IspPipeline::Result::ExposureWriteFailed)
        LastError::set(errorBefore);
    return result;
}

}  // namespace vidscope::api
