// SPDX-License-Identifier: MIT
// Public device lifecycle: counting and naming cameras, opening one into a slot, closing it.
#include <cstdio>
#include <memory>

#include "cameraapi/ApiLog.h"
#include "cameraapi/api/ApiCall.h"
#include "cameraapi/api/ControlCallSupport.h"
#include "cameraapi/device/CameraEnumerator.h"
#include "cameraapi/device/CameraSlots.h"
#include "cameraapi/device/OutputSize.h"
#include "cameraapi/device/TransferRing.h"
#include "cameraapi/device/VendorRequest.h"
#include "cameraapi/isp/ColourTables.h"
#include "cameraapi/model/ModelTable.h"
#include "usb/UsbDevice.h"
#include "vidscope/camera_api.h"

namespace vidscope::api {
namespace {

void writeName(char* buffer, const char* format, const std::string& text, int index) {
    std::snprintf(buffer, CAMERA_NAME_BUFFER_SIZE, format, text.c_str(), index);
}

// Undoes a half-built open: the slot ends empty and the context, with its device and any
// transfers already queued, is destroyed. `code` 0 keeps the error a nested call has set.
bool abandonOpen(int index, ApiCall& call, int code) {
    std::shared_ptr<CameraContext> context = CameraSlots::take(index);
    call.release();
    context.reset();
    if (code != 0)
        ApiCall::fail(code);
    VS_LOG(apiLog(), Warning) << "camera " << index
                              << " not opened: " << CameraGetErrorName(CameraGetLastError());
    return false;
}

// Every endpoint that may carry a transfer of ours: the first two of the selected interface,
// and the bulk-in endpoint wherever it is listed. Closing our handle alone would not end
// them while another handle (a name lookup) keeps the device open.
void abortEndpoints(usb::UsbDevice& device) {
    const std::span<usb::UsbEndpoint* const> endpoints = device.endPoints();
    for (size_t i = 1; i <= 2 && i < endpoints.size(); ++i) {
        if (endpoints[i] != nullptr)
            endpoints[i]->Abort();
    }
    usb::BulkEndpoint* bulkIn = device.bulkInEndPoint();
    const bool listed = endpoints.size() > 1 && (endpoints[1] == bulkIn ||
                                                 (endpoints.size() > 2 && endpoints[2] == bulkIn));
    if (bulkIn != nullptr && !listed)
        bulkIn->Abort();
}

// The first frame query must find the context describing the frames the camera sends. A
// camera keeps the resolution it was last told until it powers off, so rather than assume one
// the camera is told the full sensor (record 0) and the context takes its reply. A camera
// that does not answer is assumed to be at its full sensor, where a virtual one starts.
void selectStartResolution(int index, CameraContext& context, const ModelRow& row) {
    const bool selected =
        keepingLastError([&] { return CameraSetResolution(index, 0, nullptr, nullptr, nullptr); });
    if (selected)
        return;
    VS_LOG(apiLog(), Warning) << "camera " << index
                              << " did not take its full-sensor resolution; assuming it";
    context.width = row.maxWidth;
    context.height = row.maxHeight;
    context.bytesPerPixel = OutputSize::conversionBytesPerPixel(context);
    context.pipeline.rebuildPixelMap(row.maxWidth, row.maxHeight);
}

}  // namespace
}  // namespace vidscope::api

using namespace vidscope::api;
using vidscope::usb::UsbDevice;

extern "C" int CameraGetCount(void) {
    return CameraEnumerator::count();
}

extern "C" int CameraGetName(int index, char* displayName, char* shortName,
                             unsigned int* modelIndex, unsigned int* deviceCode) {
    if (!ApiCall::acceptIndex(index))
        return -1;
    UsbDevice device(false);
    if (device.DeviceCount() == 0)
        return ApiCall::failNumber(CAMERA_ERROR_NO_CAMERA_FOUND);
    const std::optional<uint8_t> position = CameraEnumerator::locate(device, index);
    if (!position)
        return ApiCall::failNumber(CAMERA_ERROR_NO_CAMERA_FOUND);

    CameraEnumerator::CustomName name;
    if (displayName != nullptr || shortName != nullptr)
        name = CameraEnumerator::readCustomName(device);
    if (displayName != nullptr) {
        if (name.present)
            writeName(displayName, "Veltro %s Camera(%d)", name.text, index);
        else
            writeName(displayName, "%s(%d)", device.deviceName(), index);
    }
    if (shortName != nullptr)
        shortName[0] = '\0';
    const uint32_t row = ModelTable::findDeviceCode(device.productId());
    if (row != ModelTable::kNoRow && shortName != nullptr)
        writeName(shortName, "%s(%d)", name.present ? name.text : ModelTable::row(row)->name,
                  index);
    if (modelIndex != nullptr)
        *modelIndex = row;
    if (deviceCode != nullptr)
        *deviceCode = device.productId();
    CameraEnumerator::closeQuietly(device);
    if (!name.ok)
        return ApiCall::failNumber(name.error);
    return *position;
}

