// SPDX-License-Identifier: MIT
// Public resolution functions: the camera's size list, resolution mode, ROI, stored keys.
#include <array>
#include <cstring>
#include <optional>
#include <type_traits>

#include "cameraapi/ApiLog.h"
#include "cameraapi/api/ApiCall.h"
#include "cameraapi/api/ControlCallSupport.h"
#include "cameraapi/device/ExposureTiming.h"
#include "cameraapi/device/OutputSize.h"
#include "cameraapi/device/RoiWindow.h"
#include "cameraapi/device/VendorRequest.h"
#include "usb/UsbDevice.h"
#include "vidscope/camera_api.h"

using namespace vidscope::api;
using vidscope::usb::ControlEndpoint;

namespace {

// Sub-functions of the resolution request.
constexpr uint16_t kCountQuery = 1;
constexpr uint16_t kRecordQuery = 3;
constexpr uint16_t kModeSelect = 4;
constexpr uint16_t kCountValue = 1;
constexpr uint8_t kRoiWindowRequest = 0xAD;
constexpr uint8_t kWindowAccepted = 1;
constexpr size_t kRecordBytes = 6;

struct Record {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t bytesPerPixel = 0;
};

uint16_t littleEndian16(const VendorRequest::Reply& reply, size_t at) {
    return static_cast<uint16_t>(reply.byte(at) | reply.byte(at + 1) << 8);
}

// None for a reply too short to be a record; a size nobody can stream is no record either.
std::optional<Record> recordOf(const VendorRequest::Reply& reply) {
    if (!reply.ok || reply.length < kRecordBytes)
        return std::nullopt;
    Record r{littleEndian16(reply, 0), littleEndian16(reply, 2), littleEndian16(reply, 4)};
    if (r.width == 0 || r.height == 0 || r.bytesPerPixel == 0)
        return std::nullopt;
    return r;
}

bool rotated(const CameraContext& context) {
    return context.pipeline.read(
        [](const ImageSettings& s) { return (s.flags & kFlagRotate) != 0; });
}

void report(const Record& r, bool swap, unsigned int* width, unsigned int* height,
            unsigned int* bytesPerPixel) {
    if (width != nullptr)
        *width = swap ? r.height : r.width;
    if (height != nullptr)
        *height = swap ? r.width : r.height;
    if (bytesPerPixel != nullptr)
        *bytesPerPixel = r.bytesPerPixel;
}

// Everything is sized for the sensor, and a conversion reads as many bytes per pixel as its
// pixel format has, whatever the camera claims to send: a record beyond either would make the
// pipeline read or write past its buffers.
bool fitsBuffers(const CameraContext& context, const Record& r) {
    const ModelRow* row = ModelTable::row(context.modelIndex);
    if (row == nullptr)
        return false;
    return r.width <= row->maxWidth && r.height <= row->maxHeight &&
           r.bytesPerPixel >= OutputSize::conversionBytesPerPixel(context);
}

// The settings fields the application stores under fixed key names, in lookup order.
struct KeyField {
    const char* key;
    uint32_t (*get)(const ImageSettings&);
    void (*set)(ImageSettings&, uint16_t);
};

template <auto Field>
constexpr KeyField keyField(const char* key) {
    return KeyField{key, [](const ImageSettings& s) { return static_cast<uint32_t>(s.*Field); },
                    [](ImageSettings& s, uint16_t value) {
                        // Byte-wide fields keep the low byte, as the record they persist in.
                        using Type = std::remove_reference_t<decltype(s.*Field)>;
                        s.*Field = static_cast<Type>(value);
                    }};
}

constexpr std::array<KeyField, 7> kKeys = {
    keyField<&ImageSettings::storedImageFormat>("image_format"),
    keyField<&ImageSettings::resolutionIndex>("resolution_index"),
    keyField<&ImageSettings::roiEnabled>("enable_roi"),
    keyField<&ImageSettings::roiX>("roi_offset_x"),
    keyField<&ImageSettings::roiY>("roi_offset_y"),
    keyField<&ImageSettings::roiWidth>("roi_width"),
    keyField<&ImageSettings::roiHeight>("roi_height"),
};

// Exact, case-sensitive names; null for anything else.
const KeyField* fieldOf(const char* key) {
    if (key == nullptr)
        return nullptr;
    for (const KeyField& k : kKeys) {
        if (std::strcmp(k.key, key) == 0)
            return &k;
    }
    return nullptr;
}

}  // namespace

extern "C" int CameraGetResolutionCount(int index) {
    ApiCall call(index, LockMode::Shared, Needs::ControlEndpoint);
    if (!call)
        return -1;
    ControlEndpoint& control = *call.context().device->controlEndPoint();
    const VendorRequest::Reply reply =
        VendorRequest::in(control, VendorRequest::kResolution, kCountValue, kCountQuery);
    if (!reply.ok)
        return ApiCall::failNumber(CAMERA_ERROR_READ_PIPE);
    const uint32_t count = reply.byte(0) | reply.byte(1) << 8 | reply.byte(2) << 16 |
                           static_cast<uint32_t>(reply.byte(3)) << 24;
    return static_cast<int>(count);
}

extern "C" bool CameraGetResolution(int index, unsigned short number, unsigned int* width,
                                    unsigned int* height, unsigned int* bytesPerPixel) {
    ApiCall call(index, LockMode::Shared, Needs::ControlEndpoint);
    if (!call)
        return false;
    CameraContext& context = call.context();
    const std::optional<Record> record = recordOf(VendorRequest::in(
        *context.device->controlEndPoint(), VendorRequest::kResolution, number, kRecordQuery));
    if (!record)
        return ApiCall::fail(CAMERA_ERROR_READ_PIPE);
    report(*record, rotated(context), width, height, bytesPerPixel);
    return true;
}

