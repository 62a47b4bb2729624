// SPDX-License-Identifier: MIT
// Reads a comma-separated list of hexadecimal device codes ("3E00,0500"), the one grammar of
// the --virtual-camera option and of VIDSCOPE_VIRTUAL_CAMERAS.
#include "base/DeviceCodeList.h"

#include <optional>

#include "base/TerminalText.h"

namespace vidscope::base {
namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::optional<uint16_t> parseCode(std::string_view text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.remove_prefix(2);
    if (text.empty() || text.size() > 4)
        return std::nullopt;
    unsigned value = 0;
    for (char c : text) {
        const int digit = hexDigit(c);
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return static_cast<uint16_t>(value);
}

}  // namespace

DeviceCodeList DeviceCodeList::parse(std::string_view text) {
    DeviceCodeList list;
    if (trimmed(text).empty())
        return list;
    while (true) {
        const size_t comma = text.find(',');
        const std::string_view entry = trimmed(text.substr(0, comma));
        if (const std::optional<uint16_t> code = parseCode(entry))
            list.codes.push_back(*code);
        else
            list.malformed.emplace_back(entry);
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
    }
    return list;
}

std::string DeviceCodeList::problem() const {
    if (malformed.empty())
        return {};
    return (malformed.size() == 1 ? "not a device code: " : "not device codes: ") +
           summariseEntries(malformed) +
           " (expected hexadecimal device codes such as 3E00 or 3E00,0500)";
}

std::string summariseEntries(const std::vector<std::string>& entries, size_t shown) {
    // An entry of a megabyte is as unwelcome in a log line as a million entries.
    constexpr size_t kLongestShown = 24;
    std::string text;
    for (size_t i = 0; i < entries.size() && i < shown; ++i) {
        if (i > 0)
            text += ", ";
        const std::string& entry = entries[i];
        text += '"' + printableText(std::string_view(entry).substr(0, kLongestShown)) +
                (entry.size() > kLongestShown ? "...\"" : "\"");
    }
    if (entries.size() > shown)
        text += " and " + std::to_string(entries.size() - shown) + " more";
    return text;
}

}  // namespace vidscope::base
