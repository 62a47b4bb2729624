// SPDX-License-Identifier: MIT
// Trigger mode on an opened, streaming camera: drain on entry, frames only on a shot, aborts.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>
#include <vector>

#include "CameraRig.h"
#include "WaitUntil.h"
#include "sim/SceneRenderer.h"

namespace vidscope::api {
namespace {

using Clock = std::chrono::steady_clock;

class TriggerStreamTest : public test::CameraRig {
protected:
    // A small USB 2 camera that streams from power-on: 752 x 480, two transfers a frame.
    void openStreaming() {
        port_ = plug(0x0030);
        ASSERT_NE(port_, nullptr);
        ASSERT_TRUE(open(0)) << CameraGetErrorName(CameraGetLastError());
        takeGeometry(0, *port_->firmware());
        image_.assign(size_t{752} * 480, 0);
    }

    // Frames that must come get a generous timeout (sanitizer builds render slowly); a query
    // that must time out gets a short one.
    bool query(int32_t timeoutMs = kFrameExpected) {
        context(0).image.timeoutMs = timeoutMs;
        return CameraQueryImage(0, image_.data(), static_cast<unsigned int>(image_.size()),
                                CAMERA_FORMAT_RAW8);
    }
    static constexpr int32_t kFrameExpected = 5000;
    static constexpr int32_t kNoFrameExpected = 300;
    static constexpr int32_t kWaitingQuery = 3000;
    uint32_t stamp() const { return sim::SceneRenderer::readStamp(image_).value_or(~0u); }
    sim::CameraFirmware& firmware() { return *port_->firmware(); }

    std::shared_ptr<host::VirtualPort> port_;
    std::vector<uint8_t> image_;
};

TEST_F(TriggerStreamTest, TriggerModeDiscardsTheFreeRunningFramesAndWaitsForAShot) {
    openStreaming();
    ASSERT_TRUE(query()) << CameraGetErrorName(CameraGetLastError());
    // Let the free-running stream fill the whole ring with frames nobody asked for.
    ASSERT_TRUE(test::waitUntil([&] { return port_->pendingBulkTransfers() == 0; }));

    ASSERT_TRUE(CameraSetSnapMode(0, 2));
    const uint32_t firstTriggered = firmware().streamStats().nextFrameNumber;
    EXPECT_FALSE(query(kNoFrameExpected))
        << "a frame from before the switch was delivered: " << stamp();
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_DATA_TIMEOUT);

    ASSERT_TRUE(CameraTriggerShot(0));
    ASSERT_TRUE(query()) << CameraGetErrorName(CameraGetLastError());
    EXPECT_GE(stamp(), firstTriggered);
    EXPECT_FALSE(query(kNoFrameExpected)) << "one shot, one frame";
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_DATA_TIMEOUT);

    ASSERT_TRUE(CameraSetSnapMode(0, 1));
    EXPECT_TRUE(query()) << CameraGetErrorName(CameraGetLastError());
}

// Entering trigger mode must not wait a frame timeout for a query that is waiting in the
// capture thread: it makes that query give up.
TEST_F(TriggerStreamTest, SwitchingEndsAWaitingQuery) {
    openStreaming();
    ASSERT_TRUE(CameraSetSnapMode(0, 2));
    auto waiting = std::async(std::launch::async, [&] {
        const auto start = Clock::now();
        const bool ok = query(kWaitingQuery);
        return std::make_tuple(ok, CameraGetLastError(), Clock::now() - start);
    });
    std::this_thread::sleep_for(test::kGracePeriod);
    ASSERT_TRUE(CameraSetSnapMode(0, 2));
    const auto [ok, error, waited] = waiting.get();
    EXPECT_FALSE(ok);
    EXPECT_EQ(error, CAMERA_ERROR_USER_ABORT);
    EXPECT_LT(waited, std::chrono::milliseconds(kWaitingQuery / 2))
        << "the query ran into its timeout";

    ASSERT_TRUE(CameraTriggerShot(0));
    EXPECT_TRUE(query()) << "the ring still works after the drain";
}

TEST_F(TriggerStreamTest, UnpluggedCameraFailsEveryIoCallAndStillCloses) {
    openStreaming();
    unplug(port_);
    EXPECT_FALSE(CameraSetSnapMode(0, 2));
    const int snapError = CameraGetLastError();
    EXPECT_TRUE(snapError == CAMERA_ERROR_READ_PIPE || snapError == CAMERA_ERROR_USB_DISCONNECTED)
        << CameraGetErrorName(snapError);
    EXPECT_EQ(CameraGetGPIO(0), -1);
    EXPECT_FALSE(CameraEnableStrobe(0, true));
    unsigned char byte = 0;
    EXPECT_FALSE(CameraReadEEPROM(0, 0, 0x1D00, &byte, 0));
    EXPECT_TRUE(CameraFree(0));
}

}  // namespace
}  // namespace vidscope::api
