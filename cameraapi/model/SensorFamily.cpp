// SPDX-License-Identifier: MIT
// Which trigger, strobe and polarity handling each sensor family has, by sensor code.
#include "cameraapi/model/SensorFamily.h"

namespace vidscope::api {

SensorFamily::Trigger SensorFamily::trigger(uint16_t sensorCode) {
    switch (sensorCode) {
        case 0x0500:
        case 0x050B:
            return Trigger::Mode1ERestart;
        case 0x0130:
        case 0x013B:
        case 0x0300:
            return Trigger::Mode1EPlain;
        case 0x0030:
        case 0x003B:
            return Trigger::Mode07;
        case 0x0A00:
        case 0x0A0B:
        case 0x0E00:
            return Trigger::StreamBit;
        case 0x0120:
        case 0x012B:
            return Trigger::ResetWord;
        case 0x0E60:
        case 0x0E6B:
        case 0x0E70:
        case 0x0E7B:
            return Trigger::Control0B;
        default:
            return Trigger::None;
    }
}

std::optional<RegisterBits> SensorFamily::strobe(uint16_t sensorCode) {
    switch (trigger(sensorCode)) {
        case Trigger::Mode1ERestart:
            return RegisterBits{0x1E, 0x10, true};
        case Trigger::Mode1EPlain:
            return RegisterBits{0x1E, 0x600, true};
        case Trigger::Mode07:
            return RegisterBits{0x1B, 0x01, false};  // the bit disables the output
        case Trigger::ResetWord:
            return RegisterBits{0x3046, 0x100, true};
        default:
            return std::nullopt;
    }
}

std::optional<RegisterBits> SensorFamily::strobePolarity(uint16_t sensorCode) {
    switch (trigger(sensorCode)) {
        case Trigger::Mode1ERestart:
            return RegisterBits{0x1E, 0x20, true};
        case Trigger::Mode07:
            return RegisterBits{0x1B, 0x02, true};
        case Trigger::ResetWord:
            return RegisterBits{0x3046, 0x80, true};
        default:
            return std::nullopt;
    }
}

}  // namespace vidscope::api
