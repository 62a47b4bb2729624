// SPDX-License-Identifier: MIT
// A camera context: creation state, the prologue over a real device, and safe teardown.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>

#include "SlotFixture.h"
#include "cameraapi/ApiCall.h"
#include "usb/UsbDevice.h"
#include "usb/host/Driver.h"
#include "usb/host/VirtualPort.h"
#include "vidscope/camera_api.h"

namespace vidscope::api {
namespace {

// A virtual camera plugged into the driver for the lifetime of the object.
class PluggedCamera {
public:
    explicit PluggedCamera(uint16_t productId) : port_(host::VirtualPort::create(productId)) {
        id_ = host::Driver::instance().attach(port_);
    }
    ~PluggedCamera() { host::Driver::instance().detach(id_); }

    host::VirtualPort& port() const { return *port_; }
    uint8_t position() const {
        auto paths = host::Driver::instance().presentInterfaces().paths;
        auto it = std::find(paths.begin(), paths.end(), host::Driver::instance().pathOf(id_));
        return static_cast<uint8_t>(it - paths.begin());
    }

private:
    std::shared_ptr<host::VirtualPort> port_;
    host::Driver::PortId id_ = 0;
};

TEST(CameraContext, StartsAsAFreshCamera) {
    CameraContext context;
    EXPECT_EQ(context.width * context.height * context.bytesPerPixel, 640u * 480u);
    EXPECT_EQ(context.image.timeoutMs, 500);
    EXPECT_EQ(context.image.flags, kFlagAutoGain | kFlagAutoExposure);
    EXPECT_DOUBLE_EQ(context.lineTime, 1.0);
    EXPECT_EQ(context.snapMode, 1);
    EXPECT_EQ(context.lastFrameTick, 0u);
    EXPECT_FALSE(context.abortEvent.isSet());

    // Every ring record signals an auto-reset event of its own.
    std::set<host::Event*> events;
    for (const host::Overlapped& record : context.overlapped) {
        ASSERT_NE(record.event, nullptr);
        events.insert(record.event);
    }
    EXPECT_EQ(events.size(), CameraContext::kMaxBuffers);
    context.overlapped[7].event->set();
    EXPECT_TRUE(context.overlapped[7].event->wait(0));
    EXPECT_FALSE(context.overlapped[7].event->wait(0));
    EXPECT_FALSE(context.overlapped[8].event->isSet());
}

TEST(CameraContext, QuarterTurnSwapsTheReportedSize) {
    CameraContext context;
    context.width = 1280;
    context.height = 960;
    EXPECT_EQ(context.outputWidth(), 1280u);
    context.image.flags |= kFlagRotate;
    EXPECT_EQ(context.outputWidth(), 960u);
    EXPECT_EQ(context.outputHeight(), 1280u);
}

class DeviceContextTest : public test::SlotFixture {};

TEST_F(DeviceContextTest, PrologueAcceptsAnOpenDeviceAndRefusesAClosedOne) {
    PluggedCamera camera(0x3E00);
    CameraContext* context = openSlot(60, 19);
    context->device = std::make_unique<usb::UsbDevice>(false);
    ASSERT_TRUE(context->device->Open(camera.position()));
    {
        ApiCall call(60, LockMode::Shared, Needs::ControlEndpoint);
        EXPECT_TRUE(call);
    }
    context->device->Close();
    ApiCall call(60, LockMode::Shared, Needs::Device);
    EXPECT_FALSE(call);
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_USB_DISCONNECTED);
}

// A queued transfer writes into its ring buffer and record when it ends; destroying the
// context must end it first (AddressSanitizer reports the write otherwise).
TEST(CameraContext, DestroyingEndsTransfersStillQueued) {
    PluggedCamera camera(0x0500);  // no stream source: bulk reads stay pending
    auto context = std::make_unique<CameraContext>();
    context->device = std::make_unique<usb::UsbDevice>(false);
    ASSERT_TRUE(context->device->Open(camera.position()));
    usb::BulkEndpoint* bulkIn = context->device->bulkInEndPoint();
    ASSERT_NE(bulkIn, nullptr);

    constexpr uint32_t kSize = 307200;
    for (size_t i = 0; i < 3; ++i) {
        context->buffers[i] = std::make_unique_for_overwrite<uint8_t[]>(kSize);
        context->pendingTransfers[i] =
            bulkIn->BeginTransfer(context->buffers[i].get(), kSize, context->overlapped[i]);
        ASSERT_NE(context->pendingTransfers[i], nullptr);
    }
    EXPECT_EQ(camera.port().pendingBulkTransfers(), 3u);
    EXPECT_FALSE(context->overlapped[0].done.isSet());

    context.reset();
    EXPECT_EQ(camera.port().pendingBulkTransfers(), 0u);
}

}  // namespace
}  // namespace vidscope::api
