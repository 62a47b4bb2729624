// SPDX-License-Identifier: MIT
// Device, string and BOS descriptor parsing, including hostile lengths.
#include <gtest/gtest.h>

#include "tests/usb/DescriptorBytes.h"
#include "usb/DeviceDescriptor.h"
#include "usb/StringDescriptor.h"
#include "usb/UsbBos.h"

namespace vidscope::usb {
namespace {

using namespace test;

Bytes deviceBytes(uint16_t bcdUSB, uint8_t maxPacket0) {
    return {18,
            1,
            static_cast<uint8_t>(bcdUSB),
            static_cast<uint8_t>(bcdUSB >> 8),
            0xEF,
            2,
            1,
            maxPacket0,
            0xB7,
            0xA7,
            0x00,
            0x3E,
            0x34,
            0x12,
            1,
            2,
            3,
            1};
}

TEST(DeviceDescriptor, ReadsFieldsAndPacketSizeByUsbGeneration) {
    auto usb2 = DeviceDescriptor::parse(deviceBytes(0x0200, 64));
    ASSERT_TRUE(usb2);
    EXPECT_EQ(usb2->idVendor, 0xA7B7);
    EXPECT_EQ(usb2->idProduct, 0x3E00);
    EXPECT_EQ(usb2->bcdDevice, 0x1234);
    EXPECT_EQ(usb2->bDeviceClass, 0xEF);
    EXPECT_EQ(usb2->iSerialNumber, 3);
    EXPECT_EQ(usb2->bNumConfigurations, 1);
    EXPECT_EQ(usb2->ep0MaxPacket(), 64u);
    EXPECT_EQ(usb2->raw[7], 64);

    // USB 3 gives an exponent; 3.2 counts as USB 3 too.
    EXPECT_EQ(DeviceDescriptor::parse(deviceBytes(0x0300, 9))->ep0MaxPacket(), 512u);
    EXPECT_EQ(DeviceDescriptor::parse(deviceBytes(0x0320, 9))->ep0MaxPacket(), 512u);
    EXPECT_EQ(DeviceDescriptor::parse(deviceBytes(0x0300, 200))->ep0MaxPacket(), 0u);
}

TEST(DeviceDescriptor, RejectsShortOrForeignBlocks) {
    Bytes d = deviceBytes(0x0200, 64);
    EXPECT_FALSE(DeviceDescriptor::parse(std::span(d).first(17)));
    Bytes shortLength = d;
    shortLength[0] = 12;
    EXPECT_FALSE(DeviceDescriptor::parse(shortLength));
    Bytes wrongType = d;
    wrongType[1] = 2;
    EXPECT_FALSE(DeviceDescriptor::parse(wrongType));
    EXPECT_FALSE(DeviceDescriptor::parse({}));
}

TEST(StringDescriptor, EnglishWinsWhereverItIsListed) {
    EXPECT_EQ(StringDescriptor::chooseLanguage(stringDesc({0x0407, 0x040C, 0x0409})), 0x0409);
    EXPECT_EQ(StringDescriptor::chooseLanguage(stringDesc({0x0409, 0x0407})), 0x0409);
    EXPECT_EQ(StringDescriptor::chooseLanguage(stringDesc({0x0407, 0x040C})), 0x0407);
    EXPECT_EQ(StringDescriptor::chooseLanguage(stringDesc({})), 0);
    EXPECT_EQ(StringDescriptor::chooseLanguage({}), 0);
}

TEST(StringDescriptor, LanguageListWithOddOrLyingLengthUsesWholeEntriesOnly) {
    // bLength 5: one whole entry and a dangling byte that happens to complete 0x0409.
    const Bytes odd = {5, 3, 0x07, 0x04, 0x09, 0x04};
    EXPECT_EQ(StringDescriptor::chooseLanguage(odd), 0x0407);
    // bLength claims 10 bytes but only 6 arrived.
    const Bytes lying = {10, 3, 0x07, 0x04, 0x09, 0x04};
    EXPECT_EQ(StringDescriptor::chooseLanguage(lying), 0x0409);
}

TEST(StringDescriptor, TextTakesWholeUnitsWithinLengthAndData) {
    EXPECT_EQ(StringDescriptor::text(stringDesc({'V', 's'})), u"Vs");
    const Bytes odd = {7, 3, 'a', 0, 'b', 0, 'c', 0};
    EXPECT_EQ(StringDescriptor::text(odd), u"ab");
    EXPECT_FALSE(StringDescriptor::text(Bytes{2, 3}));
    EXPECT_FALSE(StringDescriptor::text(Bytes{6, 4, 'a', 0, 'b', 0}));
    EXPECT_FALSE(StringDescriptor::text(Bytes{6}));
}

TEST(BosParser, KeepsTheThreeKnownCapabilities) {
    const Bytes caps = cat({usb20ExtensionCap(0x0000F41E), superSpeedCap(0, 0x000E, 1, 10, 0x07FF),
                            containerIdCap(0x40)});
    auto bos = UsbBos::parse(bosBlock(caps, 3));
    ASSERT_TRUE(bos);
    EXPECT_EQ(bos->wTotalLength(), 5 + caps.size());
    EXPECT_EQ(bos->bNumDeviceCaps(), 3);
    ASSERT_TRUE(bos->usb20Extension());
    EXPECT_EQ(bos->usb20Extension()->bmAttributes, 0x0000F41Eu);
    ASSERT_TRUE(bos->superSpeed());
    EXPECT_EQ(bos->superSpeed()->wSpeedsSupported, 0x000E);
    EXPECT_EQ(bos->superSpeed()->bFunctionalitySupport, 1);
    EXPECT_EQ(bos->superSpeed()->bU1DevExitLat, 10);
    EXPECT_EQ(bos->superSpeed()->wU2DevExitLat, 0x07FF);
    ASSERT_TRUE(bos->containerId());
    EXPECT_EQ(bos->containerId()->containerId[0], 0x40);
    EXPECT_EQ(bos->containerId()->containerId[15], 0x4F);
}

TEST(BosParser, PassesOverUnknownCapabilitiesAndKeepsTheFirstOfRepeats) {
    const Bytes platform = {8, 0x10, 5, 0, 1, 2, 3, 4};
    const Bytes caps = cat({platform, usb20ExtensionCap(2), usb20ExtensionCap(6), junkDesc()});
    auto bos = UsbBos::parse(bosBlock(caps, 4));
    ASSERT_TRUE(bos);
    ASSERT_TRUE(bos->usb20Extension());
    EXPECT_EQ(bos->usb20Extension()->bmAttributes, 2u);
    EXPECT_FALSE(bos->superSpeed());
    EXPECT_FALSE(bos->containerId());
}

// Zero and overlong lengths and a lying wTotalLength are among the fuzz regression inputs.
TEST(BosParser, RejectsMalformedBlocks) {
    const Bytes caps = cat({usb20ExtensionCap(2), superSpeedCap(0, 0x0E, 1, 10, 0x07FF)});
    Bytes wrongType = bosBlock(caps, 2);
    wrongType[1] = 2;
    const Bytes cases[] = {bosBlock(Bytes{6, 0x10, 3, 0, 0x0E, 0}, 1),     // short SuperSpeed
                           bosBlock(Bytes{8, 0x10, 4, 0, 1, 2, 3, 4}, 1),  // short container id
                           bosBlock(Bytes{4, 0x10, 2, 0}, 1),  // short USB 2.0 extension
                           wrongType, Bytes{5, 0x0F, 5, 0}};
    for (const Bytes& bytes : cases) {
        std::string error;
        EXPECT_EQ(UsbBos::parse(bytes, &error), nullptr) << testing::PrintToString(bytes);
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
}  // namespace vidscope::usb
