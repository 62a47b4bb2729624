// SPDX-License-Identifier: MIT
// The common prologue: index and slot checks, last-error rules, lock holds and nesting.
#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cstdlib>
#include <future>
#include <thread>

#include "SlotFixture.h"
#include "WaitUntil.h"
#include "cameraapi/api/ApiCall.h"
#include "vidscope/camera_api.h"

namespace vidscope::api {
namespace {

using test::kGracePeriod;
using test::waitUntil;

constexpr uint32_t kRow0030 = 0;
constexpr uint32_t kRow3E00 = 19;

class ApiCallTest : public test::SlotFixture {};

TEST_F(ApiCallTest, IndexAndSlotChecks) {
    CameraContext* first = openSlot(0, kRow0030);
    CameraContext* last = openSlot(255, kRow3E00);
    for (int index : {256, 512, -1, INT_MAX, INT_MIN}) {
        SCOPED_TRACE(index);
        EXPECT_EQ(CameraGetID(index), -1);
        EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_INDEX_OUT_OF_RANGE);
        ApiCall call(index, LockMode::Exclusive);
        EXPECT_FALSE(call);
        // A wrapped or clamped index would have locked one of these.
        EXPECT_EQ(first->lock.counters().holders + last->lock.counters().holders, 0);
    }
    EXPECT_EQ(CameraSlots::at(0), first);
    EXPECT_EQ(CameraSlots::at(255), last);

    EXPECT_EQ(CameraGetID(255), 0x3E00);
    EXPECT_EQ(CameraGetID(1), -1);
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_NOT_INITIALIZED);
}

TEST_F(ApiCallTest, LastErrorIsPerThreadAndSurvivesSuccess) {
    openSlot(9, kRow3E00);
    EXPECT_EQ(CameraGetID(300), -1);
    EXPECT_EQ(CameraGetID(9), 0x3E00);
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_INDEX_OUT_OF_RANGE);

    int freshThreadSaw = 0;
    int afterOwnFailure = 0;
    std::thread([&] {
        freshThreadSaw = CameraGetLastError();
        CameraGetID(10);
        afterOwnFailure = CameraGetLastError();
    }).join();
    EXPECT_EQ(freshThreadSaw, -1);
    EXPECT_EQ(afterOwnFailure, CAMERA_ERROR_NOT_INITIALIZED);
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_INDEX_OUT_OF_RANGE);
}

TEST_F(ApiCallTest, HoldsLastForTheCallAndEndExactlyOnce) {
    CameraContext* context = openSlot(20, kRow0030);
    {
        ApiCall call(20, LockMode::Shared);
        ASSERT_TRUE(call);
        EXPECT_EQ(&call.context(), context);
        EXPECT_EQ(context->lock.counters().holders, 1);
    }
    EXPECT_EQ(context->lock.counters().holders, 0);

    testing::internal::CaptureStdout();
    {
        ApiCall call(20, LockMode::None);
        EXPECT_EQ(context->lock.counters().holders, 0);
        call.hold(LockMode::Exclusive);
        EXPECT_EQ(context->lock.counters().writers, 1);
        call.release();
    }
    // A second unlock by the destructor would have printed its failure.
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(context->lock.counters().holders, 0);
}

TEST_F(ApiCallTest, MissingDeviceSetsFourAndReleasesTheLock) {
    CameraContext* context = openSlot(30, kRow0030);
    for (Needs needs : {Needs::Device, Needs::ControlEndpoint}) {
        ApiCall call(30, LockMode::Shared, needs);
        EXPECT_FALSE(call);
        EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_USB_DISCONNECTED);
        EXPECT_EQ(context->lock.counters().holders, 0);
    }
    EXPECT_TRUE(ApiCall(30, LockMode::Shared, Needs::Slot));
}

// The outer call holds the lock shared, a writer queues behind it, then the same thread makes
// inner calls. Locking again would wait for the writer, which waits for the outer call.
TEST_F(ApiCallTest, InnerCallsRunUnderTheOuterHoldDespiteAWaitingWriter) {
    CameraContext* context = openSlot(40, kRow0030);
    CameraContext* other = openSlot(41, kRow0030);
    std::promise<void> outerHeld, writerQueued, innerDone, outerMayEnd;
    std::atomic<int> holdersAfterInner{-1};
    std::atomic<int> otherWriters{-1};

    std::thread caller([&] {
        ApiCall outer(40, LockMode::Shared);
        outerHeld.set_value();
        writerQueued.get_future().wait();
        {
            ApiCall inner(40, LockMode::Shared);
            ApiCall innermost(40, LockMode::Exclusive);    // cannot upgrade; runs under it
            ApiCall otherCamera(41, LockMode::Exclusive);  // a different camera really locks
            otherWriters = other->lock.counters().writers;
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

    if (innerDone.get_future().wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        ADD_FAILURE() << "an inner call deadlocked behind the waiting writer";
        std::abort();  // the threads cannot be unblocked; stop rather than hang
    }
    EXPECT_EQ(otherWriters.load(), 1);
    // The inner calls neither added a hold nor ended the outer one early.
    EXPECT_EQ(holdersAfterInner.load(), 1);
    std::this_thread::sleep_for(kGracePeriod);
    EXPECT_FALSE(writerIn);

    outerMayEnd.set_value();
    caller.join();
    writer.join();
    EXPECT_TRUE(writerIn);
    EXPECT_EQ(context->lock.counters().holders + other->lock.counters().holders, 0);
}

}  // namespace
}  // namespace vidscope::api
