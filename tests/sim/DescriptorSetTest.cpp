// SPDX-License-Identifier: MIT
// The descriptors of every virtual model are well-formed, and replaced blocks are kept verbatim.
#include <gtest/gtest.h>

#include <string>

#include "sim/DescriptorSet.h"
#include "sim/VirtualModel.h"

namespace vidscope::sim {
namespace {

uint16_t word(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

std::string asciiOf(const std::vector<uint8_t>& stringDescriptor) {
    std::string text;
    for (size_t i = 2; i + 1 < stringDescriptor.size(); i += 2) {
        text.push_back(static_cast<char>(stringDescriptor[i]));
    }
    return text;
}

// Walks a configuration like a host does and checks every count and length it states.
void expectWellFormedConfiguration(const VirtualModel& m, const std::vector<uint8_t>& c) {
    SCOPED_TRACE(m.productString);
    ASSERT_GE(c.size(), 9u);
    EXPECT_EQ(c[0], 9);
    EXPECT_EQ(c[1], kConfigurationDescriptor);
    EXPECT_EQ(word(c, 2), c.size()) << "wTotalLength must cover exactly the block";
    int interfaces = 0, endpoints = 0, companions = 0, expectedEndpoints = 0;
    bool lastWasEndpoint = false;
    size_t at = c[0];
    while (at < c.size()) {
        const uint8_t length = c[at];
        ASSERT_GE(length, 2) << "at offset " << at;
        ASSERT_LE(at + length, c.size()) << "descriptor runs past wTotalLength";
        switch (c[at + 1]) {
            case kInterfaceDescriptor:
                ++interfaces;
                expectedEndpoints += c[at + 4];
                EXPECT_EQ(c[at + 5], 0xFF) << "vendor-specific interface";
                break;
            case kEndpointDescriptor:
                ++endpoints;
                EXPECT_EQ(c[at + 2], kBulkInEndpoint);
                EXPECT_EQ(c[at + 3], 2) << "bulk";
                EXPECT_EQ(word(c, at + 4), m.superSpeed ? 1024 : 512);
                break;
            case kSuperSpeedCompanionDescriptor:
                ++companions;
                EXPECT_TRUE(lastWasEndpoint) << "a companion must follow its endpoint";
                EXPECT_EQ(c[at + 2], 15) << "bMaxBurst";
                break;
            default:
                ADD_FAILURE() << "unexpected descriptor type " << int(c[at + 1]);
        }
        lastWasEndpoint = c[at + 1] == kEndpointDescriptor;
        at += length;
    }
    EXPECT_EQ(interfaces, c[4]) << "bNumInterfaces";
    EXPECT_EQ(endpoints, expectedEndpoints) << "bNumEndpoints";
    EXPECT_EQ(endpoints, 1);
    EXPECT_EQ(companions, m.superSpeed ? endpoints : 0);
}

void expectWellFormedBos(const VirtualModel& m, const std::vector<uint8_t>& b) {
    SCOPED_TRACE(m.productString);
    if (!m.superSpeed) {
        EXPECT_TRUE(b.empty());
        return;
    }
    ASSERT_GE(b.size(), 5u);
    EXPECT_EQ(b[1], kBosDescriptor);
    EXPECT_EQ(word(b, 2), b.size());
    std::vector<uint8_t> capabilityTypes;
    for (size_t at = b[0]; at < b.size(); at += b[at]) {
        ASSERT_GE(b[at], 3);
        ASSERT_LE(at + b[at], b.size());
        EXPECT_EQ(b[at + 1], kDeviceCapabilityDescriptor);
        capabilityTypes.push_back(b[at + 2]);
    }
    EXPECT_EQ(capabilityTypes.size(), b[4]) << "bNumDeviceCaps";
    EXPECT_EQ(capabilityTypes, (std::vector<uint8_t>{2, 3, 4}));
}

TEST(DescriptorSet, EveryModelPresentsWellFormedDescriptors) {
    ASSERT_EQ(virtualModels().size(), 32u);
    for (const VirtualModel& m : virtualModels()) {
        SCOPED_TRACE(m.productString);
        DescriptorSet set(m, 7);
        const std::vector<uint8_t> d = set.device();
        ASSERT_EQ(d.size(), 18u);
        EXPECT_EQ(d[0], 18);
        EXPECT_EQ(word(d, 2) >> 8, m.superSpeed ? 3 : 2) << "bcdUSB major";
        EXPECT_EQ(d[7], m.superSpeed ? 9 : 64) << "bMaxPacketSize0";
        EXPECT_EQ(word(d, 8), kVirtualVendorId);
        EXPECT_EQ(word(d, 10), m.productId);
        EXPECT_EQ(d[17], 1) << "bNumConfigurations";
        expectWellFormedConfiguration(m, set.configuration(0));
        expectWellFormedBos(m, set.bos());

        const std::vector<uint8_t> languages = set.string(0);
        ASSERT_EQ(languages.size(), 4u);
        EXPECT_EQ(word(languages, 2), kEnglishUs);
        for (uint8_t index : {d[14], d[15], d[16]}) {
            const std::vector<uint8_t> s = set.string(index);
            ASSERT_GE(s.size(), 2u);
            EXPECT_EQ(s[0], s.size()) << "string " << int(index);
            EXPECT_EQ(s[1], kStringDescriptor);
        }
        EXPECT_EQ(asciiOf(set.string(d[14])), kVirtualManufacturer);
        EXPECT_EQ(asciiOf(set.string(d[15])), m.productString);
        EXPECT_EQ(asciiOf(set.string(d[16])), set.serialNumber());
    }
}

TEST(DescriptorSet, InstancesOfOneModelAreDistinguishable) {
    const VirtualModel& m = *findVirtualModel(0x3E00);
    DescriptorSet first(m, 1), second(m, 2);
    EXPECT_NE(first.serialNumber(), second.serialNumber());
    EXPECT_NE(first.bos(), second.bos()) << "container ids must differ";
    EXPECT_EQ(first.configuration(0), second.configuration(0));
}

TEST(DescriptorSet, ReplacedBlocksAreKeptVerbatimUntilRestored) {
    DescriptorSet set(*findVirtualModel(0x0500), 1);
    const std::vector<uint8_t> original = set.configuration(0);
    const std::vector<uint8_t> hostile = {9, 2, 0xFF, 0xFF, 9, 1, 0, 0x80, 0, 0, 0};
    set.replaceConfiguration(0, hostile);
    set.replaceString(7, {});
    set.setBlock(kBosDescriptor, 0, {5, 15, 200, 0, 1});
    EXPECT_EQ(set.configuration(0), hostile);
    ASSERT_TRUE(set.block(kStringDescriptor, 7).has_value()) << "an empty block still exists";
    EXPECT_TRUE(set.block(kStringDescriptor, 7)->empty());
    EXPECT_EQ(set.bos(), (std::vector<uint8_t>{5, 15, 200, 0, 1}));

    set.removeBlock(kDeviceDescriptor, 0);
    EXPECT_FALSE(set.block(kDeviceDescriptor, 0).has_value());
    EXPECT_FALSE(set.block(kConfigurationDescriptor, 1).has_value());

    set.restoreDefaults();
    EXPECT_EQ(set.configuration(0), original);
    EXPECT_EQ(set.device().size(), 18u);
    EXPECT_FALSE(set.block(kStringDescriptor, 7).has_value());
    EXPECT_FALSE(set.block(kBosDescriptor, 0).has_value()) << "a USB 2 model has no BOS";
}

}  // namespace
}  // namespace vidscope::sim
