// SPDX-License-Identifier: MIT
// String descriptors: the language list (string 0) and UTF-16 texts.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace vidscope::usb {

struct StringDescriptor {
    static constexpr uint8_t kType = 3;
    static constexpr uint16_t kEnglishUs = 0x0409;

    // US English when string 0 lists it anywhere, else the first listed language, else 0.
    static uint16_t chooseLanguage(std::span<const uint8_t> string0);
    // The text of a string descriptor; null unless bLength > 2 and the type is 3. Only whole
    // UTF-16 units inside both bLength and the bytes given are taken.
    static std::optional<std::u16string> text(std::span<const uint8_t> bytes);
};

}  // namespace vidscope::usb
