// SPDX-License-Identifier: MIT
// Parsing of a configuration descriptor block into interface objects.
#include "usb/UsbConfiguration.h"

#include "usb/DescriptorCursor.h"
#include "usb/host/RequestRecord.h"

namespace vidscope::usb {
namespace {

constexpr uint8_t kHeaderSize = 9;
constexpr uint8_t kInterfaceType = 4;

std::unique_ptr<UsbConfiguration> fail(std::string* error, const char* why) {
    if (error)
        *error = why;
    return nullptr;
}

}  // namespace

std::unique_ptr<UsbConfiguration> UsbConfiguration::parse(std::span<const uint8_t> bytes,
                                                          Flavor flavor, host::Handle handle,
                                                          std::string* error) {
    if (bytes.size() < kHeaderSize || bytes[0] < kHeaderSize || bytes[1] != kDescriptorType) {
        return fail(error, "configuration header missing or malformed");
    }
    std::unique_ptr<UsbConfiguration> config(new UsbConfiguration);
    const uint8_t* p = bytes.data();
    config->bLength_ = p[0];
    config->bDescriptorType_ = p[1];
    config->wTotalLength_ = host::le::read16(p + 2);
    config->bNumInterfaces_ = p[4];
    config->bConfigurationValue_ = p[5];
    config->iConfiguration_ = p[6];
    config->bmAttributes_ = p[7];
    config->maxPower_ = p[8];
    if (config->wTotalLength_ < config->bLength_ || config->wTotalLength_ > bytes.size()) {
        return fail(error, "configuration wTotalLength does not match the bytes the device sent");
    }

    DescriptorCursor cursor(bytes.first(config->wTotalLength_), config->bLength_);
    const bool superSpeed = flavor == Flavor::SuperSpeed;
    while (!cursor.atEnd() && config->interfaces_.size() < kMaxInterfaces) {
        const auto descriptor = cursor.peek();
        if (!descriptor)
            return fail(error, "descriptor with a bad bLength in the configuration");
        if ((*descriptor)[1] != kInterfaceType) {
            cursor.advance(descriptor->size());
            continue;
        }
        auto interface = UsbInterface::parse(cursor, superSpeed, handle);
        if (!interface)
            return fail(error, "malformed interface or endpoint descriptor");
        config->interfaces_.push_back(std::move(interface));
    }
    config->countAlternates();
    return config;
}

void UsbConfiguration::countAlternates() {
    for (auto& interface : interfaces_) {
        uint8_t count = 0;
        for (const auto& other : interfaces_) {
            if (other->bInterfaceNumber() == interface->bInterfaceNumber())
                ++count;
        }
        interface->setAltInterfaces(count);
    }
}

}  // namespace vidscope::usb
