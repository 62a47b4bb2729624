// SPDX-License-Identifier: MIT
// Text from devices and users made safe for a terminal line and for JSON strings.
#pragma once

#include <string>

namespace vidscope::cli {

// Control characters and bytes above 0x7E become \xNN, so that a camera name programmed with
// escape sequences cannot drive the terminal or break a line-oriented script.
std::string escapeText(const std::string& text);
// A JSON string literal, quotes included; bytes that are not printable ASCII become \u00NN.
std::string jsonString(const std::string& text);
// The shortest decimal text that reads back as the same double ("1.5", "2", "0.33").
std::string formatNumber(double value);

}  // namespace vidscope::cli
