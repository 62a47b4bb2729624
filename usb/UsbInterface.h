// SPDX-License-Identifier: MIT
// One interface (alternate setting) of a configuration with the endpoints it lists.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "usb/UsbEndpoint.h"

namespace vidscope::usb {

class ControlEndpoint;
class DescriptorCursor;

class UsbInterface {
public:
    // Entry 0 is the device's control endpoint, entries 1.. the interface's own endpoints.
    static constexpr size_t kMaxEndpoints = 32;
    static constexpr int kMaxSkippedDescriptors = 11;

    // Builds the interface whose descriptor the cursor stands on and consumes its endpoints
    // (and, for SuperSpeed devices, their companions). Null when the bytes are malformed.
    static std::unique_ptr<UsbInterface> parse(DescriptorCursor& cursor, bool superSpeed,
                                               host::Handle handle);

    UsbInterface(const UsbInterface&) = delete;
    UsbInterface& operator=(const UsbInterface&) = delete;

    uint8_t bLength() const { return descriptor_[0]; }
    uint8_t bDescriptorType() const { return descriptor_[1]; }
    uint8_t bInterfaceNumber() const { return descriptor_[2]; }
    uint8_t bAlternateSetting() const { return descriptor_[3]; }
    uint8_t bNumEndpoints() const { return descriptor_[4]; }
    uint8_t bInterfaceClass() const { return descriptor_[5]; }
    uint8_t bInterfaceSubClass() const { return descriptor_[6]; }
    uint8_t bInterfaceProtocol() const { return descriptor_[7]; }
    uint8_t iInterface() const { return descriptor_[8]; }
    std::span<const uint8_t, 9> descriptor() const { return descriptor_; }

    // Entries 1 .. min(bNumEndpoints, 31) hold endpoints or null (skipped or unknown kinds).
    std::span<UsbEndpoint* const, kMaxEndpoints> endPoints() const { return endPoints_; }
    UsbEndpoint* endPoint(size_t i) const { return i < kMaxEndpoints ? endPoints_[i] : nullptr; }
    // Number of list entries the interface fills (bNumEndpoints, at most 31).
    size_t endpointEntries() const;
    void setControlEndpoint(ControlEndpoint* control);

    // Bytes of the configuration the interface spans, from its descriptor to its last
    // endpoint (or companion) descriptor.
    uint32_t totalLength() const { return totalLength_; }
    // Interfaces of the configuration with the same bInterfaceNumber (this one included).
    uint8_t altInterfaces() const { return altInterfaces_; }
    void setAltInterfaces(uint8_t count) { altInterfaces_ = count; }

private:
    UsbInterface() = default;
    bool parseEndpoints(DescriptorCursor& cursor, bool superSpeed, host::Handle handle);

    std::array<uint8_t, 9> descriptor_{};
    std::array<UsbEndpoint*, kMaxEndpoints> endPoints_{};
    std::vector<std::unique_ptr<UsbEndpoint>> owned_;
    uint32_t totalLength_ = 0;
    uint8_t altInterfaces_ = 0;
};

}  // namespace vidscope::usb
