// SPDX-License-Identifier: MIT
// vidscope-cli: lists, inspects and streams cameras through the camera API.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/TerminalText.h"
#include "cli/CliCommands.h"

namespace {

void printUsage() {
    std::puts(
        "usage: vidscope-cli [--virtual-camera CODE[,CODE...]] COMMAND [ARGS]\n"
        "\n"
        "commands:\n"
        "  list                 the attached cameras, real ones first\n"
        "  info INDEX           model, firmware, USB speed and frame size of one camera\n"
        "  grab INDEX FILE [N]  streams N raw frames (default 1), writes the last to FILE\n"
        "  demo [FRAMES]        opens every camera in turn and streams FRAMES raw frames\n"
        "                       (default 30); with no camera attached it uses a virtual one\n"
        "\n"
        "VIDSCOPE_VIRTUAL_CAMERAS=3E00,0500 asks for virtual cameras by device code, as does\n"
        "--virtual-camera. VIDSCOPE_LOG=\"api=debug\" switches log categories.");
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    vidscope::cli::CliCommands commands;
    while (!args.empty() && args.front().rfind("--", 0) == 0) {
        const std::string option = args.front();
        args.erase(args.begin());
        if (option == "--help") {
            printUsage();
            return 0;
        }
        if (option == "--virtual-camera") {
            if (args.empty()) {
                std::fputs("vidscope-cli: --virtual-camera needs a value; see --help\n", stderr);
                return 2;
            }
            if (!commands.attachVirtual(args.front()))
                return 2;
            args.erase(args.begin());
            continue;
        }
        std::fprintf(stderr, "vidscope-cli: unknown option %s; see --help\n",
                     vidscope::base::printableText(option).c_str());
        return 2;
    }
    if (args.empty()) {
        printUsage();
        return 2;
    }
    return commands.run(args);
}
