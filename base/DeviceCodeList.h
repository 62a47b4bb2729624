// SPDX-License-Identifier: MIT
// Reads a comma-separated list of hexadecimal device codes ("3E00,0500"), the one grammar of
// the --virtual-camera option and of VIDSCOPE_VIRTUAL_CAMERAS.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vidscope::base {

// Each entry is one to four hexadecimal digits with an optional "0x" and spaces around it;
// an empty list names no camera. An empty entry ("3E00,,0500") is malformed.
struct DeviceCodeList {
    std::vector<uint16_t> codes;
    // The entries that were not device codes, in order, without their surrounding spaces.
    std::vector<std::string> malformed;

    static DeviceCodeList parse(std::string_view text);
    bool valid() const { return malformed.empty(); }

    // One short line naming at most the first three malformed entries (escaped for a
    // terminal, long ones cut) and how many more there were; empty when the list is valid.
    std::string problem() const;
};

// Names a list of entries for a one-line message: the first `shown`, quoted, escaped and cut
// after 24 bytes ("..."), then "and N more".
std::string summariseEntries(const std::vector<std::string>& entries, size_t shown = 3);

}  // namespace vidscope::base
