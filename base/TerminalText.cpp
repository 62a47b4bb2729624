// SPDX-License-Identifier: MIT
// Makes text that came from a device or a file safe to print on a terminal.
#include "base/TerminalText.h"

#include <cstdio>

namespace vidscope::base {
namespace {

void appendByteEscape(std::string& out, unsigned char byte) {
    char escaped[5];
    std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
    out += escaped;
}

// Length of the well-formed UTF-8 sequence starting at `i` and its code point; 0 if none.
size_t utf8Sequence(std::string_view text, size_t i, uint32_t& codePoint) {
    const auto lead = static_cast<unsigned char>(text[i]);
    size_t length = 0;
    uint32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, codePoint = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, codePoint = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, codePoint = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80)
            return 0;
        codePoint = codePoint << 6 | (next & 0x3F);
    }
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    if (codePoint < minimum || codePoint > 0x10FFFF || surrogate)
        return 0;
    return length;
}

// C0 and C1 controls, DEL, and the characters that reorder or hide what follows them.
bool isInvisible(uint32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0x200B && c <= 0x200F) ||
           (c >= 0x2028 && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0xFEFF;
}

}  // namespace

TextUnit nextTextUnit(std::string_view text, size_t at) {
    TextUnit unit;
    const auto byte = static_cast<unsigned char>(text[at]);
    unit.codePoint = byte;
    if (byte < 0x80) {
        unit.wellFormed = true;
    } else if (uint32_t codePoint = 0; const size_t length = utf8Sequence(text, at, codePoint)) {
        unit.length = length;
        unit.codePoint = codePoint;
        unit.wellFormed = true;
    }
    unit.visible = unit.wellFormed && !isInvisible(unit.codePoint);
    return unit;
}

std::string printableText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const TextUnit unit = nextTextUnit(text, i);
        if (unit.codePoint == '\\') {
            out += "\\\\";
        } else if (unit.codePoint == '\n') {
            out += "\\n";
        } else if (unit.codePoint == '\t') {
            out += "\\t";
        } else if (unit.visible) {
            out.append(text.substr(i, unit.length));
        } else {
            for (size_t k = 0; k < unit.length; ++k)
                appendByteEscape(out, static_cast<unsigned char>(text[i + k]));
        }
        i += unit.length;
    }
    return out;
}

}  // namespace vidscope::base
