// SPDX-License-Identifier: MIT
// get, set, info and list through the process boundary, and what bad usage gets back.
#include <gtest/gtest.h>

#include "CliProcess.h"

namespace {

class CliControls : public ::testing::Test {
protected:
    CliProcess cli;
};

TEST_F(CliControls, SetReportsWhatTheCameraHoldsAndAGroupKeepsItAcrossRuns) {
    const CliResult set = cli.cli({"set", "0", "gamma=1.5", "wb=1.1,1.2,1.3", "exposure=800",
                                   "mirror_x=on", "resolution=3", "--store", "0", "--json"});
    ASSERT_EQ(set.status, 0) << set.err;
    EXPECT_EQ(cli.json(set.out, "d['gamma'], d['wb'], d['exposure'], d['mirror_x']"),
              "1.5 [1.1, 1.2, 1.3] 800 1");
    // The camera forgets settings when it is closed; the group in its EEPROM does not.
    const CliResult fresh = cli.cli({"get", "0", "gamma", "exposure", "--json"});
    ASSERT_EQ(fresh.status, 0) << fresh.err;
    EXPECT_NE(cli.json(fresh.out, "d['gamma']"), "1.5");
    const CliResult recalled = cli.cli({"params", "0", "recall", "0", "--json"});
    ASSERT_EQ(recalled.status, 0) << recalled.err;
    EXPECT_EQ(cli.json(recalled.out, "d['gamma'], d['wb'], d['exposure'], d['mirror_x']"),
              "1.5 [1.1, 1.2, 1.3] 800 1");
}

TEST_F(CliControls, EveryReadableControlComesBackAsTextAndAsJson) {
    const CliResult text = cli.cli({"get", "1"});
    const CliResult json = cli.cli({"get", "1", "--json"});
    ASSERT_EQ(text.status, 0) << text.err;
    ASSERT_EQ(json.status, 0) << json.err;
    // One line per control in the text, one member per control in the JSON.
    const std::string lines = std::to_string(std::count(text.out.begin(), text.out.end(), '\n'));
    EXPECT_EQ(cli.json(json.out, "len(d)"), lines);
    EXPECT_EQ(cli.json(json.out, "len(d['ccm']), len(d['roi']), d['roi']"), "9 4 [0, 0, 0, 0]");
    EXPECT_NE(text.out.find("size=2592,1944\n"), std::string::npos) << text.out;
}

TEST_F(CliControls, ListAndInfoJsonDescribeEachModel) {
    const CliResult list = cli.cli({"list", "--json"});
    ASSERT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(cli.json(list.out, "[hex(c['device_code']) for c in d]"),
              "['0x3e00', '0x500', '0x12b']");
    const CliResult info = cli.cli({"info", "0", "--json"});
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_EQ(cli.json(info.out, "d['usb_speed'], d['resolutions'][0], len(d['resolutions'])"),
              "super speed [4384, 3288] 4");
    EXPECT_EQ(cli.json(info.out, "d['controls']['size'], d['controls']['gain']"),
              "[4384, 3288] 16");
}

TEST_F(CliControls, BadUsageExitsTwoWithOneLineAndTouchesNoCamera) {
    const std::vector<std::vector<std::string>> cases = {
        {"frobnicate"},
        {"get", "0", "nosuchcontrol"},
        {"set", "0", "gamma=abc"},
        {"set", "0", "gamma=9"},
        {"set", "0", "wb=1,1"},
        {"set", "0", "brightness=3"},
        {"set", "0", "gamma"},
        {"set", "0"},
        {"info"},
        {"info", "0", "extra"},
        {"info", "7"},
        {"info", "-1"},
        {"info", "zero"},
        {"grab", "0", "x.png", "--count"},
        {"grab", "0", "x.png", "--count", "0"},
        {"grab", "0", "x.png", "--format", "raw"},
        {"grab", "0", "x%s.png", "--count", "2"},
        {"record", "0", "x.avi"},
        {"record", "0", "x.avi", "--seconds", "1", "--frames", "3"},
        {"reg", "0", "poke", "1"},
        {"reg", "0", "read", "0x10000"},
        {"eeprom", "0", "write", "0x10", "256"},
        {"eeprom", "0", "read", "0xFFFF", "2"},
        {"userdata", "0", "write", "abc"},
        {"userdata", "0", "write", "thirteen-char", "--force"},
        {"params", "0", "store", "2"},
        {"deadpixels", "0", "list", "--threshold", "x"},
        {"list", "--bogus"},
    };
    for (const auto& args : cases) {
        std::string line;
        for (const auto& word : args)
            line += word + " ";
        const CliResult result = cli.cli(args);
        EXPECT_EQ(result.status, 2) << line << result.err;
        EXPECT_EQ(result.cliErrorLines().size(), 1u) << line << result.err;
        EXPECT_TRUE(result.out.empty()) << line << result.out;
    }
}

TEST_F(CliControls, RefusedByTheCameraExitsOneWithTheErrorName) {
    // An odd region size passes the command line but not the camera API.
    const CliResult result = cli.cli({"set", "0", "roi=0,0,641,480"});
    EXPECT_EQ(result.status, 1);
    ASSERT_EQ(result.cliErrorLines().size(), 1u) << result.err;
    EXPECT_NE(result.err.find("CAMERA_ERROR_PARAMETER_UNREASONABLE"), std::string::npos);
}

TEST_F(CliControls, DeviceTextIsEscapedAndJsonStaysJson) {
    // A camera may carry any bytes as its user data; a terminal and a parser must survive them.
    ASSERT_EQ(cli.cli({"userdata", "0", "write", "a\x1b[2J\"\\\x7f", "--force"}).status, 0);
    const CliResult text = cli.cli({"userdata", "0"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(text.out, "a\\x1B[2J\"\\\\\\x7F\n");
    const CliResult json = cli.cli({"userdata", "0", "--json"});
    EXPECT_EQ(cli.json(json.out, "repr(d['text'])"), "'a\\x1b[2J\"\\\\\\x7f'");
}

TEST_F(CliControls, HelpExistsForEveryVerbAndExitsZero) {
    for (const char* verb : {"list", "info", "get", "set", "grab", "record", "stream", "reg",
                             "eeprom", "userdata", "params", "deadpixels"}) {
        const CliResult result = cli.cli({verb, "--help"});
        EXPECT_EQ(result.status, 0) << verb;
        EXPECT_EQ(result.out.rfind(std::string("usage: vidscope-cli ") + verb, 0), 0u) << verb;
    }
    EXPECT_NE(cli.cli({"set", "--help"}).out.find("strobe_invert"), std::string::npos);
}

}  // namespace
