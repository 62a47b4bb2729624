// SPDX-License-Identifier: MIT
// vidscope-cli: cameras from shell scripts through the same camera API the program uses.
#include <cstdio>
#include <string>
#include <vector>

#include "base/TerminalText.h"
#include "cli/CliCommands.h"
#include "cli/TextEscape.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    vidscope::cli::CliCommands commands;
    while (!args.empty() && args.front().rfind("--", 0) == 0) {
        const std::string option = args.front();
        args.erase(args.begin());
        if (option == "--help") {
            vidscope::cli::CliCommands::printUsage();
            return 0;
        }
        if (option == "--virtual-camera" && !args.empty()) {
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
        std::fprintf(stderr, "vidscope-cli: no command given; see --help\n");
        return 2;
    }
    return commands.run(args);
}
