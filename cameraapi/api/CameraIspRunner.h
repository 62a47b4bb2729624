// SPDX-License-Identifier: MIT
// Runs one frame of an open camera through its image pipeline, writing sensor registers.
#pragma once

#include "cameraapi/device/CameraContext.h"
#include "cameraapi/isp/IspPipeline.h"

namespace vidscope::api {

class CameraIspRunner {
public:
    // For a caller already inside an API call on camera `index` (holding its lock): the
    // frame query's processed path and CameraISP itself. The camera's model gives the
    // conversion path and sensor family; the exposure loop writes through CameraWriteSCCB.
    // The thread's last error is left as it was, except after ExposureWriteFailed, when it
    // holds the failed write's error.
    static IspPipeline::Result run(int index, CameraContext& context, const IspFrame& frame);
};

}  // namespace vidscope::api
