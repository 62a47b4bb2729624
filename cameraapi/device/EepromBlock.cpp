// SPDX-License-Identifier: MIT
// Runs of EEPROM bytes read or written one request at a time.
#include "cameraapi/device/EepromBlock.h"

namespace vidscope::api {

BlockResult EepromBlock::write(CameraContext& context, uint16_t address,
                               std::span<const uint8_t> bytes) {
    BlockResult result;
    for (; result.done < bytes.size(); ++result.done) {
        const auto at = static_cast<uint16_t>(address + result.done);
        const ControlResult written = ControlChannel::writeEeprom(context, at, bytes[result.done]);
        if (!written.ok()) {
            result.error = written.error;
            break;
        }
    }
    return result;
}

BlockResult EepromBlock::read(CameraContext& context, uint16_t address, std::span<uint8_t> bytes) {
    BlockResult result;
    for (; result.done < bytes.size(); ++result.done) {
        const auto at = static_cast<uint16_t>(address + result.done);
        const ControlResult read = ControlChannel::readEeprom(context, at);
        if (!read.ok()) {
            result.error = read.error;
            break;
        }
        bytes[result.done] = static_cast<uint8_t>(read.value);
    }
    return result;
}

}  // namespace vidscope::api
