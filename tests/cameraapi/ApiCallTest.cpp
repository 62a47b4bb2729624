// SPDX-License-Identifier: MIT
// The common prologue: index and slot checks, last-error rules, lock holds and nesting.
#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <future>
#include <string>
#include <thread>

#include "SlotFixture.h"
#include "WaitUntil.h"
#include "cameraapi/ApiCall.h"
#include "usb/UsbDevice.h"
#include "vidscope/camera_api.h"

namespace vidscope::api {
namespace {

using test::kGracePeriod;
using test::waitUntil;

constexpr uint32_t kUsb3ColourRow = 19;  // device code 0x3E00
constexpr uint32_t kFirstRow = 0;        // device code 0x0030

class ApiCallTest : public test::SlotFixture {};

TEST_F(ApiCallTest, IndexOutsideTheTableSetsOneAndTouchesNoSlot) {
    CameraContext* first = openSlot(0, kFirstRow);
    CameraContext* last = openSlot(255, kUsb3ColourRow);
    for (int index : {256, 257, 512, -1, -256, INT_MAX, INT_MIN}) {
        SCOPED_TRACE(index);
        EXPECT_EQ(CameraGetID(index), -1);
        EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_INDEX_OUT_OF_RANGE);

        ApiCall call(index, LockMode::Exclusive);
        EXPECT_FALSE(call);
        // A wrapped or clamped index would have locked one of these.
        EXPECT_EQ(first->lock.counters().holders, 0);
        EXPECT_EQ(last->lock.counters().holders, 0);
    }
    EXPECT_EQ(CameraSlots::at(0), first);
    EXPECT_EQ(CameraSlots::at(255), last);
}

TEST_F(ApiCallTest, LastIndexIsValid) {
    openSlot(255, kUsb3ColourRow);
    EXPECT_EQ(CameraGetID(255), 0x3E00);
}

TEST_F(ApiCallTest, EmptySlotSetsThree) {
    openSlot(4, kFirstRow);
    EXPECT_EQ(CameraGetID(5), -1);
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_NOT_INITIALIZED);
    ApiCall call(5, LockMode::Shared);
    EXPECT_FALSE(call);
    EXPECT_EQ(CameraGetID(4), 0x0030);
}

TEST_F(ApiCallTest, LastErrorIsPerThreadAndSurvivesSuccess) {
    openSlot(9, kUsb3ColourRow);
    EXPECT_EQ(CameraGetID(300), -1);
    EXPECT_EQ(CameraGetID(9), 0x3E00);  // success leaves the failure readable
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_INDEX_OUT_OF_RANGE);

    int freshThreadSaw = 0;
    int afterOwnFailure = 0;
    std::thread([&] {
        freshThreadSaw = CameraGetLastError();
        CameraGetID(10);  // empty slot
        afterOwnFailure = CameraGetLastError();
    }).join();
    EXPECT_EQ(freshThreadSaw, -1);
    EXPECT_EQ(afterOwnFailure, CAMERA_ERROR_NOT_INITIALIZED);
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_INDEX_OUT_OF_RANGE);
}

TEST_F(ApiCallTest, HoldLastsForTheCallOnly) {
    CameraContext* context = openSlot(20, kFirstRow);
    {
        ApiCall call(20, LockMode::Shared);
        ASSERT_TRUE(call);
        EXPECT_EQ(&call.context(), context);
        EXPECT_EQ(context->lock.counters().holders, 1);
        EXPECT_EQ(context->lock.counters().writers, 0);
    }
    EXPECT_EQ(context->lock.counters().holders, 0);
    {
        ApiCall call(20, LockMode::Exclusive);
        ASSERT_TRUE(call);
        EXPECT_EQ(context->lock.counters().writers, 1);
    }
    EXPECT_EQ(context->lock.counters().holders, 0);
    {
        ApiCall call(20, LockMode::None);
        ASSERT_TRUE(call);
        EXPECT_EQ(context->lock.counters().holders, 0);
    }
}

