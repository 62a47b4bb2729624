// SPDX-License-Identifier: MIT
// Sensor-register and EEPROM byte access over vendor requests, and the EEPROM layout.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace vidscope::usb {
class UsbDevice;
}  // namespace vidscope::usb

namespace vidscope::api {

struct CameraContext;

// What one access gave: error 0 and the decoded value, or the camera error code (4 no device,
// 9 no control endpoint, 10 a failed IN request, 11 a failed OUT request).
struct ControlResult {
    int error = 0;
    uint16_t value = 0;

    bool ok() const { return error == 0; }
    static ControlResult failed(int code) { return {code, 0}; }
};

// Internal: sets no last-error code; the public functions do that from the result.
class ControlChannel {
public:
    // --- EEPROM layout ---
    static constexpr uint16_t kUserDataAddress = 0x1D00;
    static constexpr size_t kUserDataLength = 12;
    static constexpr uint16_t kColourMatrixAddress = 0x1D20;
    static constexpr size_t kColourMatrixEntries = 9;
    // The EEPROM is busy this long after each byte written.
    static constexpr std::chrono::milliseconds kEepromWriteTime{5};

    // --- on a bare device (no context, no controlMutex): the name lookup's temporary device
    static ControlResult readEeprom(usb::UsbDevice* device, uint16_t address);
    static ControlResult readRegister(usb::UsbDevice* device, uint16_t address);
    static ControlResult writeRegister(usb::UsbDevice* device, uint16_t address, uint16_t value);
    static ControlResult writeEeprom(usb::UsbDevice* device, uint16_t address, uint8_t value);

    // Any IN request on a bare device: the first reply byte as value. Takes no mutex (GPIO,
    // stream and mode requests rely on the camera's lock alone).
    static ControlResult request(usb::UsbDevice* device, uint8_t code, uint16_t value,
                                 uint16_t index);

    // --- on an open camera: each under the camera's controlMutex. The caller holds the
    // camera's lock (any API function does); the EEPROM write keeps controlMutex for the
    // EEPROM's write time so that no other access meets a busy EEPROM.
    static ControlResult readRegister(CameraContext& context, uint16_t address);
    static ControlResult writeRegister(CameraContext& context, uint16_t address, uint16_t value);
    static ControlResult readEeprom(CameraContext& context, uint16_t address);
    static ControlResult writeEeprom(CameraContext& context, uint16_t address, uint8_t value);
    // Read-modify-write under one hold of controlMutex: ORs in `set`, clears `clear`. A failed
    // read writes nothing; value is the word written.
    static ControlResult updateRegister(CameraContext& context, uint16_t address, uint16_t set,
                                        uint16_t clear);

    // --- colour matrix encoding: 100 x the coefficient, truncated, in 16 signed bits ---
    using Matrix = std::array<double, kColourMatrixEntries>;
    // Null when the coefficient is not a number or does not fit 16 bits after scaling.
    static std::optional<int16_t> encodeMatrixEntry(double coefficient);
    static double decodeMatrixEntry(uint8_t high, uint8_t low);
    // A stored matrix is taken only when each diagonal entry lies in 0.1 .. 5.0; anything else
    // is an unprogrammed or damaged block.
    static bool plausibleMatrix(const Matrix& matrix);
    static Matrix identityMatrix();
};

}  // namespace vidscope::api
