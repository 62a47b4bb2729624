// SPDX-License-Identifier: MIT
// The verbs of vidscope-cli: the table that dispatches them and the ones that only report.
#pragma once

#include <string>
#include <vector>

namespace vidscope::cli {

struct Control;
class JsonWriter;

class CliCommands {
public:
    // Runs `args` (verb first). Returns the process exit code: 0 on success, 1 when the camera
    // or a file failed, 2 for bad usage; the reason goes to stderr as one line.
    int run(const std::vector<std::string>& args);
    bool attachVirtual(const std::string& codes);
    // The overview of every verb, for --help.
    static void printUsage();

    // The verbs that report or set, each given the words after the verb.
    static int list(const std::vector<std::string>& words);
    static int info(const std::vector<std::string>& words);
    static int get(const std::vector<std::string>& words);
    static int set(const std::vector<std::string>& words);
    static int demo(const std::vector<std::string>& words);
    // Prints the controls' values (all readable ones when `names` is empty).
    static int printControls(int camera, const std::vector<std::string>& names, bool json);

private:
    // The named controls (all readable ones when none is named); bad usage for an unknown
    // or write-only name.
    static std::vector<const Control*> readableControls(const std::vector<std::string>& names);
    // Prints name=value lines, or adds one object to `json` when it is given.
    static void writeControls(int camera, const std::vector<std::string>& names, JsonWriter* json);
};

}  // namespace vidscope::cli
