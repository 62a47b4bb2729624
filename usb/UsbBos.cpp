// SPDX-License-Identifier: MIT
// Parsing of the BOS descriptor block.
#include "usb/UsbBos.h"

#include <algorithm>

#include "usb/DescriptorCursor.h"
#include "usb/host/RequestRecord.h"

namespace vidscope::usb {
namespace {

constexpr size_t kHeaderSize = 5;

enum CapabilityType : uint8_t { kUsb20Extension = 2, kSuperSpeedUsb = 3, kContainerId = 4 };
constexpr size_t kUsb20ExtensionSize = 7;
constexpr size_t kSuperSpeedSize = 10;
constexpr size_t kContainerIdSize = 20;

bool fail(std::string* error, const char* why) {
    if (error)
        *error = why;
    return false;
}

}  // namespace

std::unique_ptr<UsbBos> UsbBos::parse(std::span<const uint8_t> bytes, std::string* error) {
    if (bytes.size() < kHeaderSize || bytes[0] < kHeaderSize || bytes[1] != kDescriptorType) {
        fail(error, "BOS header missing or malformed");
        return nullptr;
    }
    std::unique_ptr<UsbBos> bos(new UsbBos);
    bos->wTotalLength_ = host::le::read16(bytes.data() + 2);
    bos->bNumDeviceCaps_ = bytes[4];
    if (bos->wTotalLength_ < bytes[0] || bos->wTotalLength_ > bytes.size()) {
        fail(error, "BOS wTotalLength does not match the bytes the device sent");
        return nullptr;
    }
    DescriptorCursor cursor(bytes.first(bos->wTotalLength_), bytes[0]);
    while (!cursor.atEnd()) {
        const auto descriptor = cursor.peek();
        if (!descriptor) {
            fail(error, "BOS capability with a bad bLength");
            return nullptr;
        }
        if (!bos->takeCapability(*descriptor, error))
            return nullptr;
        cursor.advance(descriptor->size());
    }
    return bos;
}

bool UsbBos::takeCapability(std::span<const uint8_t> capability, std::string* error) {
    // Other descriptor types and unknown capabilities carry nothing this layer uses.
    if (capability[1] != kCapabilityType || capability.size() < 3)
        return true;
    const uint8_t* p = capability.data();
    switch (p[2]) {
        case kUsb20Extension:
            if (capability.size() < kUsb20ExtensionSize) {
                return fail(error, "USB 2.0 extension capability too short");
            }
            if (!usb20_)
                usb20_ = Usb20Extension{host::le::read32(p + 3)};
            return true;
        case kSuperSpeedUsb:
            if (capability.size() < kSuperSpeedSize) {
                return fail(error, "SuperSpeed capability too short");
            }
            if (!superSpeed_) {
                superSpeed_ = SuperSpeedCapability{p[3], host::le::read16(p + 4), p[6], p[7],
                                                   host::le::read16(p + 8)};
            }
            return true;
        case kContainerId:
            if (capability.size() < kContainerIdSize) {
                return fail(error, "container id capability too short");
            }
            if (!containerId_) {
                ContainerId id;
                std::copy_n(p + 4, id.containerId.size(), id.containerId.begin());
                containerId_ = id;
            }
            return true;
        default:
            return true;
    }
}

}  // namespace vidscope::usb
