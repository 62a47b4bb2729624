// SPDX-License-Identifier: MIT
// The libusb port under the driver: enumeration, descriptors, control requests, hot-plug,
// permissions and resets, against cameras on the emulated usbfs.
#include <gtest/gtest.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "PluggedCamera.h"
#include "base/LogCategory.h"
#include "tests/host/DriverTestSupport.h"
#include "usb/UsbDevice.h"
#include "usb/host/HotplugNotifier.h"
#include "usb/host/IoControlCode.h"
#include "usb/host/VirtualPort.h"

namespace vidscope::test {
namespace {

using host::Driver;

// Cameras present before the driver starts, plugged in the reverse of their bus order.
constexpr uint8_t kUsb3Port = 3;
constexpr uint8_t kUsb2Port = 5;

class StartupCameras : public ::testing::Environment {
public:
    void SetUp() override {
        CapturedLog::capture();
        UsbfsTestbed& bed = UsbfsTestbed::instance();
        usb2_ = bed.plug(std::make_shared<sim::VirtualCamera>(*sim::findVirtualModel(0x0500), 1),
                         kUsb2Port);
        usb3_ = bed.plug(std::make_shared<sim::VirtualCamera>(*sim::findVirtualModel(0x3E00), 1),
                         kUsb3Port);
        Driver::instance();
    }

private:
    std::shared_ptr<UsbfsDevice> usb2_;
    std::shared_ptr<UsbfsDevice> usb3_;
};
const auto* const startup = ::testing::AddGlobalTestEnvironment(new StartupCameras);

// Vendor firmware by request code: 1 echoes OUT data back on IN, 2 stalls, 3 never answers.
class ScriptedVendor : public sim::VendorRequestHandler {
public:
    sim::ControlResult handleVendorRequest(const sim::ControlSetup& setup,
                                           std::span<uint8_t> data) override {
        std::lock_guard lock(mutex_);
        last_ = setup;
        if (setup.request == 2)
            return {sim::ControlOutcome::Stall, 0};
        if (setup.request == 3)
            return {sim::ControlOutcome::Timeout, 0};
        if ((setup.requestType & 0x80) == 0) {
            stored_.assign(data.begin(), data.end());
            return {sim::ControlOutcome::Ack, static_cast<uint32_t>(data.size())};
        }
        const size_t n = std::min(stored_.size(), data.size());
        std::copy_n(stored_.begin(), n, data.begin());
        return {sim::ControlOutcome::Ack, static_cast<uint32_t>(n)};
    }
    sim::ControlSetup last() const {
        std::lock_guard lock(mutex_);
        return last_;
    }

private:
    mutable std::mutex mutex_;
    sim::ControlSetup last_;
    std::vector<uint8_t> stored_;
};

uint8_t positionOf(const std::string& path) {
    const auto paths = Driver::instance().presentInterfaces().paths;
    return static_cast<uint8_t>(std::find(paths.begin(), paths.end(), path) - paths.begin());
}

TEST(LibusbEnumeration, StartupCamerasComeInBusOrderBeforeVirtualOnes) {
    auto virtualPort = host::VirtualPort::create(0x012B);
    const Driver::PortId id = Driver::instance().attach(virtualPort);
    const std::string virtualPath = Driver::instance().pathOf(id);
    const auto paths = Driver::instance().presentInterfaces().paths;
    Driver::instance().detach(id);
    ASSERT_GE(paths.size(), 3u);
    EXPECT_EQ(paths[0], usbPath(0x3E00, kUsb3Port));
    EXPECT_EQ(paths[1], usbPath(0x0500, kUsb2Port));
    EXPECT_EQ(paths.back(), virtualPath);
}

TEST(LibusbEnumeration, UsbDeviceReadsDescriptorsNamesAndSpeedThroughThePort) {
    usb::UsbDevice usb3(false);
    ASSERT_TRUE(usb3.Open(positionOf(usbPath(0x3E00, kUsb3Port))));
    EXPECT_EQ(usb3.vendorId(), 0xA7B7);
    EXPECT_EQ(usb3.productId(), 0x3E00);
    EXPECT_TRUE(usb3.superSpeed());
    EXPECT_NE(usb3.bosDescriptor(), nullptr);
    EXPECT_EQ(usb3.product(), u"VS-U1400C");
    EXPECT_STREQ(usb3.deviceName(), "VS-U1400C (USB 1-3)");
    EXPECT_STREQ(usb3.friendlyName(), "VS-U1400C USB Camera");
    ASSERT_NE(usb3.bulkInEndPoint(), nullptr);
    EXPECT_EQ(usb3.bulkInEndPoint()->address(), sim::kBulkInEndpoint);

    usb::UsbDevice usb2(false);
    ASSERT_TRUE(usb2.Open(positionOf(usbPath(0x0500, kUsb2Port))));
    EXPECT_TRUE(usb2.highSpeed());
    EXPECT_FALSE(usb2.superSpeed());
    EXPECT_EQ(usb2.bosDescriptor(), nullptr);
    EXPECT_EQ(usb2.address(), 2);  // the first address the bed handed out
}

class LibusbControl : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(cam_.listed());
        cam_.camera().setVendorHandler(vendor_);
        handle_ = driver_.open(cam_.path());
        ASSERT_NE(handle_, host::kInvalidHandle);
    }
    void TearDown() override { driver_.close(handle_); }

