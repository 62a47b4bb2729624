// SPDX-License-Identifier: MIT
// The frame query against the camera firmware: timeouts, triggers, aborts and unplugging.
#include <gtest/gtest.h>

#include <atomic>

#include <chrono>
#include <future>
#include <thread>

#include "CameraRig.h"
#include "ControlFixture.h"
#include "WaitUntil.h"
#include "cameraapi/device/OutputSize.h"
#include "cameraapi/device/VendorRequest.h"
#include "sim/SceneRenderer.h"
#include "usb/UsbDevice.h"

namespace vidscope::api {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::waitUntil;

class FrameStreamTest : public test::CameraRig {
protected:
    // Camera 0 streaming frames of the firmware's current size; 0x0030 and 0x3030 have small
    // sensors (752 x 480: one full transfer and a short one per frame).
    void openStreaming(uint16_t code) {
        port_ = plug(code);
        ASSERT_TRUE(open(0)) << CameraGetErrorName(CameraGetLastError());
        ASSERT_TRUE(CameraPlay(0));
        takeGeometry(0, *port_->firmware());
        image_.assign(port_->firmware()->geometry().frameBytes(), 0);
        // The camera renders its scene before the first frame, slowly in sanitizer builds.
        context(0).image.timeoutMs = 5000;
    }

    bool query(unsigned int flags = CAMERA_FORMAT_RAW8) {
        return CameraQueryImage(0, image_.data(), static_cast<unsigned int>(image_.size()), flags);
    }
    std::optional<uint32_t> stamp() const { return sim::SceneRenderer::readStamp(image_); }

    // The 0x0030 sensor waits for triggers with bit 0x10 of register 0x07 set.
    void enterTriggerMode() {
        const uint16_t value = port_->firmware()->registers().value(0x07) | 0x10;
        ASSERT_TRUE(VendorRequest::out(*context(0).device->controlEndPoint(),
                                       VendorRequest::kWriteRegister, value, 0x07));
        context(0).snapMode = 2;
        ASSERT_TRUE(CameraResetStream(0));
    }

    // Runs a query on another thread once the calling test is ready for it to block.
    std::future<int> queryElsewhere() {
        return std::async(std::launch::async,
                          [this] { return query() ? 0 : CameraGetLastError(); });
    }
    // True once a query in another thread holds the stream (and so is waiting for data).
    bool streamBusy() {
        std::recursive_mutex& m = context(0).streamMutex;
        if (!m.try_lock())
            return true;
        m.unlock();
        return false;
    }

    bool ringAllPending() {
        CameraContext& c = context(0);
        for (int i = 0; i < c.bufferCount; ++i) {
            if (c.overlapped[static_cast<size_t>(i)].status.load() != host::kErrorIoPending)
                return false;
        }
        return true;
    }

    std::shared_ptr<host::VirtualPort> port_;
    std::vector<uint8_t> image_;
};

TEST_F(FrameStreamTest, DeliversConsecutiveFramesAndResetsTheStreamOnRequest) {
    openStreaming(0x0030);
    for (uint32_t frame = 0; frame < 3; ++frame) {
        ASSERT_TRUE(query()) << CameraGetErrorName(CameraGetLastError());
        EXPECT_EQ(stamp(), frame);
    }
    // The ring already holds the next frames; a reset throws them away.
    ASSERT_TRUE(waitUntil([&] { return port_->firmware()->streamStats().framesCompleted > 6; }));
    ASSERT_TRUE(query(CAMERA_FORMAT_RAW8 | CAMERA_QUERY_RESET_STREAM));
    ASSERT_TRUE(stamp().has_value());
    EXPECT_GT(*stamp(), 4u);
}

TEST_F(FrameStreamTest, TimeoutResetsTheCameraAndTheStreamRecovers) {
    openStreaming(0x3030);
    ASSERT_TRUE(query()) << CameraGetErrorName(CameraGetLastError());
    const uint32_t cycles = port_->cycleCount();
    context(0).image.timeoutMs = 50;
    port_->firmware()->faults().silenceStream(400ms);
    ASSERT_TRUE(CameraResetStream(0));
    const auto start = Clock::now();
    EXPECT_FALSE(query());
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_DATA_TIMEOUT);
    EXPECT_LT(Clock::now() - start, 350ms);
    EXPECT_EQ(port_->cycleCount(), cycles + 1) << "the USB 3 reset cycles the parent port";
    EXPECT_TRUE(port_->firmware()->streaming());

    context(0).image.timeoutMs = 5000;
    EXPECT_TRUE(query()) << CameraGetErrorName(CameraGetLastError());
}

