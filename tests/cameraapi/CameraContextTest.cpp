// SPDX-License-Identifier: MIT
// A camera context over a virtual camera: the device checks and a safe teardown.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "SlotFixture.h"
#include "cameraapi/api/ApiCall.h"
#include "usb/UsbDevice.h"
#include "usb/host/Driver.h"
#include "usb/host/VirtualPort.h"
#include "vidscope/camera_api.h"

namespace vidscope::api {
namespace {

// A virtual camera plugged into the driver for the lifetime of the object, and a context
// with a device opened on it.
class PluggedCamera {
public:
    explicit PluggedCamera(uint16_t productId) : port_(host::VirtualPort::create(productId)) {
        id_ = host::Driver::instance().attach(port_);
    }
    ~PluggedCamera() { host::Driver::instance().detach(id_); }

    host::VirtualPort& port() const { return *port_; }
    bool openInto(CameraContext& context) const {
        auto paths = host::Driver::instance().presentInterfaces().paths;
        auto it = std::find(paths.begin(), paths.end(), host::Driver::instance().pathOf(id_));
        context.device = std::make_unique<usb::UsbDevice>(false);
        return context.device->Open(static_cast<uint8_t>(it - paths.begin()));
    }

private:
    std::shared_ptr<host::VirtualPort> port_;
    host::Driver::PortId id_ = 0;
};

class CameraContextTest : public test::SlotFixture {};

TEST_F(CameraContextTest, PrologueAcceptsAnOpenDeviceAndRefusesAClosedOne) {
    PluggedCamera camera(0x3E00);
    CameraContext* context = openSlot(60, 19);
    ASSERT_TRUE(camera.openInto(*context));
    EXPECT_TRUE(ApiCall(60, LockMode::Shared, Needs::ControlEndpoint));

    context->device->Close();
    EXPECT_FALSE(ApiCall(60, LockMode::Shared, Needs::Device));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_USB_DISCONNECTED);
    EXPECT_EQ(context->lock.counters().holders, 0);
}

// A queued transfer writes into its ring buffer and record when it ends; destroying the
// context must end it first (AddressSanitizer reports the write otherwise).
TEST_F(CameraContextTest, DestroyingEndsTransfersStillQueued) {
    PluggedCamera camera(0x0500);  // no stream source: bulk reads stay pending
    auto context = std::make_unique<CameraContext>();
    ASSERT_TRUE(camera.openInto(*context));
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

    context.reset();
    EXPECT_EQ(camera.port().pendingBulkTransfers(), 0u);
}

}  // namespace
}  // namespace vidscope::api