    bool control(std::vector<uint8_t>& block, uint32_t& bytes) {
        return driver_.ioControl(handle_, host::kIoctlControlTransfer, block.data(),
                                 static_cast<uint32_t>(block.size()), block.data(),
                                 static_cast<uint32_t>(block.size()), &bytes, nullptr);
    }

    Driver& driver_ = Driver::instance();
    PluggedCamera cam_{0x012B, 6};
    std::shared_ptr<ScriptedVendor> vendor_ = std::make_shared<ScriptedVendor>();
    host::Handle handle_ = host::kInvalidHandle;
};

TEST_F(LibusbControl, DataTravelsBothWaysWithTheSetupFieldsIntact) {
    auto out = controlBlock(0x40, 1, 0x1234, 0x5678, 4);
    std::copy_n("\x11\x22\x33\x44", 4, out.begin() + RequestRecord::kSize);
    uint32_t bytes = 0;
    ASSERT_TRUE(control(out, bytes));
    EXPECT_EQ(bytes, RequestRecord::kSize + 4);
    EXPECT_EQ(recordOf(out).ntStatus, 0u);
    EXPECT_EQ(vendor_->last().value, 0x1234);
    EXPECT_EQ(vendor_->last().index, 0x5678);

    auto in = controlBlock(0xC0, 1, 0, 0, 8);
    ASSERT_TRUE(control(in, bytes));
    EXPECT_EQ(bytes, RequestRecord::kSize + 4);  // a short data stage
    EXPECT_EQ(std::vector<uint8_t>(in.begin() + RequestRecord::kSize,
                                   in.begin() + RequestRecord::kSize + 4),
              (std::vector<uint8_t>{0x11, 0x22, 0x33, 0x44}));
}

