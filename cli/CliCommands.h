// SPDX-License-Identifier: MIT
// The commands of vidscope-cli, each a thin walk over the camera API.
#pragma once

#include <string>
#include <vector>

namespace vidscope::cli {

class CliCommands {
public:
    // Returns the process exit code: 0 on success, 1 when the camera failed, 2 for usage.
    int run(const std::vector<std::string>& args);
    bool attachVirtual(const std::string& codes);

private:
    int list();
    int info(int index);
    int grab(int index, const std::string& file, int frames);
    int demo(int frames);
    // Opens, streams `frames` raw frames into `frame`, and frees the camera again.
    bool stream(int index, int frames, std::vector<unsigned char>& frame, bool quiet);
    // Prints "what: CAMERA_ERROR_... (code)" for the calling thread's last error.
    static void reportFailure(const char* what);
};

}  // namespace vidscope::cli
