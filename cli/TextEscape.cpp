// SPDX-License-Identifier: MIT
// Text from devices and users made safe for JSON strings, and numbers as short text.
#include "cli/TextEscape.h"

#include <charconv>
#include <cstdio>

#include "base/TerminalText.h"

namespace vidscope::cli {

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (size_t i = 0; i < text.size();) {
        const base::TextUnit unit = base::nextTextUnit(text, i);
        if (unit.codePoint == '"' || unit.codePoint == '\\') {
            out += '\\';
            out += static_cast<char>(unit.codePoint);
        } else if (unit.visible) {
            out.append(text, i, unit.length);
        } else {
            // Every invisible character lies in the basic plane, and a stray byte's value is
            // below 0x100: one escape each.
            char code[8];
            std::snprintf(code, sizeof code, "\\u%04X", static_cast<unsigned>(unit.codePoint));
            out += code;
        }
        i += unit.length;
    }
    return out + "\"";
}

std::string formatNumber(double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

}  // namespace vidscope::cli