extern "C" bool CameraSetResolution(int index, unsigned short number, unsigned int* width,
                                    unsigned int* height, unsigned int* bytesPerPixel) {
    ApiCall call(index, LockMode::Shared, Needs::ControlEndpoint);
    if (!call)
        return false;
    CameraContext& context = call.context();
    const std::optional<Record> record = recordOf(VendorRequest::in(
        *context.device->controlEndPoint(), VendorRequest::kSetResolution, number, kRecordQuery));
    if (!record || !fitsBuffers(context, *record))
        return ApiCall::fail(CAMERA_ERROR_READ_PIPE);
    context.width = record->width;
    context.height = record->height;
    context.bytesPerPixel = record->bytesPerPixel;
    report(*record, rotated(context), width, height, bytesPerPixel);
    // The blanking registers depend on the frame size; the new size stands even where the
    // sensor did not take them.
    const int32_t delay =
        context.pipeline.read([](const ImageSettings& s) { return s.frameDelay; });
    keepingLastError([&] { return CameraSetDelay(index, delay); });
    context.pipeline.rebuildPixelMap(record->width, record->height);
    context.pipeline.modify([number](ImageSettings& s) {
        s.resolutionIndex = static_cast<uint8_t>(number);
        s.roiEnabled = 0;
    });
    return true;
}

extern "C" bool CameraSetResolutionMode(int index, unsigned char mode) {
    ApiCall call(index, LockMode::Shared, Needs::ControlEndpoint);
    if (!call)
        return false;
    CameraContext& context = call.context();
    // Stored before the request: a camera that missed it gets it again with the next load.
    context.pipeline.modify([mode](ImageSettings& s) { s.resolutionMode = mode; });
    if (!VendorRequest::in(*context.device->controlEndPoint(), VendorRequest::kResolution, mode,
                           kModeSelect)
             .ok)
        return ApiCall::fail(CAMERA_ERROR_READ_PIPE);
    return true;
}

extern "C" int CameraGetResolutionMode(int index) {
    return readSetting(index, -1, [](const ImageSettings& s) { return int{s.resolutionMode}; });
}

extern "C" bool CameraSetROI(int index, unsigned int x, unsigned int y, unsigned int width,
                             unsigned int height) {
    ApiCall call(index, LockMode::Shared, Needs::ControlEndpoint);
    if (!call)
        return false;
    CameraContext& context = call.context();
    const ModelRow* row = ModelTable::row(context.modelIndex);
    const uint16_t flags = context.pipeline.read([](const ImageSettings& s) { return s.flags; });
    const RoiWindow shown{x, y, width, height};
    const std::optional<RoiWindow> sensor =
        row == nullptr ? std::nullopt
                       : RoiWindow::toSensor(shown, flags, row->maxWidth, row->maxHeight);
    if (!sensor)
        return ApiCall::fail(CAMERA_ERROR_PARAMETER_UNREASONABLE);

    ControlEndpoint& control = *context.device->controlEndPoint();
    const auto sx = static_cast<uint16_t>(sensor->x);
    const auto sy = static_cast<uint16_t>(sensor->y);
    const std::array<uint8_t, 4> size = {
        static_cast<uint8_t>(sensor->width), static_cast<uint8_t>(sensor->width >> 8),
        static_cast<uint8_t>(sensor->height), static_cast<uint8_t>(sensor->height >> 8)};
    if (!VendorRequest::out(control, kRoiWindowRequest, sx, sy, size))
        return ApiCall::fail(CAMERA_ERROR_WRITE_PIPE);
    const VendorRequest::Reply ack = VendorRequest::in(control, kRoiWindowRequest, sx, sy);
    if (!ack.ok || ack.byte(0) != kWindowAccepted)
        return ApiCall::fail(CAMERA_ERROR_READ_PIPE);

    // Frames arrive in the sensor's orientation: under rotation the window's sides are the
    // region's swapped, and the reported size swaps them back.
    context.width = sensor->width;
    context.height = sensor->height;
    context.pipeline.rebuildPixelMap(sensor->width, sensor->height);
    if (const int error = ExposureTiming::update(context); error != 0) {
        VS_LOG(apiLog(), Warning) << "camera " << index
                                  << ": line timing not updated for the ROI, error " << error;
    }
    context.pipeline.modify([&shown](ImageSettings& s) {
        s.roiX = static_cast<uint16_t>(shown.x);
        s.roiY = static_cast<uint16_t>(shown.y);
        s.roiWidth = static_cast<uint16_t>(shown.width);
        s.roiHeight = static_cast<uint16_t>(shown.height);
        s.resolutionIndex = 0;
        s.roiEnabled = 1;
    });
    return true;
}

extern "C" bool CameraSetParam(int index, const char* key, unsigned short value) {
    ApiCall call(index, LockMode::Shared);
    if (!call)
        return false;
    const KeyField* field = fieldOf(key);
    if (field == nullptr)
        return false;
    call.context().pipeline.modify([&](ImageSettings& s) { field->set(s, value); });
    return true;
}

extern "C" bool CameraGetParam(int index, const char* key, unsigned int* value) {
    ApiCall call(index, LockMode::Shared);
    if (!call)
        return false;
    const KeyField* field = fieldOf(key);
    if (field == nullptr)
        return false;
    if (value == nullptr)
        return ApiCall::fail(CAMERA_ERROR_PARAMETER_UNREASONABLE);
    *value =
        call.context().pipeline.read([field](const ImageSettings& s) { return field->get(s); });
    return true;
}
