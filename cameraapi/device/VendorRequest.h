// SPDX-License-Identifier: MIT
// The camera's vendor requests on its control endpoint: request codes and the IN/OUT helpers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace vidscope::usb {
class ControlEndpoint;
}  // namespace vidscope::usb

namespace vidscope::api {

// Everything but image data travels as a vendor request addressed to the device. An IN request
// always asks for kReplySize bytes into a zeroed buffer; an OUT request carries no data, the
// firmware erase excepted (one byte). Each request waits at most the endpoint's timeOut.
//
// Thread-safety: the endpoint keeps the setup fields of the request being built, so the
// helpers serialise every request on one endpoint among themselves. Callers need no lock of
// their own for that; controlMutex still exists to keep a read-modify-write sequence whole.
class VendorRequest {
public:
    static constexpr size_t kReplySize = 10;

    // Request codes.
    static constexpr uint8_t kRestart = 0xA1;           // OUT
    static constexpr uint8_t kStartStream = 0xA2;       // IN
    static constexpr uint8_t kStopStream = 0xA3;        // IN
    static constexpr uint8_t kSetGpio = 0xA4;           // IN, value = bits, index = mask
    static constexpr uint8_t kGetGpio = 0xA5;           // IN
    static constexpr uint8_t kWriteRegister = 0xA6;     // OUT, value = data, index = address
    static constexpr uint8_t kReadRegister = 0xA7;      // IN, index = address
    static constexpr uint8_t kResolution = 0xAB;        // IN, index = sub-function
    static constexpr uint8_t kSetResolution = 0xAC;     // IN, value = number, index = 3
    static constexpr uint8_t kReadEeprom = 0xB0;        // IN, index = address
    static constexpr uint8_t kWriteEeprom = 0xB1;       // OUT, value = byte, index = address
    static constexpr uint8_t kHighSpeedReadout = 0xB2;  // IN, value = 1 on / 0 off
    static constexpr uint8_t kFirmwareVersion = 0xB3;   // IN
    static constexpr uint8_t kTriggerMode = 0xB4;       // IN, value = 1 trigger / 0 continuous
    static constexpr uint8_t kEraseFirmware = 0xC2;     // OUT with one data byte

    struct Reply {
        bool ok = false;
        uint32_t length = 0;  // bytes the camera answered with (0 to kReplySize)
        std::array<uint8_t, kReplySize> bytes{};

        // Byte i of the reply; 0 beyond what the camera sent (the buffer starts zeroed).
        uint8_t byte(size_t i) const { return i < bytes.size() ? bytes[i] : 0; }
        // The first four bytes as a big-endian number (the firmware version's encoding).
        uint32_t bigEndian32() const;
    };

    // An IN request: kReplySize bytes asked for. ok is false when the transfer failed.
    static Reply in(usb::ControlEndpoint& endpoint, uint8_t code, uint16_t value, uint16_t index);
    // An OUT request without data.
    static bool out(usb::ControlEndpoint& endpoint, uint8_t code, uint16_t value, uint16_t index);
    // An OUT request with a short data stage (at most kReplySize bytes).
    static bool out(usb::ControlEndpoint& endpoint, uint8_t code, uint16_t value, uint16_t index,
                    std::span<const uint8_t> data);
    // The firmware erase: OUT, value 1, index 0, one data byte 0x00.
    static bool eraseFirmware(usb::ControlEndpoint& endpoint);
};

}  // namespace vidscope::api
