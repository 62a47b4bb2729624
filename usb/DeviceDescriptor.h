// SPDX-License-Identifier: MIT
// The 18-byte device descriptor and its validation.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace vidscope::usb {

struct DeviceDescriptor {
    static constexpr size_t kSize = 18;
    static constexpr uint8_t kType = 1;

    std::array<uint8_t, kSize> raw{};
    uint16_t bcdUSB = 0;
    uint8_t bDeviceClass = 0;
    uint8_t bDeviceSubClass = 0;
    uint8_t bDeviceProtocol = 0;
    uint8_t bMaxPacketSize0 = 0;
    uint16_t idVendor = 0;
    uint16_t idProduct = 0;
    uint16_t bcdDevice = 0;
    uint8_t iManufacturer = 0;
    uint8_t iProduct = 0;
    uint8_t iSerialNumber = 0;
    uint8_t bNumConfigurations = 0;

    // Null unless the bytes hold a whole device descriptor (bLength >= 18, type 1).
    static std::optional<DeviceDescriptor> parse(std::span<const uint8_t> bytes);

    uint8_t usbMajor() const { return static_cast<uint8_t>(bcdUSB >> 8); }
    // Endpoint 0's packet size: USB 3 encodes it as a power of two (0 for absurd exponents).
    uint32_t ep0MaxPacket() const;
};

}  // namespace vidscope::usb
