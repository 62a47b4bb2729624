// SPDX-License-Identifier: MIT
// Registers, EEPROM, parameter files and dead pixels through the process boundary.
#include <gtest/gtest.h>

#include <fstream>

#include "CliProcess.h"

namespace {

class CliDevice : public ::testing::Test {
protected:
    CliProcess cli;
};

TEST_F(CliDevice, EepromBytesSurviveTheProcessAndRegistersReadBackTheirWrite) {
    ASSERT_EQ(cli.cli({"eeprom", "1", "write", "0x100", "1", "0x7f", "255"}).status, 0);
    const CliResult read = cli.cli({"eeprom", "1", "read", "0x0FF", "5", "--json"});
    ASSERT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(cli.json(read.out, "d['address'], d['bytes'][1:4]"), "255 [1, 127, 255]");
    const CliResult text = cli.cli({"eeprom", "1", "read", "0x100", "3"});
    EXPECT_EQ(text.out, "0x0100: 01 7F FF\n");

    const CliResult reg = cli.cli({"reg", "2", "write", "0x10", "0x55", "--json"});
    ASSERT_EQ(reg.status, 0) << reg.err;
    EXPECT_EQ(cli.json(reg.out, "d['address'], d['value']"), "16 85");
}

#ifdef VIDSCOPE_CLI_QT
TEST_F(CliDevice, AParameterFileSavedOnOneModelLoadsIntoAnother) {
    const std::string file = cli.path("setup.txt");
    const CliResult save = cli.cli({"params", "0", "save", file, "gamma=1.4", "contrast=1.2",
                                    "black_level=7", "exposure=321"});
    ASSERT_EQ(save.status, 0) << save.err;
    std::ifstream in(file);
    std::string first;
    std::getline(in, first);
    EXPECT_FALSE(first.empty());
    const CliResult load = cli.cli({"params", "2", "load", file, "--json"});
    ASSERT_EQ(load.status, 0) << load.err;
    EXPECT_EQ(cli.json(load.out, "d['gamma'], d['contrast'], d['black_level'], d['exposure']"),
              "1.4 1.2 7 321");
}

TEST_F(CliDevice, ALoadOfAnythingButAParameterFileChangesNothing) {
    const std::string file = cli.path("notes.txt");
    std::ofstream(file) << "[Camera]\nGamma=0.5\n";
    const CliResult result = cli.cli({"params", "0", "load", file});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.cliErrorLines().size(), 1u) << result.err;
    const CliResult missing = cli.cli({"params", "0", "load", cli.path("none.txt")});
    EXPECT_EQ(missing.status, 1);
}
#endif

TEST_F(CliDevice, DeadPixelListsAreClearedAndABrightFrameIsNoDarkFrame) {
    ASSERT_EQ(cli.cli({"deadpixels", "2", "clear"}).status, 0);
    const CliResult list = cli.cli({"deadpixels", "2", "list", "--json"});
    ASSERT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(cli.json(list.out, "d"), "[]");
    // The virtual camera shows a bright test chart: "find" must refuse it rather than store
    // a list that would blank out half the picture.
    const CliResult find = cli.cli({"deadpixels", "2", "write", "--threshold", "10"});
    EXPECT_EQ(find.status, 1);
    EXPECT_NE(find.err.find("cover the lens"), std::string::npos) << find.err;
    EXPECT_EQ(cli.json(cli.cli({"deadpixels", "2", "list", "--json"}).out, "d"), "[]");
}

}  // namespace
