// SPDX-License-Identifier: MIT
// String descriptors: the language list (string 0) and UTF-16 texts.
#include "usb/StringDescriptor.h"

#include <algorithm>

#include "usb/host/RequestRecord.h"

namespace vidscope::usb {
namespace {

// The bytes after the two-byte header that both bLength and the data actually cover.
std::span<const uint8_t> payload(std::span<const uint8_t> bytes) {
    if (bytes.size() < 2)
        return {};
    const size_t end = std::min<size_t>(bytes[0], bytes.size());
    return end > 2 ? bytes.subspan(2, end - 2) : std::span<const uint8_t>{};
}

}  // namespace

uint16_t StringDescriptor::chooseLanguage(std::span<const uint8_t> string0) {
    const auto list = payload(string0);
    const size_t count = list.size() / 2;
    for (size_t i = 0; i < count; ++i) {
        if (host::le::read16(list.data() + 2 * i) == kEnglishUs)
            return kEnglishUs;
    }
    return count > 0 ? host::le::read16(list.data()) : 0;
}

std::optional<std::u16string> StringDescriptor::text(std::span<const uint8_t> bytes) {
    if (bytes.size() < 2 || bytes[0] <= 2 || bytes[1] != kType)
        return std::nullopt;
    const auto units = payload(bytes);
    std::u16string result(units.size() / 2, u'\0');
    for (size_t i = 0; i < result.size(); ++i) {
        result[i] = static_cast<char16_t>(host::le::read16(units.data() + 2 * i));
    }
    return result;
}

}  // namespace vidscope::usb
