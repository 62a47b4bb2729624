// SPDX-License-Identifier: MIT
// vidscope-cli as a user runs it: argument checks, exit codes and what reaches the terminal.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "sim/CameraFirmware.h"
#include "sim/VirtualModel.h"

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

std::string slurp(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string quoted(const std::string& word) {
    std::string q = "'";
    for (char c : word)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "vscli-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    // Runs the program in the scratch folder with these virtual cameras and arguments.
    Outcome run(const std::string& cameras, const std::vector<std::string>& args) const {
        std::string command = "cd " + quoted(dir_.string()) +
                              " && VIDSCOPE_VIRTUAL_DIR=. VIDSCOPE_VIRTUAL_UNPACED=1 "
                              "VIDSCOPE_LIBUSB=0 VIDSCOPE_VIRTUAL_CAMERAS=" +
                              quoted(cameras) + " " + quoted(VIDSCOPE_CLI_BINARY);
        for (const std::string& a : args)
            command += " " + quoted(a);
        command += " >out.txt 2>err.txt";
        const int raw = std::system(command.c_str());
        Outcome r;
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = slurp(dir_ / "out.txt");
        r.err = slurp(dir_ / "err.txt");
        return r;
    }

    static size_t lines(const std::string& text) {
        size_t n = 0;
        for (char c : text)
            n += c == '\n';
        return n;
    }

    fs::path dir_;
};

TEST_F(Cli, CountsAndIndexesOutOfRangeAreUsageErrorsOfOneLine) {
    const std::vector<std::vector<std::string>> bad{
        {"grab", "0", "f.raw", "0"},
        {"grab", "0", "f.raw", "-5"},
        {"grab", "0", "f.raw", "2x"},
        {"grab", "-1", "f.raw"},
        {"grab", "256", "f.raw"},
        {"demo", "-3"},
        {"demo", "0"},
        {"info", "x"},
        {"demo", "99999999999"},
    };
    for (const auto& args : bad) {
        SCOPED_TRACE(args[0] + " " + args[1] + " " + args.back());
        const Outcome r = run("0500", args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(lines(r.err), 1u) << r.err;
        EXPECT_NE(r.err.find("must be a number from"), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_FALSE(fs::exists(dir_ / "f.raw"));
    }
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--virtual-camera"},
                                                 {"--virtual-camera", "zz", "list"},
                                                 {"--bogus\x1b[2J", "list"}}) {
        const Outcome r = run("", args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(lines(r.err), 1u) << r.err;
        EXPECT_EQ(r.err.find('\x1b'), std::string::npos);
    }
}

TEST_F(Cli, GrabWritesTheLastOfTheFramesAsked) {
    const Outcome r = run("3120", {"grab", "0", "f.raw", "2"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string frame = slurp(dir_ / "f.raw");
    ASSERT_FALSE(frame.empty());
    EXPECT_NE(r.out.find("wrote " + std::to_string(frame.size()) + " bytes"), std::string::npos);
    EXPECT_NE(frame.find_first_not_of('\0'), std::string::npos) << "a frame of zeros";
}

TEST_F(Cli, CustomNameFromTheCameraNeverReachesTheTerminalRaw) {
    {
        // A camera whose owner programmed escape sequences and a newline into its name.
        vidscope::sim::FirmwareOptions options;
        options.stateDirectory = dir_;
        options.customName = "\x1b]0;pwn\x07\nfake";
        vidscope::sim::CameraFirmware::create(*vidscope::sim::findVirtualModel(0x0500), options);
    }
    ASSERT_TRUE(fs::exists(dir_ / "0500-1.eeprom"));
    const Outcome r = run("0500", {"list"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.find('\x1b'), std::string::npos);
    EXPECT_EQ(r.out.find('\x07'), std::string::npos);
    EXPECT_EQ(lines(r.out), 2u) << r.out;
    EXPECT_NE(r.out.find("\\x1B]0;pwn\\x07\\nfake"), std::string::npos) << r.out;
}

TEST_F(Cli, EnvironmentListFollowsTheOptionsGrammar) {
    // An empty list is no camera at all; a malformed entry is reported once and skipped.
    Outcome r = run("", {"list"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "0 camera(s)\n");
    EXPECT_EQ(r.err.find("virtual cameras"), std::string::npos) << r.err;

    r = run("0500,0x3e00, zz ,", {"list"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.substr(0, 12), "2 camera(s)\n");
    EXPECT_NE(r.err.find("\"zz\""), std::string::npos) << r.err;
}

}  // namespace
