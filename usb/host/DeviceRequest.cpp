// SPDX-License-Identifier: MIT
// Output layout and port calls of the device-level driver requests.
#include "usb/host/DeviceRequest.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "usb/host/Driver.h"
#include "usb/host/IoControlCode.h"
#include "usb/host/RequestRecord.h"
#include "usb/host/SystemError.h"

namespace vidscope::host {
namespace {

// Checks that `out` holds `size` bytes and writes them with `fill`.
template <typename Fill>
uint32_t produce(uint8_t* out, uint32_t outLength, uint32_t size, uint32_t& bytes, Fill fill) {
    if (out == nullptr || outLength < size)
        return kErrorInsufficientBuffer;
    fill(out);
    bytes = size;
    return kErrorSuccess;
}

uint32_t produce32(uint8_t* out, uint32_t outLength, uint32_t value, uint32_t& bytes) {
    return produce(out, outLength, 4, bytes, [&](uint8_t* p) { le::write32(p, value); });
}

uint32_t produceName(uint8_t* out, uint32_t outLength, const std::string& name, uint32_t& bytes) {
    return produce(out, outLength, DeviceRequest::kNameLength, bytes, [&](uint8_t* p) {
        std::memset(p, 0, DeviceRequest::kNameLength);
        std::memcpy(p, name.data(), std::min<size_t>(name.size(), DeviceRequest::kNameLength - 1));
    });
}

uint32_t busSpeedCode(UsbSpeed speed) {
    switch (speed) {
        case UsbSpeed::Full:
            return 1;
        case UsbSpeed::High:
            return 2;
        case UsbSpeed::Super:
            return 4;
        case UsbSpeed::Unknown:
            break;
    }
    return 0;
}

uint32_t succeededOr(bool ok) {
    return ok ? kErrorSuccess : kErrorGenFailure;
}

}  // namespace

bool DeviceRequest::handles(uint32_t code) {
    switch (code) {
        case kIoctlGetDriverVersion:
        case kIoctlGetUsbdiVersion:
        case kIoctlGetAlternateSetting:
        case kIoctlGetAddress:
        case kIoctlCyclePort:
        case kIoctlResetPipe:
        case kIoctlResetParentPort:
        case kIoctlSetTransferSize:
        case kIoctlGetFriendlyName:
        case kIoctlGetDeviceName:
        case kIoctlAbortPipe:
        case kIoctlGetBusSpeed:
            return true;
        default:
            return false;
    }
}

uint32_t DeviceRequest::execute(Port& port, const PortDescription& description, uint32_t code,
                                const uint8_t* in, uint32_t inLength, uint8_t* out,
                                uint32_t outLength, uint32_t& bytes) {
    bytes = 0;
    const bool endpointGiven = in != nullptr && inLength >= 1;
    switch (code) {
        case kIoctlGetDriverVersion:
            return produce32(out, outLength, Driver::kDriverVersion, bytes);
        case kIoctlGetUsbdiVersion:
            return produce32(out, outLength, Driver::kUsbdiVersion, bytes);
        case kIoctlGetBusSpeed:
            return produce32(out, outLength, busSpeedCode(description.speed), bytes);
        case kIoctlGetAddress:
            return produce(out, outLength, 1, bytes, [&](uint8_t* p) { *p = description.address; });
        case kIoctlGetAlternateSetting: {
            if (out == nullptr || outLength < 1)
                return kErrorInsufficientBuffer;
            const int setting = port.alternateSetting();
            if (setting < 0)
                return kErrorGenFailure;
            *out = static_cast<uint8_t>(setting);
            bytes = 1;
            return kErrorSuccess;
        }
        case kIoctlGetFriendlyName:
            return produceName(out, outLength, description.friendlyName, bytes);
        case kIoctlGetDeviceName:
            return produceName(out, outLength, description.deviceName, bytes);
        case kIoctlCyclePort:
            return succeededOr(port.cyclePort());
        case kIoctlResetParentPort:
            return succeededOr(port.resetParentPort());
        case kIoctlResetPipe:
            if (!endpointGiven)
                return kErrorInvalidParameter;
            return succeededOr(port.clearHalt(in[0]));
        case kIoctlAbortPipe:
            if (!endpointGiven)
                return kErrorInvalidParameter;
            port.cancel(in[0]);
            return kErrorSuccess;
        case kIoctlSetTransferSize: {
            if (in == nullptr || inLength < 5)
                return kErrorInvalidParameter;
            if (out == nullptr || outLength < 5)
                return kErrorInsufficientBuffer;
            uint8_t request[5];
            std::memcpy(request, in, 5);  // `in` and `out` are usually the same memory
            if (!port.setTransferSize(request[0], le::read32(request + 1)))
                return kErrorGenFailure;
            std::memcpy(out, request, 5);
            bytes = 5;
            return kErrorSuccess;
        }
        default:
            return kErrorNotSupported;
    }
}

}  // namespace vidscope::host
