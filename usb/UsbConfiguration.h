// SPDX-License-Identifier: MIT
// A parsed configuration descriptor block: its header fields and up to eight interfaces.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "usb/UsbInterface.h"

namespace vidscope::usb {

class UsbConfiguration {
public:
    static constexpr size_t kMaxInterfaces = 8;
    static constexpr uint8_t kDescriptorType = 2;

    enum class Flavor { Plain, SuperSpeed };

    // Parses a raw configuration block (as read from the device). Null when the block is
    // malformed; *error then says why. Endpoints are created with `handle`.
    static std::unique_ptr<UsbConfiguration> parse(std::span<const uint8_t> bytes, Flavor flavor,
                                                   host::Handle handle,
                                                   std::string* error = nullptr);

    UsbConfiguration(const UsbConfiguration&) = delete;
    UsbConfiguration& operator=(const UsbConfiguration&) = delete;

    uint8_t bLength() const { return bLength_; }
    uint8_t bDescriptorType() const { return bDescriptorType_; }
    uint16_t wTotalLength() const { return wTotalLength_; }
    uint8_t bNumInterfaces() const { return bNumInterfaces_; }
    uint8_t bConfigurationValue() const { return bConfigurationValue_; }
    uint8_t iConfiguration() const { return iConfiguration_; }
    uint8_t bmAttributes() const { return bmAttributes_; }
    uint8_t MaxPower() const { return maxPower_; }

    // Interface objects made (at most kMaxInterfaces).
    uint8_t interfaceObjects() const { return static_cast<uint8_t>(interfaces_.size()); }
    UsbInterface* interface(size_t i) const {
        return i < interfaces_.size() ? interfaces_[i].get() : nullptr;
    }

private:
    UsbConfiguration() = default;
    void countAlternates();

    uint8_t bLength_ = 0;
    uint8_t bDescriptorType_ = 0;
    uint16_t wTotalLength_ = 0;
    uint8_t bNumInterfaces_ = 0;
    uint8_t bConfigurationValue_ = 0;
    uint8_t iConfiguration_ = 0;
    uint8_t bmAttributes_ = 0;
    uint8_t maxPower_ = 0;
    std::vector<std::unique_ptr<UsbInterface>> interfaces_;
};

}  // namespace vidscope::usb
