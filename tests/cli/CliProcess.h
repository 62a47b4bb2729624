// SPDX-License-Identifier: MIT
// Runs vidscope-cli (or a checking tool) as a child process against its own virtual cameras.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

struct CliResult {
    int status = -1;  // exit status, or 128 + signal
    std::string out;
    std::string err;
    // The lines vidscope-cli itself wrote to stderr (the transport's notices left out).
    std::vector<std::string> cliErrorLines() const;
};

// Each instance owns a scratch folder: the virtual cameras' EEPROM files and the outputs.
class CliProcess {
public:
    CliProcess();
    ~CliProcess();
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    const std::string& dir() const { return dir_; }
    std::string path(const std::string& name) const { return dir_ + "/" + name; }

    // vidscope-cli with these arguments, waited for.
    CliResult cli(const std::vector<std::string>& args, const std::string& input = {}) const;
    // Any program; `input` is its standard input.
    CliResult run(const std::vector<std::string>& argv, const std::string& input = {}) const;
    // Starts vidscope-cli without waiting; finish() collects it.
    pid_t start(const std::vector<std::string>& args) const;
    CliResult finish(pid_t pid) const;

    // The result of python3 evaluating `expression` over the JSON document `json` (bound to
    // d), printed by Python: "ERROR ..." when the text is no JSON.
    std::string json(const std::string& json, const std::string& expression) const;
    // ffprobe's value of one stream entry (width, height, nb_frames, codec_name) of `file`.
    std::string probe(const std::string& file, const std::string& entry) const;

private:
    pid_t spawn(const std::vector<std::string>& argv, const std::string& input, int call) const;
    CliResult collect(pid_t pid, int call) const;
    std::string dir_;
    mutable int calls_ = 0;
};
