// SPDX-License-Identifier: MIT
// Frame queries racing the calls of other threads: resolution changes, timeouts, resets, close.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <set>
#include <thread>

#include "CameraRig.h"
#include "WaitUntil.h"
#include "cameraapi/device/VendorRequest.h"
#include "usb/UsbDevice.h"

namespace vidscope::api {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::PatternSource;
using test::waitUntil;

// The 0x0030 resolution list: 0 is the full 752 x 480 sensor, 3 the smallest (184 x 120).
constexpr unsigned short kFullSensor = 0;
constexpr unsigned short kSmallest = 3;
constexpr size_t kGuardBytes = 4096;
constexpr uint8_t kGuard = 0xA5;

class StreamRaceTest : public test::CameraRig {
protected:
    // Camera 0 (752 x 480) streaming only the frames a test scripts.
    void openScripted() {
        port_ = plug(0x0030);
        source_ = std::make_shared<PatternSource>();
        port_->camera().setBulkSource(source_);
        ASSERT_TRUE(open(0)) << CameraGetErrorName(CameraGetLastError());
    }

    static unsigned int bufferSize(unsigned int flags) {
        unsigned int size = 0;
        EXPECT_TRUE(CameraGetImageBufferSize(0, &size, flags));
        return size;
    }

    // A query on another thread into a buffer of the size the camera reports now, followed
    // by guard bytes that no conversion may touch.
    std::future<int> queryElsewhere(std::vector<uint8_t>& image, unsigned int flags) {
        const unsigned int size = bufferSize(flags);
        image.assign(size + kGuardBytes, kGuard);
        return std::async(std::launch::async, [&image, size, flags] {
            return CameraQueryImage(0, image.data(), size, flags) ? 0 : CameraGetLastError();
        });
    }

    static bool guardIntact(const std::vector<uint8_t>& image) {
        return std::all_of(image.end() - kGuardBytes, image.end(),
                           [](uint8_t b) { return b == kGuard; });
    }

    static bool streamBusy() {
        std::recursive_mutex& m = context(0).streamMutex;
        if (!m.try_lock())
            return true;
        m.unlock();
        return false;
    }

    std::shared_ptr<host::VirtualPort> port_;
    std::shared_ptr<PatternSource> source_;
};

// A processed query checks the caller's size, then waits for the frame; the resolution grows
// meanwhile and the frame that arrives is still one of the old size. Converting it with the
// new size would write the larger image into the caller's smaller buffer.
TEST_F(StreamRaceTest, ResolutionGrownUnderAWaitingProcessedQueryNeverOverrunsItsBuffer) {
    openScripted();
    ASSERT_TRUE(CameraSetResolution(0, kSmallest, nullptr, nullptr, nullptr));
    const size_t smallFrame = 184u * 120u;
    ASSERT_EQ(bufferSize(CAMERA_FORMAT_RAW8), smallFrame);
    CameraSetTimeout(0, 10000);

    std::vector<uint8_t> image;
    std::future<int> waiting = queryElsewhere(image, CAMERA_FORMAT_RGB24);
    ASSERT_TRUE(waitUntil([&] { return streamBusy(); }));
    ASSERT_TRUE(CameraSetResolution(0, kFullSensor, nullptr, nullptr, nullptr));
    source_->send({smallFrame});

    EXPECT_EQ(waiting.get(), CAMERA_ERROR_PARAMETER_UNREASONABLE);
    EXPECT_TRUE(guardIntact(image)) << "the conversion wrote past the caller's buffer";

    // The next query is sized for the new resolution and gets its frame.
    source_->send({752u * 480u});
    std::future<int> next = queryElsewhere(image, CAMERA_FORMAT_RGB24);
    EXPECT_EQ(next.get(), 0) << CameraGetErrorName(CameraGetLastError());
    EXPECT_TRUE(guardIntact(image));
}

// The same race in both directions, on a camera that streams: every query either delivers
// within its buffer or fails with the size error; the sanitizer builds watch the accesses.
TEST_F(StreamRaceTest, ResolutionChangedInALoopBesideProcessedQueries) {
    std::shared_ptr<host::VirtualPort> port = plug(0x0030);
    ASSERT_TRUE(open(0)) << CameraGetErrorName(CameraGetLastError());
    CameraSetTimeout(0, 5000);
    std::atomic<bool> stop{false};
    std::atomic<int> frames{0};
    std::set<int> errors;
    bool overran = false;
    std::thread processing([&] {
        std::vector<uint8_t> image;
        while (!stop) {
            unsigned int size = 0;
            CameraGetImageBufferSize(0, &size, CAMERA_FORMAT_RGB24);
            image.assign(size + kGuardBytes, kGuard);
            if (CameraQueryImage(0, image.data(), size, CAMERA_FORMAT_RGB24))
                ++frames;
            else
                errors.insert(CameraGetLastError());
            overran = overran || !guardIntact(image);
        }
    });
    for (int round = 0; round < 60; ++round) {
        const unsigned short number = round % 2 == 0 ? kSmallest : kFullSensor;
        EXPECT_TRUE(CameraSetResolution(0, number, nullptr, nullptr, nullptr));
        std::this_thread::sleep_for(1ms);
    }
    const int before = frames;
    EXPECT_TRUE(waitUntil([&] { return frames > before + 2; })) << "the stream recovers";
    stop = true;
    processing.join();
    EXPECT_FALSE(overran);
    for (int error : errors) {
        EXPECT_TRUE(error == CAMERA_ERROR_PARAMETER_UNREASONABLE || error == CAMERA_ERROR_BAD_FRAME)
            << CameraGetErrorName(error);
    }
}

// Under ThreadSanitizer: the frame timeout and the geometry are written by the control calls
// while a query and the buffer-size function read them on other threads.
TEST_F(StreamRaceTest, TimeoutAndGeometryChangeWhileOtherThreadsReadThem) {
    openScripted();
    ASSERT_TRUE(CameraSetResolution(0, kSmallest, nullptr, nullptr, nullptr));
    ASSERT_TRUE(CameraSetTimeout(0, 20000));
    std::vector<uint8_t> image;
    std::future<int> waiting = queryElsewhere(image, CAMERA_FORMAT_RAW8);
    std::atomic<bool> stop{false};
    std::thread sizes([&] {
        unsigned int size = 0;
        while (!stop)
            CameraGetImageBufferSize(0, &size, CAMERA_FORMAT_RGB24);
    });
    ASSERT_TRUE(waitUntil([&] { return streamBusy(); }));
    for (int round = 0; round < 40; ++round) {
        EXPECT_TRUE(CameraSetTimeout(0, 2000 + round));
        EXPECT_TRUE(
            CameraSetResolution(0, round % 2 ? kSmallest : kFullSensor, nullptr, nullptr, nullptr));
    }
    stop = true;
    sizes.join();
    // Ends on the smallest size; the query began there too and takes the frame.
    source_->send({184u * 120u});
    EXPECT_EQ(waiting.get(), 0) << CameraGetErrorName(CameraGetLastError());
}

// A capture loop re-queries as soon as a query ends; the reset or close of another thread
// must neither wait for a whole frame timeout behind a query that began after its signal,
// nor make a query report an unplug that did not happen.
class AbortRaceTest : public test::CameraRig {
protected:
    // Camera 0 in trigger mode: queries wait for the full (long) timeout unless aborted.
    void openWaiting() {
        port_ = plug(0x0030);
        ASSERT_TRUE(open(0)) << CameraGetErrorName(CameraGetLastError());
        const uint16_t value = port_->firmware()->registers().value(0x07) | 0x10;
        ASSERT_TRUE(VendorRequest::out(*context(0).device->controlEndPoint(),
                                       VendorRequest::kWriteRegister, value, 0x07));
        context(0).snapMode = 2;
        ASSERT_TRUE(CameraResetStream(0));
        ASSERT_TRUE(CameraSetTimeout(0, 20000));
        unsigned int size = 0;
        ASSERT_TRUE(CameraGetImageBufferSize(0, &size, CAMERA_FORMAT_RAW8));
        size_ = size;
    }

