// SPDX-License-Identifier: MIT
// The command line's parsers and writers on their own: numbers, control values, escaping,
// JSON nesting and the dead-pixel scan, where a slip would reach the camera or a script.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "CliProcess.h"
#include "base/TerminalText.h"
#include "cli/CliArgs.h"
#include "cli/CliError.h"
#include "cli/ControlTable.h"
#include "cli/DeadPixelFinder.h"
#include "cli/JsonWriter.h"
#include "cli/TextEscape.h"

namespace {

using vidscope::cli::CliArgs;
using vidscope::cli::ControlTable;
using vidscope::cli::DeadPixelFinder;
using vidscope::cli::JsonWriter;
using vidscope::cli::RunError;
using vidscope::cli::UsageError;

TEST(CliNumbers, TakeDecimalAndHexWholeWordsOnlyWithinRange) {
    EXPECT_EQ(CliArgs::integer("0x1D00", 0, 0xFFFF, "ADDR"), 0x1D00);
    EXPECT_EQ(CliArgs::integer("-3", -5, 5, "n"), -3);
    for (const char* bad : {"", " 1", "1 ", "12abc", "0x", "1.5", "99999999999999999999"})
        EXPECT_THROW(CliArgs::integer(bad, 0, LLONG_MAX, "n"), UsageError) << bad;
    EXPECT_THROW(CliArgs::integer("0x10000", 0, 0xFFFF, "ADDR"), UsageError);
    EXPECT_THROW(CliArgs::integer("-1", 0, 10, "n"), UsageError);
    EXPECT_DOUBLE_EQ(CliArgs::real("0.3", 0.3, 2.0, "gamma"), 0.3);
    for (const char* bad : {"nan", "inf", "1e999", "abc", "1,5", "2.0000001", " 1", "\t1"})
        EXPECT_THROW(CliArgs::real(bad, 0.3, 2.0, "gamma"), UsageError) << bad;
}

TEST(CliNumbers, OptionsNeedTheirValuesAndUnknownOnesAreRefused) {
    const CliArgs args({"0", "--count", "3", "-7", "--json"}, {"--count"}, {"--json"});
    EXPECT_EQ(args.positional(), (std::vector<std::string>{"0", "-7"}));
    EXPECT_EQ(args.value("--count"), "3");
    EXPECT_TRUE(args.has("--json"));
    EXPECT_THROW(CliArgs({"0", "--count"}, {"--count"}, {}), UsageError);
    EXPECT_THROW(CliArgs({"0", "--jsn"}, {}, {"--json"}), UsageError);
    EXPECT_THROW(args.expectCount(3, 3, "x"), UsageError);
    EXPECT_THROW(args.expectCount(0, 1, "x"), UsageError);
}

TEST(CliControlValues, SwitchesListsAndRangesAreCheckedBeforeTheCamera) {
    EXPECT_EQ(ControlTable::parseAssignment("awb=on").second, std::vector<double>{1});
    EXPECT_EQ(ControlTable::parseAssignment("mirror_x=off").second, std::vector<double>{0});
    EXPECT_EQ(ControlTable::parseAssignment("wb=1,0.5,3").second, (std::vector<double>{1, 0.5, 3}));
    EXPECT_EQ(ControlTable::parseAssignment("ccm=1,0,0,0,1,0,0,0,1").second.size(), 9u);
    for (const char* bad :
         {"gain=on", "gain=0", "gain=256", "gain=1.5", "wb=1,1", "wb=1,1,1,1", "wb=1,,1", "awb=2",
          "awb=yes", "timeout=499", "gamma=", "=1", "size=1,1", "exposure_ms=1", "nosuch=1",
          "roi=0,0,640", "anti_flicker=3", "strobe"})
        EXPECT_THROW(ControlTable::parseAssignment(bad), UsageError) << bad;
    // Every control in the table can be read, written, or both, and has a usable range.
    for (const auto& control : ControlTable::all()) {
        EXPECT_TRUE(control.get != nullptr || control.set != nullptr) << control.name;
        EXPECT_TRUE(control.set == nullptr || control.min <= control.max) << control.name;
        EXPECT_EQ(ControlTable::find(control.name), &control);
    }
    const auto* wb = ControlTable::find("wb");
    EXPECT_EQ(ControlTable::format(*wb, {1.1, 1, 0.25}), "1.1,1,0.25");
}

TEST(CliText, EveryByteEscapesIntoAPrintableLineAndValidJson) {
    std::string all;
    for (int byte = 1; byte < 256; ++byte)
        all += static_cast<char>(byte);
    const std::string line = vidscope::base::printableText(all);
    for (unsigned char c : line)
        EXPECT_TRUE(c >= 0x20 && c <= 0x7E) << int(c);
    // Python reads the JSON string back into the same 255 code points, one per byte.
    CliProcess process;
    EXPECT_EQ(
        process.json(vidscope::cli::jsonString(all), "[ord(c) for c in d] == list(range(1, 256))"),
        "True");
    // A name in UTF-8 reads back as its characters, not as one character per byte; a
    // character that reorders the line is escaped and still reads back as itself.
    const std::string name =
        "M\xC3\xBCller \xE6\x98\xBE\xE2\x80\xAE"
        "1";
    EXPECT_EQ(vidscope::cli::jsonString(name), "\"M\xC3\xBCller \xE6\x98\xBE\\u202E1\"");
    EXPECT_EQ(process.json(vidscope::cli::jsonString(name), "d == 'M\\u00fcller \\u663e\\u202e1'"),
              "True");
    EXPECT_EQ(vidscope::base::printableText(name), "M\xC3\xBCller \xE6\x98\xBE\\xE2\\x80\\xAE1");
}

TEST(CliJson, NestedMembersAndElementsAreSeparatedOnce) {
    JsonWriter json;
    json.beginObject();
    json.key("a");
    json.beginArray();
    json.numbers({1, 2});
    json.beginObject();
    json.endObject();
    json.value(std::nan(""));
    json.endArray();
    json.key("b");
    json.value(false);
    json.key("c");
    json.null();
    json.endObject();
    EXPECT_EQ(json.text(), R"({"a":[[1,2],{},null],"b":false,"c":null})");
}

TEST(CliDeadPixels, BrighterThanTheThresholdCountsAndTooManyIsRefused) {
    std::vector<unsigned char> frame(8 * 4, 10);
    frame[1 * 8 + 5] = 200;
    frame[3 * 8 + 0] = 129;
    frame[2 * 8 + 2] = 128;  // at the threshold: not above it
    const auto pixels = DeadPixelFinder::scan(frame, 8, 4, 128);
    EXPECT_EQ(pixels, (std::vector<std::pair<unsigned, unsigned>>{{5, 1}, {0, 3}}));
    std::vector<unsigned char> bright(64 * 1, 255);
    EXPECT_THROW(DeadPixelFinder::scan(bright, 64, 1, 128), RunError);
    bright.resize(63);
    EXPECT_EQ(DeadPixelFinder::scan(bright, 63, 1, 128).size(), 63u);
}

}  // namespace
