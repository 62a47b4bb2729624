// SPDX-License-Identifier: MIT
// The device-code list grammar and the escaping of device strings for a terminal.
#include <gtest/gtest.h>

#include <string>

#include "base/DeviceCodeList.h"
#include "base/TerminalText.h"

namespace vidscope::base {
namespace {

TEST(DeviceCodeList, AcceptsCodesInEverySpellingAndCollectsTheRest) {
    const DeviceCodeList good = DeviceCodeList::parse(" 3e00,0x0500 ,12B,0XA0B");
    EXPECT_TRUE(good.valid());
    EXPECT_EQ(good.codes, (std::vector<uint16_t>{0x3E00, 0x0500, 0x012B, 0x0A0B}));

    const DeviceCodeList bad = DeviceCodeList::parse("3E00,,zz,12345,0x,0500");
    EXPECT_EQ(bad.codes, (std::vector<uint16_t>{0x3E00, 0x0500}));
    EXPECT_EQ(bad.malformed, (std::vector<std::string>{"", "zz", "12345", "0x"}));
    EXPECT_EQ(bad.problem(),
              "not device codes: \"\", \"zz\", \"12345\" and 1 more (expected hexadecimal device "
              "codes such as 3E00 or 3E00,0500)");

    // Nothing, or only blanks: no camera and no complaint.
    for (const char* empty : {"", "  "}) {
        const DeviceCodeList none = DeviceCodeList::parse(empty);
        EXPECT_TRUE(none.valid());
        EXPECT_TRUE(none.codes.empty());
        EXPECT_EQ(none.problem(), "");
    }
}

TEST(DeviceCodeList, ReportOfAHugeListStaysOneShortLine) {
    std::string text;
    for (int i = 0; i < 10000; ++i)
        text += "bad\x1b[31m,";
    const DeviceCodeList list = DeviceCodeList::parse(text);
    EXPECT_EQ(list.malformed.size(), 10001u);
    const std::string problem = list.problem();
    EXPECT_LT(problem.size(), 200u);
    EXPECT_NE(problem.find("and 9998 more"), std::string::npos);
    EXPECT_EQ(problem.find('\x1b'), std::string::npos);

    const std::string huge(1 << 20, 'q');
    EXPECT_EQ(DeviceCodeList::parse(huge + ",0500").problem(),
              "not a device code: \"" + std::string(24, 'q') +
                  "...\" (expected hexadecimal device codes such as 3E00 or 3E00,0500)");
}

TEST(TerminalText, ControlCharactersComeOutEscapedAndPrintableTextUnchanged) {
    EXPECT_EQ(printableText("Camera 1 (A-Z_09)"), "Camera 1 (A-Z_09)");
    EXPECT_EQ(printableText("a\nb\tc\\d"), "a\\nb\\tc\\\\d");
    EXPECT_EQ(printableText("\x1b[2J\r\x7f"), "\\x1B[2J\\x0D\\x7F");
    EXPECT_EQ(printableText(std::string("a\0b", 3)), "a\\x00b");
    // Well-formed UTF-8 passes; C1 controls, bidirectional overrides, broken and overlong
    // sequences are escaped byte by byte.
    EXPECT_EQ(printableText("Kamera \xC3\xA9\xE6\x98\xBE"), "Kamera \xC3\xA9\xE6\x98\xBE");
    EXPECT_EQ(printableText("\xC2\x9B"), "\\xC2\\x9B");
    EXPECT_EQ(printableText("x\xE2\x80\xAEy"), "x\\xE2\\x80\\xAEy");
    EXPECT_EQ(printableText("\xE6\x98"), "\\xE6\\x98");
    EXPECT_EQ(printableText("\xC0\xAF\xFF"), "\\xC0\\xAF\\xFF");
    EXPECT_EQ(printableText("\xED\xA0\x80"), "\\xED\\xA0\\x80");
}

}  // namespace
}  // namespace vidscope::base