    // Queries until the camera is closed; returns every error seen.
    std::thread captureLoop(std::set<int>& errors, std::atomic<int>& queries) {
        return std::thread([this, &errors, &queries] {
            std::vector<uint8_t> image(size_);
            for (;;) {
                ++queries;
                if (CameraQueryImage(0, image.data(), size_, CAMERA_FORMAT_RAW8))
                    continue;
                const int error = CameraGetLastError();
                errors.insert(error);
                if (error == CAMERA_ERROR_NOT_INITIALIZED)
                    return;
            }
        });
    }

    static bool streamBusy() {
        std::recursive_mutex& m = context(0).streamMutex;
        if (!m.try_lock())
            return true;
        m.unlock();
        return false;
    }

    std::shared_ptr<host::VirtualPort> port_;
    unsigned int size_ = 0;
};

TEST_F(AbortRaceTest, ResetStreamBesideAQueryLoopReturnsAtOnce) {
    openWaiting();
    std::set<int> errors;
    std::atomic<int> queries{0};
    std::thread capture = captureLoop(errors, queries);
    for (int round = 0; round < 20; ++round) {
        // The capture thread holds the stream, waiting for a frame.
        if (!waitUntil([&] { return streamBusy(); })) {
            ADD_FAILURE() << "no query waits, round " << round;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(round % 4));
        const int before = queries;
        const auto start = Clock::now();
        EXPECT_TRUE(CameraResetStream(0));
        EXPECT_LT(Clock::now() - start, 2s) << "round " << round;
        // The query the reset ended comes back and waits again.
        if (!waitUntil([&] { return queries > before; })) {
            ADD_FAILURE() << "the capture loop is stuck, round " << round;
            break;
        }
    }
    const auto start = Clock::now();
    EXPECT_TRUE(CameraFree(0));
    EXPECT_LT(Clock::now() - start, 2s);
    capture.join();
    EXPECT_EQ(errors, (std::set<int>{CAMERA_ERROR_USER_ABORT, CAMERA_ERROR_NOT_INITIALIZED}));
}

TEST_F(AbortRaceTest, QueriesRacingAFreeReportAbortOrClosedNeverAnUnplug) {
    for (int round = 0; round < 15; ++round) {
        openWaiting();
        std::set<int> errors;
        std::atomic<int> queries{0};
        std::thread capture = captureLoop(errors, queries);
        EXPECT_TRUE(waitUntil([&] { return queries > 0; }));
        std::this_thread::sleep_for(std::chrono::milliseconds(round % 4));
        const auto start = Clock::now();
        EXPECT_TRUE(CameraFree(0));
        EXPECT_LT(Clock::now() - start, 2s) << "round " << round;
        capture.join();
        errors.erase(CAMERA_ERROR_USER_ABORT);
        EXPECT_EQ(errors, std::set<int>{CAMERA_ERROR_NOT_INITIALIZED}) << "round " << round;
        TearDown();
    }
}

}  // namespace
}  // namespace vidscope::api
