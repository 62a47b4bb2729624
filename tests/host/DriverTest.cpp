// SPDX-License-Identifier: MIT
// The driver object: enumeration, handles, device-level requests and control transfers.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "DriverTestSupport.h"
#include "base/LogCategory.h"
#include "usb/host/TransferStatusCodes.h"

namespace vidscope::test {
namespace {

using namespace host;

class DriverTest : public DriverFixture {};

TEST_F(DriverTest, EnumerationListsRealPortsFirstAndEndsWithNoMoreItems) {
    const size_t before = driver.presentInterfaces().paths.size();
    const Driver::PortId a = plug(VirtualPort::create(0x3E00));
    const Driver::PortId real = plug(std::make_shared<ScriptedPort>("3-1.4"));
    const Driver::PortId b = plug(VirtualPort::create(0x0030));

    const InterfaceSet set = driver.presentInterfaces();
    ASSERT_EQ(set.paths.size(), before + 3);
    auto position = [&](Driver::PortId id) {
        return std::find(set.paths.begin(), set.paths.end(), driver.pathOf(id)) - set.paths.begin();
    };
    EXPECT_LT(position(real), position(a)) << "real ports come before virtual ones";
    EXPECT_LT(position(a), position(b)) << "virtual ports in attach order";
    EXPECT_NE(driver.pathOf(real).find("1234"), std::string::npos) << "any vendor id is listed";

    std::string path;
    uint32_t count = 0;
    while (driver.interfacePath(set, count, path))
        ++count;
    EXPECT_EQ(count, set.paths.size());
    EXPECT_EQ(lastSystemError(), kErrorNoMoreItems);
    EXPECT_TRUE(driver.interfacePath(set, 0, path));
    EXPECT_EQ(lastSystemError(), kErrorSuccess);

    const std::string gone = driver.pathOf(a);
    driver.detach(a);
    const InterfaceSet after = driver.presentInterfaces();
    EXPECT_EQ(std::count(after.paths.begin(), after.paths.end(), gone), 0);
    EXPECT_EQ(driver.open(gone), kInvalidHandle);
    EXPECT_EQ(lastSystemError(), kErrorFileNotFound);
    EXPECT_EQ(driver.port(a), nullptr);
}

TEST_F(DriverTest, HandlesFailCleanlyWhenUnknownRefusedOrDetached) {
    uint8_t out[4];
    uint32_t bytes = 99;
    EXPECT_FALSE(
        driver.ioControl(123456, kIoctlGetDriverVersion, nullptr, 0, out, 4, &bytes, nullptr));
    EXPECT_EQ(lastSystemError(), kErrorInvalidHandle);
    EXPECT_EQ(bytes, 0u);
    EXPECT_FALSE(driver.close(123456));
    EXPECT_EQ(lastSystemError(), kErrorInvalidHandle);
    Overlapped unused;
    EXPECT_FALSE(driver.overlappedResult(123456, unused, &bytes, false));
    EXPECT_EQ(lastSystemError(), kErrorInvalidHandle);

    auto locked = VirtualPort::create(0x0100);
    locked->setOpenError(kErrorAccessDenied);
    const Driver::PortId lockedId = plug(locked);
    EXPECT_EQ(driver.open(driver.pathOf(lockedId)), kInvalidHandle);
    EXPECT_EQ(lastSystemError(), kErrorAccessDenied);

    Plugged p = plugVirtual(0x0100);
    const Handle second = openTracked(driver.pathOf(p.id));
    ASSERT_NE(second, kInvalidHandle);
    EXPECT_NE(second, p.handle);
    EXPECT_TRUE(driver.close(second));
    EXPECT_TRUE(p.port->isOpen()) << "another handle still uses the port";

    driver.detach(p.id);
    EXPECT_FALSE(p.port->isOpen());
    Event event(Event::Reset::Manual);
    Overlapped ov;
    ov.event = &event;
    std::vector<uint8_t> block = controlBlock(0x80, 6, 0x0100, 0, 18);
    EXPECT_FALSE(driver.ioControl(p.handle, kIoctlControlTransfer, block.data(),
                                  uint32_t(block.size()), block.data(), uint32_t(block.size()),
                                  &bytes, &ov));
    EXPECT_EQ(lastSystemError(), kErrorDeviceNotConnected);
    EXPECT_FALSE(event.isSet()) << "a refused request signals nothing";
    EXPECT_FALSE(driver.overlappedResult(p.handle, ov, &bytes, true)) << "and does not hang";
    EXPECT_EQ(lastSystemError(), kErrorDeviceNotConnected);
    EXPECT_TRUE(driver.close(p.handle)) << "a detached device's handle still closes";
    EXPECT_FALSE(driver.close(p.handle));
}

TEST_F(DriverTest, DeviceRequestsReturnExactByteCounts) {
    Plugged u3 = plugVirtual(0x3E00);
    Plugged u2 = plugVirtual(0x0500);
    auto ask = [&](Handle h, uint32_t code, uint32_t outLength, std::vector<uint8_t>& out) {
        out.assign(outLength, 0xCC);
        uint32_t bytes = 0xDEAD;
        const bool ok =
            driver.ioControl(h, code, nullptr, 0, out.data(), outLength, &bytes, nullptr);
        return ok ? bytes : ~0u;
    };
    std::vector<uint8_t> out;
    EXPECT_EQ(ask(u3.handle, kIoctlGetDriverVersion, 4, out), 4u);
    EXPECT_EQ(le::read32(out.data()), Driver::kDriverVersion);
    EXPECT_EQ(ask(u3.handle, kIoctlGetUsbdiVersion, 8, out), 4u) << "count, not buffer size";
    EXPECT_EQ(ask(u3.handle, kIoctlGetBusSpeed, 4, out), 4u);
    EXPECT_EQ(le::read32(out.data()), 4u);
    EXPECT_EQ(ask(u2.handle, kIoctlGetBusSpeed, 4, out), 4u);
    EXPECT_EQ(le::read32(out.data()), 2u);
    EXPECT_EQ(ask(u3.handle, kIoctlGetAddress, 1, out), 1u);
    EXPECT_EQ(out[0], u3.port->description().address);
    EXPECT_EQ(ask(u3.handle, kIoctlGetAlternateSetting, 1, out), 1u);
    EXPECT_EQ(out[0], 0);

    EXPECT_EQ(ask(u3.handle, kIoctlGetDeviceName, 256, out), 256u);
    const std::string name(reinterpret_cast<const char*>(out.data()));
    EXPECT_EQ(name, "Virtual VS-U1400C #" + std::to_string(u3.port->number()));
    EXPECT_TRUE(
        std::all_of(out.begin() + name.size(), out.end(), [](uint8_t c) { return c == 0; }));
    EXPECT_EQ(ask(u3.handle, kIoctlGetFriendlyName, 256, out), 256u);

    for (uint32_t code : {kIoctlGetDriverVersion, kIoctlGetBusSpeed, kIoctlGetDeviceName}) {
        EXPECT_EQ(ask(u3.handle, code, 3, out), ~0u);
        EXPECT_EQ(lastSystemError(), kErrorInsufficientBuffer);
    }

    uint8_t size[5] = {0x81};
    le::write32(size + 1, 307200);
    uint32_t bytes = 0;
    EXPECT_TRUE(
        driver.ioControl(u3.handle, kIoctlSetTransferSize, size, 5, size, 5, &bytes, nullptr));
    EXPECT_EQ(bytes, 5u);
    EXPECT_EQ(le::read32(size + 1), 307200u);
    EXPECT_EQ(u3.port->transferSize(0x81), 307200u);
    EXPECT_FALSE(
        driver.ioControl(u3.handle, kIoctlSetTransferSize, size, 4, size, 5, &bytes, nullptr));
    EXPECT_EQ(lastSystemError(), kErrorInvalidParameter);

    uint8_t endpoint = 0x81;
    EXPECT_TRUE(
        driver.ioControl(u3.handle, kIoctlResetPipe, &endpoint, 1, nullptr, 0, &bytes, nullptr));
    EXPECT_EQ(lastSystemError(), kErrorSuccess);
    endpoint = 0x83;
    EXPECT_FALSE(
        driver.ioControl(u3.handle, kIoctlResetPipe, &endpoint, 1, nullptr, 0, &bytes, nullptr));
    EXPECT_TRUE(
        driver.ioControl(u3.handle, kIoctlCyclePort, nullptr, 0, nullptr, 0, &bytes, nullptr));
    EXPECT_EQ(u3.port->cycleCount(), 1u);
    EXPECT_FALSE(driver.ioControl(u3.handle, 0x220FFC, nullptr, 0, nullptr, 0, &bytes, nullptr));
    EXPECT_EQ(lastSystemError(), kErrorNotSupported);

    // With an Overlapped the request completes at once and signals it.
    Event event(Event::Reset::Auto);
    Overlapped ov;
    ov.event = &event;
    out.assign(4, 0);
    EXPECT_TRUE(
        driver.ioControl(u3.handle, kIoctlGetBusSpeed, nullptr, 0, out.data(), 4, &bytes, &ov));
    EXPECT_TRUE(event.wait(0));
    EXPECT_TRUE(driver.overlappedResult(u3.handle, ov, &bytes, false));
    EXPECT_EQ(bytes, 4u);
}

TEST_F(DriverTest, ControlTransfersCarryDataAndStatusWords) {
    Plugged p = plugVirtual(0x3E00);
    uint32_t bytes = 0;
    std::vector<uint8_t> block = controlBlock(0x80, 6, 0x0100, 0, 18);
    ASSERT_TRUE(driver.ioControl(p.handle, kIoctlControlTransfer, block.data(),
                                 uint32_t(block.size()), block.data(), uint32_t(block.size()),
                                 &bytes, nullptr));
    EXPECT_EQ(bytes, RequestRecord::kSize + 18);
    EXPECT_TRUE(std::equal(block.begin() + RequestRecord::kSize, block.end(),
                           p.port->camera().descriptors().device().begin()));
    EXPECT_EQ(recordOf(block).ntStatus, 0u);
    EXPECT_EQ(recordOf(block).usbdStatus, 0u);

    // A short answer is a success; the count says how much came.
    block = controlBlock(0x80, 6, 0x0200, 0, 255);
    ASSERT_TRUE(driver.ioControl(p.handle, kIoctlControlTransfer, block.data(),
                                 uint32_t(block.size()), block.data(), uint32_t(block.size()),
                                 &bytes, nullptr));
    EXPECT_EQ(bytes, RequestRecord::kSize + p.port->camera().descriptors().configuration(0).size());

    block = controlBlock(0x80, 6, 0x0309, 0x0409, 64);  // no string 9: the device stalls
    EXPECT_FALSE(driver.ioControl(p.handle, kIoctlControlTransfer, block.data(),
                                  uint32_t(block.size()), block.data(), uint32_t(block.size()),
                                  &bytes, nullptr));
    EXPECT_EQ(lastSystemError(), kErrorGenFailure);
    EXPECT_EQ(bytes, RequestRecord::kSize);
    EXPECT_EQ(recordOf(block).usbdStatus, kUsbdStallPid);
    EXPECT_EQ(recordOf(block).ntStatus, kNtUnsuccessful);

    // OUT data travels from the input block; a separate output block gets the status.
    std::vector<uint8_t> in = controlBlock(0x02, 1, 0, 0x81, 0);
    std::vector<uint8_t> out(RequestRecord::kSize, 0xEE);
    EXPECT_TRUE(driver.ioControl(p.handle, kIoctlControlTransfer, in.data(), uint32_t(in.size()),
                                 out.data(), uint32_t(out.size()), &bytes, nullptr));
    EXPECT_EQ(bytes, RequestRecord::kSize);
    EXPECT_EQ(recordOf(out).usbdStatus, 0u);

    // An IN request whose data would not fit the output is refused before the device.
    block = controlBlock(0x80, 6, 0x0100, 0, 18);
    EXPECT_FALSE(driver.ioControl(p.handle, kIoctlControlTransfer, block.data(),
                                  uint32_t(block.size()), out.data(), uint32_t(out.size()), &bytes,
                                  nullptr));
    EXPECT_EQ(lastSystemError(), kErrorInsufficientBuffer);
    EXPECT_FALSE(driver.ioControl(p.handle, kIoctlControlTransfer, block.data(), 37, block.data(),
                                  uint32_t(block.size()), &bytes, nullptr));
    EXPECT_EQ(lastSystemError(), kErrorInvalidParameter);
}

TEST_F(DriverTest, EveryPortOutcomeMapsToItsSystemErrorAndStatusWords) {
    auto port = std::make_shared<ScriptedPort>("2-1");
    const Driver::PortId id = plug(port);
    const Handle h = openTracked(driver.pathOf(id));
    // usbd 1 stands for "any failure word": only the first four are fixed values.
    struct Case {
        TransferStatus status;
        uint32_t error;
        uint32_t usbd;
    } cases[] = {{TransferStatus::Completed, kErrorSuccess, 0},
                 {TransferStatus::Stall, kErrorGenFailure, 0xC0000004},
                 {TransferStatus::Error, kErrorGenFailure, 0xC0000001},
                 {TransferStatus::Overflow, kErrorGenFailure, 0xC000000C},
                 {TransferStatus::Timeout, kErrorSemTimeout, 1},
                 {TransferStatus::Cancelled, kErrorOperationAborted, 1},
                 {TransferStatus::NoDevice, kErrorDeviceNotConnected, 1},
                 {TransferStatus::NotSupported, kErrorNotSupported, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        port->status = c.status;
        port->length = 3;
        std::vector<uint8_t> block = bufferedBlock(0x81, 16);
        uint32_t bytes = 0;
        Overlapped ov;
        const bool ok =
            driver.ioControl(h, kIoctlBufferedTransfer, block.data(), uint32_t(block.size()),
                             block.data(), uint32_t(block.size()), &bytes, &ov);
        EXPECT_EQ(ok, c.error == kErrorSuccess);
        EXPECT_EQ(lastSystemError(), c.error);
        EXPECT_EQ(ov.status.load(), c.error);
        EXPECT_EQ(bytes, RequestRecord::kSize + 3);
        const RequestRecord r = recordOf(block);
        if (c.usbd == 1) {
            EXPECT_NE(r.usbdStatus, 0u);
            EXPECT_NE(r.ntStatus, 0u);
        } else {
            EXPECT_EQ(r.usbdStatus, c.usbd);
            EXPECT_EQ(r.ntStatus, c.usbd == 0 ? 0u : 0xC0000001u);
        }
    }

    // The driver hands the port what the record says.
    port->status = TransferStatus::Completed;
    port->submitted.clear();
    std::vector<uint8_t> block = controlBlock(0xC0, 0xB1, 0x1234, 0x5678, 10, 0);
    uint32_t bytes = 0;
    driver.ioControl(h, kIoctlControlTransfer, block.data(), uint32_t(block.size()), block.data(),
                     uint32_t(block.size()), &bytes, nullptr);
    block = controlBlock(0x40, 0xB2, 1, 2, 0, 3);
    driver.ioControl(h, kIoctlControlTransfer, block.data(), uint32_t(block.size()), block.data(),
                     uint32_t(block.size()), &bytes, nullptr);
    ASSERT_EQ(port->submitted.size(), 2u);
    const PortTransfer& first = port->submitted[0];
    EXPECT_EQ(first.type, EndpointType::Control);
    EXPECT_EQ(first.setup.bRequest, 0xB1);
    EXPECT_EQ(first.setup.wValue, 0x1234);
    EXPECT_EQ(first.setup.wIndex, 0x5678);
    EXPECT_EQ(first.buffer.size(), 10u);
    EXPECT_EQ(first.timeoutMs, 5000u) << "no timeout in the record: the default";
    EXPECT_EQ(port->submitted[1].timeoutMs, 3000u);
}

TEST_F(DriverTest, VirtualCameraListAttachesKnownModelsAndSkipsTheRest) {
    const std::vector<Driver::PortId> ids =
        driver.attachVirtualCameras(" 3e00,0x0500,zz,FFFF,,12345, 012B ");
    std::vector<uint16_t> products;
    for (Driver::PortId id : ids) {
        products.push_back(driver.port(id)->description().productId);
        driver.detach(id);
    }
    EXPECT_EQ(products, (std::vector<uint16_t>{0x3E00, 0x0500, 0x012B}));
    EXPECT_TRUE(driver.attachVirtualCameras("").empty());
}

// The driver exists once per process, so each case looks at a fresh one in a child process:
// the attached products and every warning it logged while starting.
void expectStartup(const char* variable, const std::vector<uint16_t>& expected, size_t mostWarnings,
                   const char* mustNotSay) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            std::vector<std::string> warnings;
            base::LogCategory::setSink(
                [&](const base::LogCategory&, base::LogLevel level, const std::string& text) {
                    if (level >= base::LogLevel::Warning)
                        warnings.push_back(text);
                });
            setenv("VIDSCOPE_VIRTUAL_CAMERAS", variable, 1);
            Driver& fresh = Driver::instance();
            std::vector<uint16_t> products;
            for (Driver::PortId id : fresh.attachedPorts())
                products.push_back(fresh.port(id)->description().productId);
            bool said = false;
            for (const std::string& w : warnings)
                said = said || w.find(mustNotSay) != std::string::npos;
            std::exit(products == expected && warnings.size() <= mostWarnings && !said ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(DriverStartup, AttachesTheVirtualCamerasNamedInTheEnvironment) {
    expectStartup("3E00,bogus,0500", {0x3E00, 0x0500}, 2, "bogus,");
}

TEST(DriverStartup, EmptyListAttachesNothingAndAnnouncesNothing) {
    expectStartup("", {}, 0, "virtual");
}

TEST(DriverStartup, ThousandsOfBadEntriesGiveOneLineEach) {
    std::string list = "0500";
    for (int i = 0; i < 5000; ++i)
        list += ",x" + std::to_string(i) + ",FFF" + std::to_string(i % 10);
    // One line for the malformed entries, one for codes of no model, one announcing 0500.
    expectStartup(list.c_str(), {0x0500}, 3, "x100,");
}

}  // namespace
}  // namespace vidscope::test