extern "C" bool CameraInit(int index) {
    if (!ApiCall::acceptIndex(index))
        return false;
    auto created = std::make_unique<CameraContext>();
    // Not opened on creation: the position is only known after the lookup below, and opening
    // whatever device comes first would touch a device that may not even be a camera.
    created->device = std::make_unique<UsbDevice>(false);
    if (!CameraSlots::install(index, created))
        return ApiCall::fail(CAMERA_ERROR_INITIALIZED_ALREADY);
    ApiCall call(index, LockMode::Exclusive);
    if (!call)
        return false;
    CameraContext& context = call.context();
    ColourTables::rebuild();

    unsigned int modelIndex = ModelTable::kNoRow;
    const int position = CameraGetName(index, nullptr, nullptr, &modelIndex, nullptr);
    if (position < 0)
        return abandonOpen(index, call, 0);
    const ModelRow* row = ModelTable::row(modelIndex);
    if (row == nullptr) {
        VS_LOG(apiLog(), Warning) << "camera " << index << " has a product id of no known model";
        return abandonOpen(index, call, CAMERA_ERROR_NO_CAMERA_FOUND);
    }
    context.modelIndex = modelIndex;
    UsbDevice& device = *context.device;
    try {
        device.Open(static_cast<uint8_t>(position));  // a failure shows as a missing endpoint
    } catch (const vidscope::usb::UsbCloseError&) {
    }
    if (ModelTable::isUsb3Family(row->deviceCode))
        device.ResetParentPort();
    vidscope::usb::ControlEndpoint* control = device.controlEndPoint();
    if (control == nullptr)
        return abandonOpen(index, call, CAMERA_ERROR_CONTROL_PIPE);
    const VendorRequest::Reply version =
        VendorRequest::in(*control, VendorRequest::kFirmwareVersion, 0, 0);
    if (version.ok)
        context.firmwareVersion = version.bigEndian32();
    // The identity map of the full sensor, kept as geometry rather than one index per pixel
    // (57 MB for the largest sensor).
    context.pipeline.resetPixelMap(row->maxWidth, row->maxHeight);
    if (!device.isOpen())
        return abandonOpen(index, call, CAMERA_ERROR_USB_DISCONNECTED);
    selectStartResolution(index, context, *row);
    if (device.bulkInEndPoint() == nullptr)
        return abandonOpen(index, call, CAMERA_ERROR_DATA_PIPE);
    if (!TransferRing::arm(context, TransferPlan::forDeviceCode(row->deviceCode))) {
        VS_LOG(apiLog(), Warning) << "camera " << index << ": transfers could not be queued";
        return abandonOpen(index, call, CAMERA_ERROR_DATA_XFER);
    }
    return true;
}

extern "C" bool CameraFree(int index) {
    ApiCall call(index, LockMode::None);
    if (!call)
        return false;
    CameraContext& context = call.context();
    // Another CameraFree is closing it: by the time this one got the lock the slot might
    // hold a new camera.
    if (context.closing.exchange(true))
        return ApiCall::fail(CAMERA_ERROR_NOT_INITIALIZED);
    // Before the lock: a query waiting for data holds the lock shared and must give up first.
    context.abortEvent.set();
    call.hold(LockMode::Exclusive);
    if (context.device && context.device->isOpen()) {
        abortEndpoints(*context.device);
        CameraEnumerator::closeQuietly(*context.device);
    }
    context.device.reset();
    TransferRing::disarm(context);
    std::shared_ptr<CameraContext> owned = CameraSlots::take(index);
    call.release();
    owned.reset();
    return true;
}
