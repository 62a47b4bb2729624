// SPDX-License-Identifier: MIT
// The 18-byte device descriptor and its validation.
#include "usb/DeviceDescriptor.h"

#include <algorithm>

#include "usb/host/RequestRecord.h"

namespace vidscope::usb {

std::optional<DeviceDescriptor> DeviceDescriptor::parse(std::span<const uint8_t> bytes) {
    if (bytes.size() < kSize || bytes[0] < kSize || bytes[1] != kType)
        return std::nullopt;
    DeviceDescriptor d;
    std::copy_n(bytes.begin(), kSize, d.raw.begin());
    const uint8_t* p = d.raw.data();
    d.bcdUSB = host::le::read16(p + 2);
    d.bDeviceClass = p[4];
    d.bDeviceSubClass = p[5];
    d.bDeviceProtocol = p[6];
    d.bMaxPacketSize0 = p[7];
    d.idVendor = host::le::read16(p + 8);
    d.idProduct = host::le::read16(p + 10);
    d.bcdDevice = host::le::read16(p + 12);
    d.iManufacturer = p[14];
    d.iProduct = p[15];
    d.iSerialNumber = p[16];
    d.bNumConfigurations = p[17];
    return d;
}

uint32_t DeviceDescriptor::ep0MaxPacket() const {
    if (usbMajor() == 2)
        return bMaxPacketSize0;
    // SuperSpeed devices give the exponent (9 for 512 bytes); a hostile exponent must not
    // become an undefined shift.
    return bMaxPacketSize0 < 32 ? (1u << bMaxPacketSize0) : 0;
}

}  // namespace vidscope::usb