TEST_F(LibusbControl, StallAndSilenceBecomeTheDriverErrors) {
    auto stalled = controlBlock(0xC0, 2, 0, 0, 10);
    uint32_t bytes = 0;
    EXPECT_FALSE(control(stalled, bytes));
    EXPECT_EQ(host::lastSystemError(), host::kErrorGenFailure);
    EXPECT_EQ(recordOf(stalled).usbdStatus, 0xC0000004u);

    auto ignored = controlBlock(0xC0, 3, 0, 0, 10, /*timeout seconds*/ 1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(control(ignored, bytes));
    EXPECT_EQ(host::lastSystemError(), host::kErrorSemTimeout);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
    EXPECT_EQ(cam_.device().urbsOutstanding(), 0u);  // the timed-out URB was taken back

    auto after = controlBlock(0xC0, 1, 0, 0, 4);
    EXPECT_TRUE(control(after, bytes)) << "the port still works after a timeout";
}

TEST_F(LibusbControl, IsochronousRequestsFailCleanly) {
    std::vector<uint8_t> block(RequestRecord::kSize + 8 + 64, 0);
    RequestRecord r;
    r.endpointAddress = 0x81;
    r.packetTableOffset = RequestRecord::kSize;
    r.packetTableLength = 8;
    r.dataOffset = RequestRecord::kSize + 8;
    r.dataLength = 64;
    r.encode(block);
    uint32_t bytes = 0;
    EXPECT_FALSE(driver_.ioControl(handle_, host::kIoctlBufferedTransfer, block.data(),
                                   static_cast<uint32_t>(block.size()), block.data(),
                                   static_cast<uint32_t>(block.size()), &bytes, nullptr));
    EXPECT_EQ(host::lastSystemError(), host::kErrorNotSupported);
}

TEST_F(LibusbControl, CyclePortResetsTheDeviceAndResetPipeClearsAHalt) {
    // SET_FEATURE(ENDPOINT_HALT) on the bulk endpoint, as a stalled stream leaves it.
    auto halt = controlBlock(0x02, sim::kSetFeature, sim::kFeatureEndpointHalt, 0x81, 0);
    uint32_t bytes = 0;
    ASSERT_TRUE(control(halt, bytes));
    ASSERT_TRUE(cam_.camera().bulkHalted());
    const uint8_t endpoint = 0x81;
    EXPECT_TRUE(driver_.ioControl(handle_, host::kIoctlResetPipe, &endpoint, 1, nullptr, 0, &bytes,
                                  nullptr));
    EXPECT_FALSE(cam_.camera().bulkHalted());

    ASSERT_TRUE(control(halt, bytes));
    EXPECT_TRUE(
        driver_.ioControl(handle_, host::kIoctlCyclePort, nullptr, 0, nullptr, 0, &bytes, nullptr));
    EXPECT_EQ(cam_.device().resets(), 1u);
    EXPECT_FALSE(cam_.camera().bulkHalted());
    auto echo = controlBlock(0xC0, 1, 0, 0, 4);
    EXPECT_TRUE(control(echo, bytes)) << "the device answers after the reset";
}

// A reset after which the device re-enumerates leaves libusb's handle dead although the
// reset went through: the port must find the device again at its place and go on with it,
// and say so when it does not come back.
TEST(LibusbReset, AResetThatReenumeratesTheDeviceReopensItAtItsPlace) {
    PluggedCamera cam(0x012B, 11);
    ASSERT_TRUE(cam.listed());
    auto vendor = std::make_shared<ScriptedVendor>();
    cam.camera().setVendorHandler(vendor);
    Driver& driver = Driver::instance();
    const host::Handle handle = driver.open(cam.path());
    ASSERT_NE(handle, host::kInvalidHandle);
    uint32_t bytes = 0;
    const auto cycle = [&] {
        return driver.ioControl(handle, host::kIoctlCyclePort, nullptr, 0, nullptr, 0, &bytes,
                                nullptr);
    };

    cam.device().leaveOnNextReset();
    std::thread back([&] {
        if (waitUntil([&] { return cam.device().resets() == 1; }))
            cam.reenumerate();
    });
    EXPECT_TRUE(cycle());
    back.join();
    auto echo = controlBlock(0xC0, 1, 0, 0, 4);
    EXPECT_TRUE(driver.ioControl(handle, host::kIoctlControlTransfer, echo.data(),
                                 static_cast<uint32_t>(echo.size()), echo.data(),
                                 static_cast<uint32_t>(echo.size()), &bytes, nullptr))
        << "the same handle reaches the device at its new address";
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_TRUE(driverLists(cam.path())) << "the camera stays where it was";

    cam.device().leaveOnNextReset();
    EXPECT_FALSE(cycle()) << "a device that does not come back fails the cycle";
    EXPECT_EQ(CapturedLog::count("did not come back after its reset"), 1u);
    driver.close(handle);
}

TEST(LibusbHotplug, EachPlugAndUnplugIsNotifiedOnceVirtualOnesToo) {
    std::mutex mutex;
    std::vector<host::DeviceChange> changes;
    auto& notifier = host::HotplugNotifier::instance();
    const auto id = notifier.connect([&](const host::DeviceChange& change) {
        std::lock_guard lock(mutex);
        changes.push_back(change);
    });
    {
        PluggedCamera cam(0x0030, 8);
        ASSERT_TRUE(cam.listed());
        cam.unplug();
        EXPECT_TRUE(cam.dropped());
    }
    auto virtualPort = host::VirtualPort::create(0x0030);
    Driver::instance().detach(Driver::instance().attach(virtualPort));
    notifier.disconnect(id);

    std::lock_guard lock(mutex);
    ASSERT_EQ(changes.size(), 4u);
    EXPECT_TRUE(changes[0].arrived);
    EXPECT_EQ(changes[0].path, usbPath(0x0030, 8));
    EXPECT_EQ(changes[0].vendorId, 0xA7B7);
    EXPECT_FALSE(changes[0].isVirtual);
    EXPECT_FALSE(changes[1].arrived);
    EXPECT_EQ(changes[1].path, changes[0].path);
    EXPECT_TRUE(changes[2].arrived && changes[2].isVirtual);
    EXPECT_FALSE(changes[3].arrived);
}

TEST(LibusbPermissions, RefusedAccessTellsWhichRuleToInstall) {
    PluggedCamera cam(0x0030, 9);
    ASSERT_TRUE(cam.listed());
    UsbfsTestbed& bed = UsbfsTestbed::instance();
    const std::string node = bed.realPath(cam.device().devNode());
    const std::string socket = bed.realPath("/ioctl" + cam.device().devNode());
    const std::string root = bed.realPath("");
    ASSERT_EQ(chmod(node.c_str(), 0), 0);
    // Root opens anything. Checking files as nobody on this thread makes the refusal real;
    // nobody may still reach the bed and its ioctl socket, only not the node.
    const bool asRoot = geteuid() == 0;
    if (asRoot) {
        chmod(root.c_str(), 0711);
        chmod(socket.c_str(), 0777);
        setfsuid(65534);
    }
    const host::Handle refused = Driver::instance().open(cam.path());
    const uint32_t error = host::lastSystemError();
    if (asRoot) {
        setfsuid(0);
        chmod(socket.c_str(), 0755);
        chmod(root.c_str(), 0700);
    }
    chmod(node.c_str(), 0644);

    EXPECT_EQ(refused, host::kInvalidHandle);
    EXPECT_EQ(error, host::kErrorAccessDenied);
    const std::string logged = CapturedLog::contents();
    EXPECT_NE(logged.find("/usr/lib/udev/rules.d/70-vidscope.rules"), std::string::npos) << logged;
    EXPECT_NE(logged.find("udevadm control --reload-rules"), std::string::npos);
    const host::Handle allowed = Driver::instance().open(cam.path());
    EXPECT_NE(allowed, host::kInvalidHandle);
    Driver::instance().close(allowed);
}

}  // namespace
}  // namespace vidscope::test
