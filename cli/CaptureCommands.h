// SPDX-License-Identifier: MIT
// The verbs that stream frames: grab, record and stream.
#pragma once

#include <string>
#include <vector>

namespace vidscope::cli {

class CaptureCommands {
public:
    static int grab(const std::vector<std::string>& words);
    static int record(const std::vector<std::string>& words);
    static int stream(const std::vector<std::string>& words);
    // Opens camera `index`, streams `frames` raw frames and prints the rate (the demo).
    static void streamFrames(int index, int frames);
};

}  // namespace vidscope::cli
