// SPDX-License-Identifier: MIT
// Text from devices and users made safe for JSON strings, and numbers as short text.
#pragma once

#include <string>

namespace vidscope::cli {

// A JSON string literal, quotes included. Well-formed UTF-8 of visible characters passes;
// control and reordering characters become \uXXXX. Device strings need not be UTF-8: a byte
// that is not part of a well-formed sequence becomes \u00NN, the character of its value.
// (Terminal lines escape with base::printableText.)
std::string jsonString(const std::string& text);
// The shortest decimal text that reads back as the same double ("1.5", "2", "0.33").
std::string formatNumber(double value);

}  // namespace vidscope::cli
