// SPDX-License-Identifier: MIT
// A parsed BOS descriptor: the USB 2.0 extension, SuperSpeed and container-id capabilities.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace vidscope::usb {

class UsbBos {
public:
    static constexpr uint8_t kDescriptorType = 0x0F;
    static constexpr uint8_t kCapabilityType = 0x10;

    struct Usb20Extension {
        uint32_t bmAttributes = 0;
    };
    struct SuperSpeedCapability {
        uint8_t bmAttributes = 0;
        uint16_t wSpeedsSupported = 0;
        uint8_t bFunctionalitySupport = 0;
        uint8_t bU1DevExitLat = 0;
        uint16_t wU2DevExitLat = 0;
    };
    struct ContainerId {
        std::array<uint8_t, 16> containerId{};
    };

    // Parses a raw BOS block. Null when malformed; *error then says why. Capabilities of
    // other types are passed over; a repeated capability keeps its first occurrence.
    static std::unique_ptr<UsbBos> parse(std::span<const uint8_t> bytes,
                                         std::string* error = nullptr);

    uint16_t wTotalLength() const { return wTotalLength_; }
    uint8_t bNumDeviceCaps() const { return bNumDeviceCaps_; }
    const std::optional<Usb20Extension>& usb20Extension() const { return usb20_; }
    const std::optional<SuperSpeedCapability>& superSpeed() const { return superSpeed_; }
    const std::optional<ContainerId>& containerId() const { return containerId_; }

private:
    UsbBos() = default;
    bool takeCapability(std::span<const uint8_t> capability, std::string* error);

    uint16_t wTotalLength_ = 0;
    uint8_t bNumDeviceCaps_ = 0;
    std::optional<Usb20Extension> usb20_;
    std::optional<SuperSpeedCapability> superSpeed_;
    std::optional<ContainerId> containerId_;
};

}  // namespace vidscope::usb
