// SPDX-License-Identifier: MIT
// Finds the n-th camera among the driver's devices and reads its custom name from the EEPROM.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vidscope::usb {
class UsbDevice;
}  // namespace vidscope::usb

namespace vidscope::api {

// Camera index n is the n-th device with the camera vendor id in driver enumeration order;
// other devices of the driver's class are skipped. The position is looked up afresh every
// time, since plugging changes it.
class CameraEnumerator {
public:
    static constexpr uint16_t kCameraVendorId = 0xA7B7;
    static constexpr uint16_t kNameLengthAddress = 0x1D50;
    static constexpr uint16_t kNameAddress = 0x1D51;
    static constexpr uint8_t kMaxNameLength = 30;

    // Number of attached cameras.
    static int count();

    // Leaves `device` open on the index-th camera and returns its driver position; nullopt
    // when there is none at that index (the device is then closed).
    static std::optional<uint8_t> locate(usb::UsbDevice& device, int index);

    struct CustomName {
        bool ok = true;        // every EEPROM read succeeded
        int error = 0;         // the API error of the failed read
        bool present = false;  // the length byte announced a name
        std::string text;      // up to its first zero byte
    };
    // Reads the name a user programmed into the camera, one EEPROM byte at a time. A length
    // byte of 0 or above kMaxNameLength means there is none; once a read fails the remaining
    // characters count as 0.
    static CustomName readCustomName(usb::UsbDevice& device);

    // Closes without letting a refused close escape: the API never throws.
    static void closeQuietly(usb::UsbDevice& device);
};

}  // namespace vidscope::api