TEST_F(ApiCallTest, LateHoldAndEarlyReleaseUnlockExactlyOnce) {
    CameraContext* context = openSlot(21, kFirstRow);
    testing::internal::CaptureStdout();
    {
        ApiCall call(21, LockMode::None);
        ASSERT_TRUE(call);
        call.hold(LockMode::Exclusive);
        EXPECT_EQ(context->lock.counters().writers, 1);
        call.release();
        EXPECT_EQ(context->lock.counters().holders, 0);
    }
    // A second unlock by the destructor would have been reported here.
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(context->lock.counters().holders, 0);
}

TEST_F(ApiCallTest, MissingOrClosedDeviceSetsFourAndReleasesTheLock) {
    CameraContext* context = openSlot(30, kFirstRow);
    for (Needs needs : {Needs::Device, Needs::ControlEndpoint}) {
        ApiCall call(30, LockMode::Shared, needs);
        EXPECT_FALSE(call);
        EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_USB_DISCONNECTED);
        EXPECT_EQ(context->lock.counters().holders, 0);
    }

    context->device = std::make_unique<usb::UsbDevice>(false);  // never opened: no handle
    ApiCall call(30, LockMode::Shared, Needs::ControlEndpoint);
    EXPECT_FALSE(call);
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_USB_DISCONNECTED);
    EXPECT_EQ(context->lock.counters().holders, 0);

    ApiCall withoutDevice(30, LockMode::Shared, Needs::Slot);
    EXPECT_TRUE(withoutDevice);
}

// The outer call holds the lock shared, a writer queues behind it, then the same thread makes
// an inner call. Locking again would wait for the writer, which waits for the outer call.
TEST_F(ApiCallTest, InnerCallRunsUnderOuterHoldDespiteWaitingWriter) {
    CameraContext* context = openSlot(40, kFirstRow);
    std::promise<void> outerHeld;
    std::promise<void> writerQueued;
    std::promise<void> innerDone;
    std::promise<void> outerMayEnd;
    std::atomic<int> holdersAfterInner{-1};

    std::thread caller([&] {
        ApiCall outer(40, LockMode::Shared);
        outerHeld.set_value();
        writerQueued.get_future().wait();
        {
            ApiCall inner(40, LockMode::Shared);
            if (inner) {
                ApiCall innermost(40, LockMode::Exclusive);  // cannot upgrade; runs under it
            }
        }
        holdersAfterInner = context->lock.counters().holders;
        innerDone.set_value();
        outerMayEnd.get_future().wait();
    });
    outerHeld.get_future().wait();
    std::atomic<bool> writerIn{false};
    std::thread writer([&] {
        ApiCall call(40, LockMode::Exclusive);
        writerIn = true;
    });
    ASSERT_TRUE(waitUntil([&] { return context->lock.counters().waitingWriters == 1; }));
    writerQueued.set_value();

    std::future<void> inner = innerDone.get_future();
    if (inner.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        ADD_FAILURE() << "the inner call deadlocked behind the waiting writer";
        std::abort();  // the threads cannot be unblocked; stop rather than hang
    }
    // The inner calls neither added a hold nor ended the outer one early.
    EXPECT_EQ(holdersAfterInner.load(), 1);
    std::this_thread::sleep_for(kGracePeriod);
    EXPECT_FALSE(writerIn);

    outerMayEnd.set_value();
    caller.join();
    writer.join();
    EXPECT_TRUE(writerIn);
    EXPECT_EQ(context->lock.counters().holders, 0);
}

TEST_F(ApiCallTest, NestingIsPerCamera) {
    CameraContext* a = openSlot(50, kFirstRow);
    CameraContext* b = openSlot(51, kFirstRow);
    ApiCall outer(50, LockMode::Shared);
    {
        ApiCall other(51, LockMode::Exclusive);  // a different camera really locks
        ASSERT_TRUE(other);
        EXPECT_EQ(b->lock.counters().writers, 1);
        EXPECT_EQ(a->lock.counters().holders, 1);
    }
    EXPECT_EQ(b->lock.counters().holders, 0);
}

}  // namespace
}  // namespace vidscope::api
