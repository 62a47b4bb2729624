// SPDX-License-Identifier: MIT
// Text from devices and users made safe for a terminal line and for JSON strings.
#include "cli/TextEscape.h"

#include <charconv>
#include <cstdio>

namespace vidscope::cli {

std::string escapeText(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c < 0x20 || c > 0x7E || c == '\\') {
            char code[8];
            std::snprintf(code, sizeof code, c == '\\' ? "\\\\" : "\\x%02X", c);
            out += code;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c > 0x7E) {
            // Device strings are not guaranteed UTF-8; each byte stands for itself.
            char code[8];
            std::snprintf(code, sizeof code, "\\u%04X", c);
            out += code;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string formatNumber(double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

}  // namespace vidscope::cli
