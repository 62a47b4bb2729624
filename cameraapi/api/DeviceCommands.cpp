// SPDX-License-Identifier: MIT
// Public device commands: reconnect, reset, firmware erase, stream start and stop, facts.
#include <chrono>
#include <thread>

#include "cameraapi/api/ApiCall.h"
#include "cameraapi/device/VendorRequest.h"
#include "cameraapi/model/ModelTable.h"
#include "usb/UsbDevice.h"
#include "vidscope/camera_api.h"

namespace vidscope::api {
namespace {

constexpr auto kResetSettle = std::chrono::milliseconds(10);

bool isUsb3Family(const CameraContext& context) {
    const ModelRow* row = ModelTable::row(context.modelIndex);
    return row != nullptr && ModelTable::isUsb3Family(row->deviceCode);
}

// Start and stop of a USB 3 camera's stream: the camera's answer carries nothing we need,
// and a camera that missed the request is caught by the frame timeout.
bool streamRequest(int index, uint8_t request) {
    ApiCall call(index, LockMode::Shared);
    if (!call)
        return false;
    if (!isUsb3Family(call.context()))
        return true;
    const usb::UsbDevice* device = call.context().device.get();
    if (device == nullptr || !device->isOpen())
        return ApiCall::fail(CAMERA_ERROR_USB_DISCONNECTED);
    if (device->controlEndPoint() == nullptr)
        return ApiCall::fail(CAMERA_ERROR_CONTROL_PIPE);
    VendorRequest::in(*device->controlEndPoint(), request, 0, 0);
    return true;
}

}  // namespace
}  // namespace vidscope::api

using namespace vidscope::api;

extern "C" bool CameraPlay(int index) {
    return streamRequest(index, VendorRequest::kStartStream);
}

extern "C" bool CameraStop(int index) {
    return streamRequest(index, VendorRequest::kStopStream);
}

extern "C" bool CameraReconnect(int index) {
    ApiCall call(index, LockMode::Shared, Needs::Device);
    if (!call)
        return false;
    vidscope::usb::UsbDevice& device = *call.context().device;
    if (isUsb3Family(call.context())) {
        if (device.controlEndPoint() == nullptr)
            return ApiCall::fail(CAMERA_ERROR_CONTROL_PIPE);
        VendorRequest::out(*device.controlEndPoint(), VendorRequest::kRestart, 0, 0);
        return true;
    }
    return device.CyclePort() || ApiCall::fail(CAMERA_ERROR_RECONNECT_FAILURE);
}

extern "C" bool CameraReset(int index) {
    ApiCall call(index, LockMode::Shared, Needs::Device);
    if (!call)
        return false;
    vidscope::usb::UsbDevice& device = *call.context().device;
    vidscope::usb::BulkEndpoint* bulkIn = device.bulkInEndPoint();
    if (isUsb3Family(call.context())) {
        CameraStop(index);
        std::this_thread::sleep_for(kResetSettle);
        if (bulkIn != nullptr)
            bulkIn->Reset();
        device.ResetParentPort();
        std::this_thread::sleep_for(kResetSettle);
        CameraPlay(index);
        return true;
    }
    if (bulkIn != nullptr) {
        bulkIn->Abort();
        bulkIn->Reset();
    }
    vidscope::usb::ControlEndpoint* control = device.controlEndPoint();
    if (control == nullptr)
        return ApiCall::fail(CAMERA_ERROR_CONTROL_PIPE);
    control->Abort();
    control->Reset();
    VendorRequest::out(*control, VendorRequest::kRestart, 0, 0);
    return true;
}

extern "C" bool CameraEraseFirmware(int index) {
    ApiCall call(index, LockMode::Shared, Needs::ControlEndpoint);
    if (!call)
        return false;
    return VendorRequest::eraseFirmware(*call.context().device->controlEndPoint()) ||
           ApiCall::fail(CAMERA_ERROR_WRITE_PIPE);
}

extern "C" bool CameraGetFirmVersion(int index, unsigned int* version) {
    ApiCall call(index, LockMode::Shared);
    if (!call)
        return false;
    if (version == nullptr)
        return ApiCall::fail(CAMERA_ERROR_PARAMETER_UNREASONABLE);
    *version = call.context().firmwareVersion;
    return true;
}

extern "C" bool CameraGetUSBSpeed(int index, unsigned int* speed) {
    ApiCall call(index, LockMode::Shared);
    if (!call)
        return false;
    if (speed == nullptr)
        return ApiCall::fail(CAMERA_ERROR_PARAMETER_UNREASONABLE);
    const vidscope::usb::UsbDevice* device = call.context().device.get();
    if (device == nullptr)
        return ApiCall::fail(CAMERA_ERROR_USB_DISCONNECTED);
    *speed = device->superSpeed() ? 3u : device->highSpeed() ? 2u : 1u;
    return true;
}
