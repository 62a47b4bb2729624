// SPDX-License-Identifier: MIT
// The verbs that reach into the camera's memory: registers, EEPROM, user data, parameter
// groups and files, dead pixels.
#pragma once

#include <string>
#include <vector>

namespace vidscope::cli {

class DeviceCommands {
public:
    static int reg(const std::vector<std::string>& words);
    static int eeprom(const std::vector<std::string>& words);
    static int userdata(const std::vector<std::string>& words);
    static int params(const std::vector<std::string>& words);
    static int deadpixels(const std::vector<std::string>& words);
};

}  // namespace vidscope::cli
