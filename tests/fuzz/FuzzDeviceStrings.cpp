// SPDX-License-Identifier: MIT
// libFuzzer target for text that devices and users hand us: names escaped for the terminal
// and for JSON, device-code lists reported in one line.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/DeviceCodeList.h"
#include "base/TerminalText.h"
#include "cli/TextEscape.h"

namespace {

// Nothing that steers a terminal may survive the escaping: no C0 control, no DEL, and no
// byte of a C1 control or an ESC sequence's introducer.
bool terminalSafe(std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte == 0x7F)
            return false;
        if (byte == 0xC2 && i + 1 < text.size() &&
            static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
            static_cast<unsigned char>(text[i + 1]) <= 0x9F)
            return false;
    }
    return true;
}

// One JSON string literal and nothing else: no raw control character, no quote that ends it
// early, no escape left open; and, as on the terminal, nothing that steers the display.
bool oneJsonString(std::string_view text) {
    if (text.size() < 2 || text.front() != '"' || text.back() != '"' || !terminalSafe(text))
        return false;
    for (size_t i = 1; i + 1 < text.size(); ++i) {
        if (text[i] == '"')
            return false;
        if (text[i] == '\\' && ++i + 1 >= text.size())
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (!terminalSafe(vidscope::base::printableText(input)))
        __builtin_trap();
    if (!oneJsonString(vidscope::cli::jsonString(std::string(input))))
        __builtin_trap();
    const std::string problem = vidscope::base::DeviceCodeList::parse(input).problem();
    // Three entries of at most 24 bytes, each escaped to at most four bytes a byte.
    if (!terminalSafe(problem) || problem.size() > 512)
        __builtin_trap();
    return 0;
}
