// SPDX-License-Identifier: MIT
// Finds the n-th camera among the driver's devices and reads its custom name from the EEPROM.
#include "cameraapi/device/CameraEnumerator.h"

#include <array>

#include "cameraapi/ApiLog.h"
#include "cameraapi/device/VendorRequest.h"
#include "usb/UsbDevice.h"
#include "vidscope/camera_api.h"

namespace vidscope::api {
namespace {

struct ByteRead {
    bool ok = false;
    int error = 0;
    uint8_t value = 0;
};

ByteRead readEepromByte(usb::UsbDevice& device, uint16_t address) {
    usb::ControlEndpoint* control = device.controlEndPoint();
    if (control == nullptr)
        return {false, CAMERA_ERROR_CONTROL_PIPE, 0};
    const VendorRequest::Reply reply =
        VendorRequest::in(*control, VendorRequest::kReadEeprom, 0, address);
    if (!reply.ok)
        return {false, CAMERA_ERROR_READ_PIPE, 0};
    return {true, 0, reply.byte(0)};
}

// Open closes a device that is still open, and that close may be refused.
bool openQuietly(usb::UsbDevice& device, uint8_t position) {
    try {
        return device.Open(position);
    } catch (const usb::UsbCloseError& e) {
        VS_LOG(apiLog(), Warning) << "while opening device " << unsigned(position) << ": "
                                  << e.what();
        return false;
    }
}

}  // namespace

void CameraEnumerator::closeQuietly(usb::UsbDevice& device) {
    try {
        device.Close();
    } catch (const usb::UsbCloseError& e) {
        VS_LOG(apiLog(), Warning) << e.what() << " (system error " << e.systemError() << ")";
    }
}

int CameraEnumerator::count() {
    usb::UsbDevice device(false);
    const uint8_t present = device.DeviceCount();
    int cameras = 0;
    for (unsigned position = 0; position < present; ++position) {
        // A camera whose descriptors cannot be parsed still counts: opening it later reports
        // what is wrong with it instead of the camera silently vanishing from the list.
        openQuietly(device, static_cast<uint8_t>(position));
        if (device.vendorId() == kCameraVendorId)
            ++cameras;
        closeQuietly(device);
    }
    return cameras;
}

std::optional<uint8_t> CameraEnumerator::locate(usb::UsbDevice& device, int index) {
    const uint8_t present = device.DeviceCount();
    int seen = 0;
    for (unsigned position = 0; position < present; ++position) {
        openQuietly(device, static_cast<uint8_t>(position));
        if (device.vendorId() == kCameraVendorId && seen++ == index)
            return static_cast<uint8_t>(position);
        closeQuietly(device);
    }
    return std::nullopt;
}

CameraEnumerator::CustomName CameraEnumerator::readCustomName(usb::UsbDevice& device) {
    CustomName name;
    const ByteRead length = readEepromByte(device, kNameLengthAddress);
    if (!length.ok) {
        name.ok = false;
        name.error = length.error;
        return name;
    }
    if (length.value == 0 || length.value > kMaxNameLength)
        return name;
    name.present = true;
    std::array<char, kMaxNameLength + 2> text{};
    for (uint8_t i = 0; i < length.value; ++i) {
        const ByteRead c = readEepromByte(device, static_cast<uint16_t>(kNameAddress + i));
        if (!c.ok) {
            name.ok = false;
            name.error = c.error;
            break;
        }
        text[i] = static_cast<char>(c.value);
    }
    name.text = text.data();  // stops at the first zero byte, as a C string would
    return name;
}

}  // namespace vidscope::api
