// SPDX-License-Identifier: MIT
// Construction and teardown of a camera context.
#include "cameraapi/device/CameraContext.h"

#include "usb/TransferRequest.h"
#include "usb/UsbDevice.h"

namespace vidscope::api {

CameraContext::CameraContext() {
    for (size_t i = 0; i < kMaxBuffers; ++i) {
        overlappedEvents[i] = std::make_unique<host::Event>(host::Event::Reset::Auto);
        overlapped[i].event = overlappedEvents[i].get();
    }
}

// A request still queued on the ring writes into its buffer and overlapped record when it
// completes, and the members holding those go before the device. Closing a camera aborts the
// endpoints itself; this covers every other way a context can end (a failed open, a test).
CameraContext::~CameraContext() {
    if (device && device->isOpen()) {
        if (usb::BulkEndpoint* bulkIn = device->bulkInEndPoint())
            bulkIn->Abort();
    }
}

// The flags are read through the pipeline, whose mutex orders them against a concurrent
// CameraSetRotate.
uint32_t CameraContext::outputWidth() const {
    const bool rotated =
        pipeline.read([](const ImageSettings& s) { return (s.flags & kFlagRotate) != 0; });
    return rotated ? height : width;
}

uint32_t CameraContext::outputHeight() const {
    const bool rotated =
        pipeline.read([](const ImageSettings& s) { return (s.flags & kFlagRotate) != 0; });
    return rotated ? width : height;
}

}  // namespace vidscope::api
