// SPDX-License-Identifier: MIT
// Makes text that came from a device or a file safe to print on a terminal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vidscope::base {

// Device strings (names, serial numbers) are chosen by whoever programmed the camera: an
// escape sequence or newline in them must not drive the terminal or forge output lines.
// Printable ASCII and well-formed UTF-8 of printable characters pass; control characters
// (C0, DEL, C1), bidirectional overrides, invalid UTF-8 and the backslash itself come out as
// "\n", "\t", "\\" or "\xNN" per byte.
std::string printableText(std::string_view text);

// One step through text that may or may not be UTF-8, for writers of other escaped forms.
struct TextUnit {
    size_t length = 1;        // bytes the unit takes
    uint32_t codePoint = 0;   // of a well-formed sequence; the byte itself otherwise
    bool wellFormed = false;  // ASCII, or a well-formed UTF-8 sequence
    bool visible = false;     // well formed and neither a control nor a reordering character
};
TextUnit nextTextUnit(std::string_view text, size_t at);

}  // namespace vidscope::base
