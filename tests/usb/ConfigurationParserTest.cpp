// SPDX-License-Identifier: MIT
// Configuration parsing: endpoint objects, packet sizes, companions, skips and limits.
#include <gtest/gtest.h>

#include "tests/usb/DescriptorBytes.h"
#include "usb/BulkEndpoint.h"
#include "usb/ControlEndpoint.h"
#include "usb/InterruptEndpoint.h"
#include "usb/IsocEndpoint.h"
#include "usb/UsbConfiguration.h"

namespace vidscope::usb {
namespace {

using namespace test;
using Flavor = UsbConfiguration::Flavor;

std::unique_ptr<UsbConfiguration> parsePlain(const Bytes& b, std::string* error = nullptr) {
    return UsbConfiguration::parse(b, Flavor::Plain, host::kInvalidHandle, error);
}
std::unique_ptr<UsbConfiguration> parseSuper(const Bytes& b, std::string* error = nullptr) {
    return UsbConfiguration::parse(b, Flavor::SuperSpeed, host::kInvalidHandle, error);
}

TEST(ConfigurationParser, HighSpeedInterfaceGetsTypedEndpointsInOrder) {
    const Bytes block = configBlock(
        cat({interfaceDesc(0, 0, 4), endpointDesc(0x81, 2, 512), endpointDesc(0x02, 2, 512),
             endpointDesc(0x83, 3, 64, 4), endpointDesc(0x84, 1, 0x1400, 1)}));
    auto config = parsePlain(block);
    ASSERT_TRUE(config);
    EXPECT_EQ(config->wTotalLength(), block.size());
    EXPECT_EQ(config->bConfigurationValue(), 1);
    EXPECT_EQ(config->bmAttributes(), 0x80);
    EXPECT_EQ(config->MaxPower(), 250);
    ASSERT_EQ(config->interfaceObjects(), 1);
    const UsbInterface& intf = *config->interface(0);
    EXPECT_EQ(intf.bNumEndpoints(), 4);
    EXPECT_EQ(intf.totalLength(), 9u + 4 * 7);
    EXPECT_EQ(intf.altInterfaces(), 1);
    EXPECT_EQ(intf.endPoint(0), nullptr);  // filled in by the device with its control endpoint

    auto* bulkIn = dynamic_cast<BulkEndpoint*>(intf.endPoint(1));
    ASSERT_TRUE(bulkIn);
    EXPECT_EQ(bulkIn->address(), 0x81);
    EXPECT_TRUE(bulkIn->bIn());
    EXPECT_EQ(bulkIn->maxPktSize(), 512u);
    EXPECT_EQ(bulkIn->timeOut(), 10000u);
    EXPECT_EQ(bulkIn->xferMode(), 0u);
    auto* bulkOut = dynamic_cast<BulkEndpoint*>(intf.endPoint(2));
    ASSERT_TRUE(bulkOut);
    EXPECT_FALSE(bulkOut->bIn());
    auto* interrupt = dynamic_cast<InterruptEndpoint*>(intf.endPoint(3));
    ASSERT_TRUE(interrupt);
    EXPECT_EQ(interrupt->interval(), 4);
    // High-bandwidth isochronous: 1024 bytes times (2 + 1) transactions per microframe.
    auto* isoc = dynamic_cast<IsocEndpoint*>(intf.endPoint(4));
    ASSERT_TRUE(isoc);
    EXPECT_EQ(isoc->mult(), 3);
    EXPECT_EQ(isoc->maxPktSize(), 3072u);
}

TEST(ConfigurationParser, SuperSpeedCompanionsScalePacketSizes) {
    const Bytes body =
        cat({interfaceDesc(0, 0, 3), endpointDesc(0x81, 2, 1024), companionDesc(15, 0, 0),
             endpointDesc(0x82, 1, 1024), companionDesc(1, 2, 6144), endpointDesc(0x03, 3, 64)});
    auto config = parseSuper(configBlock(body));
    ASSERT_TRUE(config);
    const UsbInterface& intf = *config->interface(0);
    EXPECT_EQ(intf.totalLength(), body.size());
    const UsbEndpoint* bulk = intf.endPoint(1);
    ASSERT_TRUE(bulk);
    EXPECT_EQ(bulk->ssMaxBurst(), 15);
    EXPECT_EQ(bulk->maxPktSize(), 16384u);
    // Isochronous: burst (1 + 1) and the companion's multiplier (2 + 1).
    const UsbEndpoint* isoc = intf.endPoint(2);
    ASSERT_TRUE(isoc);
    EXPECT_EQ(isoc->ssAttributes(), 2);
    EXPECT_EQ(isoc->ssBytesPerInterval(), 6144);
    EXPECT_EQ(isoc->maxPktSize(), 1024u * 2 * 3);
    // No companion: nothing to scale by.
    const UsbEndpoint* interrupt = intf.endPoint(3);
    ASSERT_TRUE(interrupt);
    EXPECT_EQ(interrupt->ssMaxBurst(), 0);
    EXPECT_EQ(interrupt->maxPktSize(), 64u);

    // The plain parser ignores companions: the same bytes give unscaled packet sizes.
    auto plain = parsePlain(configBlock(body));
    ASSERT_TRUE(plain);
    ASSERT_TRUE(plain->interface(0)->endPoint(1));
    EXPECT_EQ(plain->interface(0)->endPoint(1)->maxPktSize(), 1024u);
    EXPECT_EQ(plain->interface(0)->endPoint(1)->ssMaxBurst(), 0);
}

TEST(ConfigurationParser, InterfaceAfterCompanionsStartsOnItsOwnDescriptor) {
    // Two endpoints with companions, then an alternate setting: a wrong interface length
    // would land inside the second endpoint and lose or garble the alternate.
    const Bytes block = configBlock(
        cat({interfaceDesc(0, 0, 2), endpointDesc(0x81, 2, 1024), companionDesc(3, 0, 0),
             endpointDesc(0x02, 2, 1024), companionDesc(3, 0, 0), interfaceDesc(0, 1, 1),
             endpointDesc(0x81, 2, 1024), companionDesc(7, 0, 0), interfaceDesc(1, 0, 0)}));
    auto config = parseSuper(block);
    ASSERT_TRUE(config);
    ASSERT_EQ(config->interfaceObjects(), 3);
    EXPECT_EQ(config->interface(1)->bAlternateSetting(), 1);
    ASSERT_TRUE(config->interface(1)->endPoint(1));
    EXPECT_EQ(config->interface(1)->endPoint(1)->maxPktSize(), 8192u);
    EXPECT_EQ(config->interface(0)->altInterfaces(), 2);
    EXPECT_EQ(config->interface(1)->altInterfaces(), 2);
    EXPECT_EQ(config->interface(2)->altInterfaces(), 1);
}

TEST(ConfigurationParser, ElevenDescriptorsAreSkippedBeforeAnEndpointButNotTwelve) {
    auto withJunk = [](int junk, uint8_t endpoints) {
        Bytes body = interfaceDesc(0, 0, endpoints);
        for (int i = 0; i < junk; ++i)
            append(body, junkDesc());
        append(body, endpointDesc(0x81, 2, 512));
        append(body, endpointDesc(0x82, 2, 512));
        return configBlock(body);
    };
    auto eleven = parsePlain(withJunk(11, 2));
    ASSERT_TRUE(eleven);
    ASSERT_TRUE(eleven->interface(0)->endPoint(1));
    EXPECT_EQ(eleven->interface(0)->endPoint(1)->address(), 0x81);
    ASSERT_TRUE(eleven->interface(0)->endPoint(2));
    EXPECT_EQ(eleven->interface(0)->endPoint(2)->address(), 0x82);

    // The twelfth stops the skipping: it uses up entry 1, and the walk stays on it, so the
    // next entry meets it again.
    auto twelve = parsePlain(withJunk(12, 2));
    ASSERT_TRUE(twelve);
    EXPECT_EQ(twelve->interface(0)->endPoint(1), nullptr);
    EXPECT_EQ(twelve->interface(0)->endPoint(2), nullptr);

    // The skip budget is shared by all entries of the interface.
    Bytes spread = interfaceDesc(0, 0, 2);
    for (int i = 0; i < 6; ++i)
        append(spread, junkDesc());
    append(spread, endpointDesc(0x81, 2, 512));
    for (int i = 0; i < 6; ++i)
        append(spread, junkDesc());
    append(spread, endpointDesc(0x82, 2, 512));
    auto shared = parsePlain(configBlock(spread));
    ASSERT_TRUE(shared);
    EXPECT_TRUE(shared->interface(0)->endPoint(1));
    EXPECT_EQ(shared->interface(0)->endPoint(2), nullptr);
}

TEST(ConfigurationParser, EndpointClassFollowsTheWholeAttributesByte) {
    const Bytes block =
        configBlock(cat({interfaceDesc(0, 0, 3), endpointDesc(0x81, 0x05, 512),
                         endpointDesc(0x82, 0x00, 64), endpointDesc(0x83, 0x12, 64)}));
    auto config = parsePlain(block);
    ASSERT_TRUE(config);
    EXPECT_EQ(config->interface(0)->endPoint(1), nullptr);  // isochronous with sync bits
    EXPECT_TRUE(dynamic_cast<ControlEndpoint*>(config->interface(0)->endPoint(2)));
    EXPECT_EQ(config->interface(0)->endPoint(3), nullptr);
}

// Zero and overlong lengths and a lying wTotalLength are among the fuzz regression inputs.
TEST(ConfigurationParser, RejectsMalformedBlocks) {
    const Bytes good = cat({interfaceDesc(0, 0, 1), endpointDesc(0x81, 2, 512)});
    Bytes wrongType = configBlock(good);
    wrongType[1] = 4;
    const Bytes cases[] = {
        configBlock(cat({Bytes{5, 4, 0, 0, 1}, endpointDesc(0x81, 2, 512)})),  // short interface
        configBlock(cat({interfaceDesc(0, 0, 1), Bytes{4, 5, 0x81, 2}})),      // short endpoint
        configBlock(good, 1, 4),                                               // total < header
        wrongType,
        configBlock(cat({good, Bytes{7}})),  // a lone length byte at the end
    };
    for (const Bytes& bytes : cases) {
        std::string error;
        EXPECT_EQ(parsePlain(bytes, &error), nullptr) << testing::PrintToString(bytes);
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(parseSuper(bytes), nullptr);
    }
}

TEST(ConfigurationParser, BytesBeyondTotalLengthAreIgnored) {
    const Bytes good = cat({interfaceDesc(0, 0, 1), endpointDesc(0x81, 2, 512)});
    Bytes block = configBlock(good);
    append(block, Bytes{0, 0, 0, 4, 9});  // garbage after the announced end
    auto config = parsePlain(block);
    ASSERT_TRUE(config);
    EXPECT_EQ(config->interfaceObjects(), 1);
}

}  // namespace
}  // namespace vidscope::usb