// A USB 2 camera is reset on the device, not on its port: its endpoints are cleared and it is
// asked to restart, and the stream comes back.
TEST_F(FrameStreamTest, TimeoutRestartsAUsb2CameraWithoutCyclingItsPort) {
    openStreaming(0x0030);
    auto requests = std::make_shared<test::RequestLog>(port_->firmware()->vendorHandler());
    port_->camera().setVendorHandler(requests);
    ASSERT_TRUE(query()) << CameraGetErrorName(CameraGetLastError());
    const uint32_t cycles = port_->cycleCount();
    context(0).image.timeoutMs = 50;
    port_->firmware()->faults().silenceStream(400ms);
    ASSERT_TRUE(CameraResetStream(0));
    EXPECT_FALSE(query());
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_DATA_TIMEOUT);
    EXPECT_EQ(port_->cycleCount(), cycles) << "a USB 2 reset leaves the port alone";
    const auto restarts = requests->withCode(VendorRequest::kRestart);
    ASSERT_EQ(restarts.size(), 1u);
    EXPECT_FALSE(restarts[0].in);

    context(0).image.timeoutMs = 5000;
    ASSERT_TRUE(query()) << CameraGetErrorName(CameraGetLastError());
    const std::optional<uint32_t> first = stamp();
    ASSERT_TRUE(query()) << CameraGetErrorName(CameraGetLastError());
    ASSERT_TRUE(first && stamp());
    EXPECT_GT(*stamp(), *first) << "whole frames in order again";

    // Called directly, it restarts the camera the same way.
    EXPECT_TRUE(CameraReset(0));
    EXPECT_EQ(requests->withCode(VendorRequest::kRestart).size(), 2u);
}

TEST_F(FrameStreamTest, TriggerModeWaitsWithoutResetAndFiresOnRequest) {
    openStreaming(0x0030);
    enterTriggerMode();
    context(0).image.timeoutMs = 50;
    EXPECT_FALSE(query());
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_DATA_TIMEOUT);
    EXPECT_TRUE(ringAllPending()) << "a reset would have aborted the queued transfers";

    context(0).image.timeoutMs = 5000;
    const uint64_t before = port_->firmware()->streamStats().framesCompleted;
    ASSERT_TRUE(query(CAMERA_FORMAT_RAW8 | CAMERA_QUERY_TRIGGER))
        << CameraGetErrorName(CameraGetLastError());
    EXPECT_TRUE(stamp().has_value());
    EXPECT_EQ(port_->firmware()->streamStats().framesCompleted, before + 1);

    port_->firmware()->faults().resizeFrames(-8, 1);
    EXPECT_FALSE(query(CAMERA_FORMAT_RAW8 | CAMERA_QUERY_TRIGGER));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_BAD_FRAME);
    EXPECT_TRUE(query(CAMERA_FORMAT_RAW8 | CAMERA_QUERY_TRIGGER));

    port_->firmware()->faults().failVendorRequests(0xA4, 1);
    EXPECT_FALSE(query(CAMERA_FORMAT_RAW8 | CAMERA_QUERY_TRIGGER));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_READ_PIPE);
}

TEST_F(FrameStreamTest, FreeFromAnotherThreadEndsAWaitingQuery) {
    openStreaming(0x0030);
    enterTriggerMode();
    context(0).image.timeoutMs = 10000;
    std::future<int> waiting = queryElsewhere();
    ASSERT_TRUE(waitUntil([&] { return streamBusy(); }));
    std::this_thread::sleep_for(test::kGracePeriod);

    const auto start = Clock::now();
    EXPECT_TRUE(CameraFree(0));
    EXPECT_LT(Clock::now() - start, 2s) << "well within one frame timeout";
    EXPECT_EQ(waiting.get(), CAMERA_ERROR_USER_ABORT);
    EXPECT_EQ(port_->pendingBulkTransfers(), 0u);
}

// The capture thread may still be leaving a query, releasing the camera's lock, when the
// close on another thread proceeds; the context must outlive that release. Many rounds give
// the sanitizers a chance to see a use after free.
TEST_F(FrameStreamTest, FreeWhileAQueryIsLeavingNeverTouchesFreedMemory) {
    port_ = plug(0x0030);
    for (int round = 0; round < 40; ++round) {
        ASSERT_TRUE(open(0)) << CameraGetErrorName(CameraGetLastError());
        takeGeometry(0, *port_->firmware());
        std::vector<uint8_t> frame(port_->firmware()->geometry().frameBytes());
        std::atomic<bool> started{false};
        std::thread capture([&] {
            while (CameraQueryImage(0, frame.data(), static_cast<unsigned int>(frame.size()),
                                    CAMERA_FORMAT_RAW8) ||
                   CameraGetLastError() != CAMERA_ERROR_NOT_INITIALIZED) {
                started = true;
            }
        });
        ASSERT_TRUE(waitUntil([&] { return started.load(); }));
        EXPECT_TRUE(CameraFree(0));
        capture.join();
    }
}

TEST_F(FrameStreamTest, ResetStreamFromAnotherThreadEndsAWaitingQuery) {
    openStreaming(0x0030);
    enterTriggerMode();
    context(0).image.timeoutMs = 10000;
    std::future<int> waiting = queryElsewhere();
    ASSERT_TRUE(waitUntil([&] { return streamBusy(); }));
    EXPECT_TRUE(CameraResetStream(0));
    EXPECT_EQ(waiting.get(), CAMERA_ERROR_USER_ABORT);
    EXPECT_TRUE(query(CAMERA_FORMAT_RAW8 | CAMERA_QUERY_TRIGGER)) << "the ring is intact";
}

