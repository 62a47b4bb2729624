// SPDX-License-Identifier: MIT
// Sensor-register and EEPROM byte access over vendor requests, and the EEPROM layout.
#include "cameraapi/device/ControlChannel.h"

#include <cmath>
#include <mutex>
#include <thread>

#include "cameraapi/device/CameraContext.h"
#include "cameraapi/device/VendorRequest.h"
#include "usb/UsbDevice.h"
#include "vidscope/camera_api.h"

namespace vidscope::api {
namespace {

// The endpoint to send on, or the code that says why there is none.
struct Pipe {
    usb::ControlEndpoint* endpoint = nullptr;
    int error = 0;
};

Pipe controlPipe(usb::UsbDevice* device) {
    if (device == nullptr || device->handle() == host::kInvalidHandle)
        return {nullptr, CAMERA_ERROR_USB_DISCONNECTED};
    if (device->controlEndPoint() == nullptr)
        return {nullptr, CAMERA_ERROR_CONTROL_PIPE};
    return {device->controlEndPoint(), 0};
}

ControlResult readByRequest(usb::UsbDevice* device, uint8_t code, uint16_t address) {
    const Pipe pipe = controlPipe(device);
    if (pipe.endpoint == nullptr)
        return ControlResult::failed(pipe.error);
    const VendorRequest::Reply reply = VendorRequest::in(*pipe.endpoint, code, 0, address);
    if (!reply.ok)
        return ControlResult::failed(CAMERA_ERROR_READ_PIPE);
    // A 16-bit register answers with two bytes, high first; an 8-bit one with a single byte.
    if (code == VendorRequest::kReadRegister && reply.length == 2)
        return {0, static_cast<uint16_t>(reply.byte(0) << 8 | reply.byte(1))};
    return {0, reply.byte(0)};
}

ControlResult writeByRequest(usb::UsbDevice* device, uint8_t code, uint16_t address,
                             uint16_t value) {
    const Pipe pipe = controlPipe(device);
    if (pipe.endpoint == nullptr)
        return ControlResult::failed(pipe.error);
    if (!VendorRequest::out(*pipe.endpoint, code, value, address))
        return ControlResult::failed(CAMERA_ERROR_WRITE_PIPE);
    return {};
}

}  // namespace

ControlResult ControlChannel::readEeprom(usb::UsbDevice* device, uint16_t address) {
    return readByRequest(device, VendorRequest::kReadEeprom, address);
}

ControlResult ControlChannel::readRegister(usb::UsbDevice* device, uint16_t address) {
    return readByRequest(device, VendorRequest::kReadRegister, address);
}

ControlResult ControlChannel::writeRegister(usb::UsbDevice* device, uint16_t address,
                                            uint16_t value) {
    return writeByRequest(device, VendorRequest::kWriteRegister, address, value);
}

ControlResult ControlChannel::writeEeprom(usb::UsbDevice* device, uint16_t address, uint8_t value) {
    return writeByRequest(device, VendorRequest::kWriteEeprom, address, value);
}

ControlResult ControlChannel::request(usb::UsbDevice* device, uint8_t code, uint16_t value,
                                      uint16_t index) {
    const Pipe pipe = controlPipe(device);
    if (pipe.endpoint == nullptr)
        return ControlResult::failed(pipe.error);
    const VendorRequest::Reply reply = VendorRequest::in(*pipe.endpoint, code, value, index);
    if (!reply.ok)
        return ControlResult::failed(CAMERA_ERROR_READ_PIPE);
    return {0, reply.byte(0)};
}

ControlResult ControlChannel::readRegister(CameraContext& context, uint16_t address) {
    std::lock_guard guard(context.controlMutex);
    return readRegister(context.device.get(), address);
}

ControlResult ControlChannel::writeRegister(CameraContext& context, uint16_t address,
                                            uint16_t value) {
    std::lock_guard guard(context.controlMutex);
    return writeRegister(context.device.get(), address, value);
}

ControlResult ControlChannel::readEeprom(CameraContext& context, uint16_t address) {
    std::lock_guard guard(context.controlMutex);
    return readEeprom(context.device.get(), address);
}

ControlResult ControlChannel::writeEeprom(CameraContext& context, uint16_t address, uint8_t value) {
    std::lock_guard guard(context.controlMutex);
    const ControlResult result = writeEeprom(context.device.get(), address, value);
    if (result.ok())
        std::this_thread::sleep_for(kEepromWriteTime);
    return result;
}

ControlResult ControlChannel::updateRegister(CameraContext& context, uint16_t address, uint16_t set,
                                             uint16_t clear) {
    std::lock_guard guard(context.controlMutex);
    const ControlResult read = readRegister(context.device.get(), address);
    if (!read.ok())
        return read;
    const auto wanted = static_cast<uint16_t>((read.value | set) & ~clear);
    const ControlResult written = writeRegister(context.device.get(), address, wanted);
    return written.ok() ? ControlResult{0, wanted} : written;
}

std::optional<int16_t> ControlChannel::encodeMatrixEntry(double coefficient) {
    const double scaled = std::trunc(coefficient * 100.0);
    if (!std::isfinite(scaled) || scaled < INT16_MIN || scaled > INT16_MAX)
        return std::nullopt;
    return static_cast<int16_t>(scaled);
}

double ControlChannel::decodeMatrixEntry(uint8_t high, uint8_t low) {
    const auto raw = static_cast<int16_t>(static_cast<uint16_t>(high << 8 | low));
    return raw / 100.0;
}

bool ControlChannel::plausibleMatrix(const Matrix& matrix) {
    for (size_t k : {0u, 4u, 8u}) {
        if (!(matrix[k] >= 0.1 && matrix[k] <= 5.0))
            return false;
    }
    return true;
}

ControlChannel::Matrix ControlChannel::identityMatrix() {
    return {1.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 1.0};
}

}  // namespace vidscope::api
