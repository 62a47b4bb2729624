// SPDX-License-Identifier: MIT
// The EEPROM contents a camera leaves the factory with.
#pragma once

#include <cstdint>
#include <string>

#include "sim/Eeprom.h"
#include "sim/VirtualModel.h"

namespace vidscope::sim {

// EEPROM addresses the host software relies on.
namespace eeprom_map {
inline constexpr uint16_t kUserData = 0x1D00;
inline constexpr uint16_t kUserDataLength = 12;
inline constexpr uint16_t kColourMatrix = 0x1D20;
inline constexpr uint16_t kNameLength = 0x1D50;
inline constexpr uint16_t kName = 0x1D51;
inline constexpr uint16_t kNameMaxLength = 30;
inline constexpr uint16_t kDeadPixelCount = 0x1E00;
inline constexpr uint16_t kParameterGroup0 = 0x1F00;
inline constexpr uint16_t kParameterGroup1 = 0x1F40;
inline constexpr uint16_t kParameterGroupSize = 40;
}  // namespace eeprom_map

struct FactorySettings {
    uint32_t instance = 1;       // seeds the camera's identifier
    std::string customName;      // programmed only when not empty (at most 30 characters)
    uint16_t exposureLines = 1;  // the model's default exposure
    uint16_t frameTimeoutMs = 500;
};

// Unprogrammed cells read 0xFF; programmed: the identifier, a colour matrix fitting the
// sensor (identity for monochrome and YUV sensors), the name length, an empty dead-pixel
// list and both parameter groups with the model's default settings.
Eeprom::Image factoryEepromImage(const VirtualModel& model, const FactorySettings& settings);

}  // namespace vidscope::sim
