// SPDX-License-Identifier: MIT
// The parameter file of the program, saved from and loaded into an open camera.
#pragma once

#include <string>

namespace vidscope::cli {

class ParamsCommand {
public:
    // RunError when the file cannot be written; ApiError when a getter fails.
    static void save(int camera, const std::string& path);
    // Bad usage for a file that is not a parameter file; RunError when it cannot be read;
    // ApiError for the first value the camera refused (the others are still applied).
    static void load(int camera, const std::string& path);
};

}  // namespace vidscope::cli