// Unplugging must end the query with a transfer error, never hang or crash, and the camera
// must open again once it is back.
TEST_F(FrameStreamTest, CableUnpluggedMidFrame) {
    openStreaming(0x0030);
    ASSERT_TRUE(query()) << CameraGetErrorName(CameraGetLastError());
    port_->firmware()->faults().scheduleUnplug(sim::UnplugPoint::MidFrame);
    int error = 0;
    for (int i = 0; i < 40 && error == 0; ++i)
        error = query() ? 0 : CameraGetLastError();
    EXPECT_EQ(error, CAMERA_ERROR_DATA_XFER);
    EXPECT_FALSE(port_->firmware()->connected());
    EXPECT_TRUE(CameraFree(0));

    port_->firmware()->replug();
    ASSERT_TRUE(open(0)) << CameraGetErrorName(CameraGetLastError());
    takeGeometry(0, *port_->firmware());
    context(0).image.timeoutMs = 5000;
    EXPECT_TRUE(query()) << CameraGetErrorName(CameraGetLastError());
}

// A YUV camera that sends two bytes per pixel to a context that expects one (a resolution
// reply that claimed one): the mismatched frame is delivered as bad and converted, and the
// conversion must not read past what the query collected it into. The query runs on a fresh
// thread, whose conversion buffer starts empty, so that AddressSanitizer sees an overread.
TEST_F(FrameStreamTest, AMisSizedYuvFrameIsConvertedWithinItsBuffer) {
    port_ = plug(0xC030);
    ASSERT_TRUE(open(0)) << CameraGetErrorName(CameraGetLastError());
    takeGeometry(0, 640, 480, 1);
    context(0).image.timeoutMs = 5000;
    ASSERT_EQ(port_->firmware()->geometry().frameBytes(), 2u * 640 * 480);
    ASSERT_EQ(OutputSize::frameBytes(context(0)), 640u * 480);
    image_.assign(size_t{640} * 480 * 3, 0);
    const int error = std::async(std::launch::async, [this] {
                          return query(CAMERA_FORMAT_RGB24) ? 0 : CameraGetLastError();
                      }).get();
    EXPECT_EQ(error, CAMERA_ERROR_BAD_FRAME);
}

TEST_F(FrameStreamTest, DeviceRemovedWhileAQueryWaits) {
    openStreaming(0x0030);
    enterTriggerMode();
    context(0).image.timeoutMs = 10000;
    std::future<int> waiting = queryElsewhere();
    ASSERT_TRUE(waitUntil([&] { return streamBusy(); }));
    const auto start = Clock::now();
    unplug(port_);
    EXPECT_EQ(waiting.get(), CAMERA_ERROR_DATA_XFER);
    EXPECT_LT(Clock::now() - start, 2s);
    EXPECT_FALSE(query()) << "every later query fails too";
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_DATA_XFER);
    EXPECT_TRUE(CameraFree(0));

    std::shared_ptr<host::VirtualPort> back = replug(port_);
    ASSERT_TRUE(open(0)) << CameraGetErrorName(CameraGetLastError());
    EXPECT_EQ(back->pendingBulkTransfers(), 20u);
    takeGeometry(0, *port_->firmware());
    context(0).image.timeoutMs = 5000;
    context(0).snapMode = 2;  // the camera kept its registers: still in trigger mode
    EXPECT_TRUE(query(CAMERA_FORMAT_RAW8 | CAMERA_QUERY_TRIGGER))
        << CameraGetErrorName(CameraGetLastError());
}

// The capture thread queries while the GUI thread uses the other calls of the same camera.
TEST_F(FrameStreamTest, QueriesRunBesideOtherCallsOnTheSameCamera) {
    openStreaming(0x0030);
    std::atomic<bool> stop{false};
    std::atomic<int> frames{0};
    std::atomic<int> failures{0};
    std::thread capture([&] {
        std::vector<uint8_t> own(image_.size());
        while (!stop) {
            if (CameraQueryImage(0, own.data(), static_cast<unsigned int>(own.size()),
                                 CAMERA_FORMAT_RAW8)) {
                ++frames;
            } else {
                ++failures;
            }
        }
    });
    unsigned int width = 0;
    unsigned int height = 0;
    unsigned int version = 0;
    for (int i = 0; i < 20; ++i) {
        EXPECT_TRUE(CameraGetImageSize(0, &width, &height));
        EXPECT_TRUE(CameraGetFirmVersion(0, &version));
        if (i % 5 == 0) {
            EXPECT_TRUE(CameraResetStream(0));
        }
        std::this_thread::sleep_for(2ms);
    }
    ASSERT_TRUE(waitUntil([&] { return frames > 10; }));
    stop = true;
    capture.join();
    EXPECT_EQ(width, 752u);
    // Each reset may end at most the one query it interrupted.
    EXPECT_LE(failures.load(), 4);
}

}  // namespace
}  // namespace vidscope::api
