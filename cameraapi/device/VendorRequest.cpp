// SPDX-License-Identifier: MIT
// The camera's vendor requests on its control endpoint: request codes and the IN/OUT helpers.
#include "cameraapi/device/VendorRequest.h"

#include <algorithm>
#include <functional>
#include <mutex>

#include "cameraapi/ApiLog.h"
#include "usb/ControlEndpoint.h"

namespace vidscope::api {
namespace {

// The setup fields live in the endpoint, so building a request and sending it must not
// interleave with another thread's request on the same endpoint (the GUI fires a trigger while
// the capture thread sets GPIO bits, the processing thread reads registers meanwhile). A lock
// per endpoint would need storage in the endpoint; a small set of locks chosen by address gives
// the same exclusion, at the price of two cameras occasionally sharing one.
constexpr size_t kLockStripes = 16;

std::mutex& endpointLock(const usb::ControlEndpoint& endpoint) {
    static std::array<std::mutex, kLockStripes> locks;
    const size_t slot = std::hash<const void*>{}(&endpoint) % kLockStripes;
    return locks[slot];
}

bool send(usb::ControlEndpoint& endpoint, uint32_t direction, uint8_t code, uint16_t value,
          uint16_t index, uint8_t* data, uint32_t& length) {
    std::lock_guard guard(endpointLock(endpoint));
    endpoint.setTarget(0);  // device
    endpoint.setReqType(usb::ControlEndpoint::kVendor);
    endpoint.setDirection(direction);
    endpoint.setReqCode(code);
    endpoint.setValue(value);
    endpoint.setIndex(index);
    const bool ok = endpoint.Transfer(data, length);
    if (!ok) {
        VS_LOG(apiLog(), Debug) << "vendor request 0x" << std::hex << unsigned(code)
                                << " failed, system error " << std::dec << endpoint.lastError();
    }
    return ok;
}

}  // namespace

uint32_t VendorRequest::Reply::bigEndian32() const {
    return (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) |
           uint32_t(bytes[3]);
}

VendorRequest::Reply VendorRequest::in(usb::ControlEndpoint& endpoint, uint8_t code, uint16_t value,
                                       uint16_t index) {
    Reply reply;
    uint32_t length = kReplySize;
    reply.ok = send(endpoint, usb::ControlEndpoint::kFromDevice, code, value, index,
                    reply.bytes.data(), length);
    reply.length = length > kReplySize ? uint32_t(kReplySize) : length;
    return reply;
}

bool VendorRequest::out(usb::ControlEndpoint& endpoint, uint8_t code, uint16_t value,
                        uint16_t index) {
    uint32_t length = 0;
    return send(endpoint, usb::ControlEndpoint::kToDevice, code, value, index, nullptr, length);
}

bool VendorRequest::out(usb::ControlEndpoint& endpoint, uint8_t code, uint16_t value,
                        uint16_t index, std::span<const uint8_t> data) {
    std::array<uint8_t, kReplySize> stage{};
    if (data.size() > stage.size())
        return false;
    std::copy(data.begin(), data.end(), stage.begin());
    auto length = static_cast<uint32_t>(data.size());
    return send(endpoint, usb::ControlEndpoint::kToDevice, code, value, index, stage.data(),
                length);
}

bool VendorRequest::eraseFirmware(usb::ControlEndpoint& endpoint) {
    uint8_t zero = 0;
    uint32_t length = 1;
    return send(endpoint, usb::ControlEndpoint::kToDevice, kEraseFirmware, 1, 0, &zero, length);
}

}  // namespace vidscope::api
