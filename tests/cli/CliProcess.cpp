// SPDX-License-Identifier: MIT
// Runs vidscope-cli (or a checking tool) as a child process against its own virtual cameras.
#include "CliProcess.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace {

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

std::vector<std::string> CliResult::cliErrorLines() const {
    std::vector<std::string> lines;
    std::istringstream in(err);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("vidscope-cli:", 0) == 0)
            lines.push_back(line);
    }
    return lines;
}

CliProcess::CliProcess() {
    char pattern[] = "/tmp/vidscope-cli-test-XXXXXX";
    if (mkdtemp(pattern) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    dir_ = pattern;
}

CliProcess::~CliProcess() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

pid_t CliProcess::spawn(const std::vector<std::string>& argv, const std::string& input,
                        int call) const {
    const std::string base = dir_ + "/.call" + std::to_string(call);
    std::ofstream(base + ".in", std::ios::binary) << input;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, (base + ".in").c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, (base + ".out").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, (base + ".err").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> args;
    for (const std::string& word : argv)
        args.push_back(const_cast<char*>(word.c_str()));
    args.push_back(nullptr);
    // Three virtual cameras of different models (USB 3 colour, USB 2 colour, monochrome),
    // each with its EEPROM in this test's folder, frames as fast as they can be made.
    setenv("VIDSCOPE_VIRTUAL_CAMERAS", "3E00,0500,012B", 1);
    setenv("VIDSCOPE_VIRTUAL_DIR", dir_.c_str(), 1);
    setenv("VIDSCOPE_VIRTUAL_UNPACED", "1", 1);
    setenv("VIDSCOPE_LIBUSB", "0", 1);
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0)
        throw std::runtime_error("cannot start " + argv[0]);
    return pid;
}

CliResult CliProcess::collect(pid_t pid, int call) const {
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    const std::string base = dir_ + "/.call" + std::to_string(call);
    CliResult result;
    result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    result.out = slurp(base + ".out");
    result.err = slurp(base + ".err");
    return result;
}

CliResult CliProcess::run(const std::vector<std::string>& argv, const std::string& input) const {
    const int call = ++calls_;
    return collect(spawn(argv, input, call), call);
}

CliResult CliProcess::cli(const std::vector<std::string>& args, const std::string& input) const {
    std::vector<std::string> argv{VIDSCOPE_CLI};
    argv.insert(argv.end(), args.begin(), args.end());
    return run(argv, input);
}

pid_t CliProcess::start(const std::vector<std::string>& args) const {
    std::vector<std::string> argv{VIDSCOPE_CLI};
    argv.insert(argv.end(), args.begin(), args.end());
    // Calls are numbered so that the started one's output files stay its own.
    return spawn(argv, {}, 1000 + ++calls_);
}

CliResult CliProcess::finish(pid_t pid) const {
    return collect(pid, 1000 + calls_);
}

std::string CliProcess::json(const std::string& json, const std::string& expression) const {
    const std::string script =
        "import json, sys\n"
        "try:\n"
        "    d = json.loads(sys.stdin.read())\n"
        "except ValueError as e:\n"
        "    print('ERROR', e); sys.exit(0)\n"
        "print(" +
        expression + ")\n";
    std::string out = run({VIDSCOPE_PYTHON, "-c", script}, json).out;
    while (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

std::string CliProcess::probe(const std::string& file, const std::string& entry) const {
    std::string out =
        run({VIDSCOPE_FFPROBE, "-v", "error", "-count_frames", "-select_streams", "v:0",
             "-show_entries", "stream=" + entry, "-of", "default=noprint_wrappers=1:nokey=1", file})
            .out;
    while (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}
