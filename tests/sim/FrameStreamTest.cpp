// SPDX-License-Identifier: MIT
// The bulk-in stream: framing into transfers, triggers, start and stop, faults, pacing.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "FirmwareTestSupport.h"

namespace vidscope::sim::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr size_t kSmallFrame = 752 * 480;  // models 0x0030, 0x003B, 0x3030

std::vector<uint32_t> lengths(const Collected& c) {
    std::vector<uint32_t> out;
    for (const Transfer& t : c.transfers)
        out.push_back(t.length);
    return out;
}

uint32_t stampOf(const Collected& c) {
    return SceneRenderer::readStamp(c.frame).value_or(~0u);
}

// Runs one frame collection on another thread so that a test can look at it while it blocks.
struct PendingFrame {
    std::stop_source stop;
    std::future<Collected> result;
    PendingFrame(BulkInSource& source, size_t bufferSize) {
        result = std::async(std::launch::async, [&source, bufferSize, token = stop.get_token()] {
            return collectFrame(source, bufferSize, token);
        });
    }
    bool blocked() { return result.wait_for(30ms) == std::future_status::timeout; }
};

TEST(FrameStream, FramesAreCutIntoTheHostsTransfers) {
    ScratchDirectory dir;
    auto fw = makeCamera(0x0030, dir);
    auto source = fw->bulkSource();

    // Smaller than one buffer: one short transfer.
    Collected one = collectFrame(*source, kSmallFrame + 1000);
    EXPECT_EQ(lengths(one), (std::vector<uint32_t>{kSmallFrame}));

    // An exact multiple: full transfers, then a zero-length one.
    Collected exact = collectFrame(*source, kSmallFrame / 4);
    const uint32_t quarter = kSmallFrame / 4;
    EXPECT_EQ(lengths(exact), (std::vector<uint32_t>{quarter, quarter, quarter, quarter, 0}));

    // Spanning transfers with a remainder.
    Collected spanning = collectFrame(*source, 307200);
    EXPECT_EQ(lengths(spanning), (std::vector<uint32_t>{307200, kSmallFrame - 307200}));

    EXPECT_EQ(stampOf(one), 0u);
    EXPECT_EQ(stampOf(exact), 1u);
    EXPECT_EQ(stampOf(spanning), 2u);
    EXPECT_EQ(fw->streamStats().framesCompleted, 3u);
}

TEST(FrameStream, TriggerModeSendsOneFramePerTrigger) {
    ScratchDirectory dir;
    auto fw = makeCamera(0x0030, dir);
    auto source = fw->bulkSource();
    writeRegister(*fw, 0x07, readRegister(*fw, 0x07) | 0x10);
    ASSERT_EQ(fw->sensorState().trigger, TriggerState::Triggered);

    in(*fw, kSetGpio, 0x08, 0x08);
    in(*fw, kSetGpio, 0x08, 0x08);
    EXPECT_EQ(collectFrame(*source, 400000).frame.size(), kSmallFrame);
    EXPECT_EQ(collectFrame(*source, 400000).frame.size(), kSmallFrame);

    PendingFrame third(*source, 400000);
    EXPECT_TRUE(third.blocked());
    fw->setInputLine(true);  // rising edge on the trigger input
    ASSERT_EQ(third.result.wait_for(2s), std::future_status::ready);
    Collected c = third.result.get();
    EXPECT_EQ(c.frame.size(), kSmallFrame);
    EXPECT_EQ(stampOf(c), 2u);

    // Holding the line high fires nothing more; back in continuous mode frames flow freely.
    fw->setInputLine(true);
    PendingFrame fourth(*source, 400000);
    EXPECT_TRUE(fourth.blocked());
    writeRegister(*fw, 0x07, readRegister(*fw, 0x07) & ~0x10);
    ASSERT_EQ(fourth.result.wait_for(2s), std::future_status::ready);
    EXPECT_EQ(fourth.result.get().frame.size(), kSmallFrame);
}

TEST(FrameStream, TriggersInContinuousModeAreIgnored) {
    ScratchDirectory dir;
    auto fw = makeCamera(0x0030, dir);
    auto source = fw->bulkSource();
    in(*fw, kSetGpio, 0x08, 0x08);  // no effect: free running
    writeRegister(*fw, 0x07, readRegister(*fw, 0x07) | 0x10);
    PendingFrame frame(*source, 400000);
    EXPECT_TRUE(frame.blocked());
    frame.stop.request_stop();
    ASSERT_EQ(frame.result.wait_for(1s), std::future_status::ready);
    EXPECT_EQ(frame.result.get().transfers.back().outcome, BulkOutcome::Cancelled);
}

TEST(FrameStream, Usb3CamerasStreamBetweenStartAndStop) {
    ScratchDirectory dir;
    auto fw = makeCamera(0x3030, dir);
    auto source = fw->bulkSource();
    PendingFrame waiting(*source, 100000);
    EXPECT_TRUE(waiting.blocked());  // not started yet
    EXPECT_EQ(in(*fw, kStreamStart, 0, 0).outcome, ControlOutcome::Ack);
    ASSERT_EQ(waiting.result.wait_for(2s), std::future_status::ready);
    EXPECT_EQ(waiting.result.get().frame.size(), kSmallFrame);

    // Stopping in the middle of a frame ends it at once with a zero-length transfer.
    std::vector<uint8_t> buffer(100000);
    EXPECT_EQ(source->readBulk(buffer, {}).length, 100000u);
    in(*fw, kStreamStop, 0, 0);
    const BulkResult end = source->readBulk(buffer, {});
    EXPECT_EQ(end.outcome, BulkOutcome::Data);
    EXPECT_EQ(end.length, 0u);
    PendingFrame stopped(*source, 100000);
    EXPECT_TRUE(stopped.blocked());
    stopped.stop.request_stop();
    ASSERT_EQ(stopped.result.wait_for(1s), std::future_status::ready);
    EXPECT_EQ(stopped.result.get().transfers.back().outcome, BulkOutcome::Cancelled);
}

TEST(FrameStream, SizeChangeEndsTheFrameInProgressAndExposureChangeDoesNot) {
    ScratchDirectory dir;
    auto fw = makeCamera(0x0030, dir);
    auto source = fw->bulkSource();
    std::vector<uint8_t> buffer(100000);

    source->readBulk(buffer, {});
    writeRegister(*fw, 0x0B, 200);
    Collected rest = collectFrame(*source, 100000);
    EXPECT_EQ(rest.frame.size(), kSmallFrame - 100000);

    source->readBulk(buffer, {});
    in(*fw, kSelectResolution, 1, kResolutionRecord);
    EXPECT_EQ(source->readBulk(buffer, {}).length, 0u);
    EXPECT_EQ(collectFrame(*source, 100000).frame.size(), kSmallFrame / 4);
    EXPECT_EQ(fw->streamStats().framesTruncated, 1u);
}

TEST(FrameStream, RestartRequestsEndTheFrameInProgress) {
    ScratchDirectory dir;
    auto fw = makeCamera(0x0500, dir);
    in(*fw, kSelectResolution, 3, kResolutionRecord);  // 640 x 480
    auto source = fw->bulkSource();
    std::vector<uint8_t> buffer(100000);

    EXPECT_EQ(source->readBulk(buffer, {}).length, 100000u);
    EXPECT_EQ(out(*fw, kRestart, 0, 0), ControlOutcome::Ack);
    EXPECT_EQ(source->readBulk(buffer, {}).length, 0u);

    EXPECT_EQ(source->readBulk(buffer, {}).length, 100000u);
    writeRegister(*fw, 0x0B, 1);  // the sensor's own restart bit, which clears itself
    EXPECT_EQ(source->readBulk(buffer, {}).length, 0u);
    EXPECT_EQ(readRegister(*fw, 0x0B), 0);
    EXPECT_EQ(collectFrame(*source, 100000).frame.size(), 640u * 480);
    EXPECT_EQ(fw->streamStats().framesTruncated, 2u);
}

TEST(FrameStream, StalledTransfersLoseNothingAndFailedOnesLoseTheirBytes) {
    ScratchDirectory dir;
    auto fw = makeCamera(0x0030, dir);
    auto source = fw->bulkSource();
    std::vector<uint8_t> buffer(100000);

    fw->faults().failTransfers(BulkOutcome::Stall, 1);
    EXPECT_EQ(source->readBulk(buffer, {}).outcome, BulkOutcome::Stall);
    EXPECT_EQ(collectFrame(*source, 100000).frame.size(), kSmallFrame);

    EXPECT_EQ(source->readBulk(buffer, {}).length, 100000u);
    fw->faults().failTransfers(BulkOutcome::Error, 1);
    EXPECT_EQ(source->readBulk(buffer, {}).outcome, BulkOutcome::Error);
    EXPECT_EQ(collectFrame(*source, 100000).frame.size(), kSmallFrame - 200000);
}

// The fault strikes the transfer carrying the chosen byte of the chosen frame and no other;
// what each kind does to that frame shows in the transfers and in the stream's counts.
TEST(FrameStream, FaultsStrikeTheTransferCarryingTheChosenByte) {
    ScratchDirectory dir;
    FirmwareOptions options;
    options.stampFrameEnds = true;
    auto fw = makeCamera(0x0030, dir, options);
    auto source = fw->bulkSource();
    std::vector<uint8_t> buffer(100000);
    using V = std::vector<uint32_t>;
    const V whole = {100000, 100000, 100000, 60960};

    // Frame 1's third transfer carries bytes 200000..299999.
    fw->faults().failInFrame({1, 250000, FrameFault::ShortEnd});
    EXPECT_EQ(lengths(collectFrame(*source, 100000)), whole) << "frame 0 is not the one";
    Collected cut = collectFrame(*source, 100000);
    EXPECT_EQ(lengths(cut), (V{100000, 100000, 50000}));
    EXPECT_EQ(stampOf(cut), 1u);
    EXPECT_EQ(fw->faults().struckFrame(), 1u);

    // A byte past the frame's end aims at its last transfer; its bytes are lost.
    fw->faults().failInFrame({2, kSmallFrame + 5, FrameFault::Error});
    Collected broken = collectFrame(*source, 100000);
    EXPECT_EQ(lengths(broken), (V{100000, 100000, 100000, 0}));
    EXPECT_EQ(broken.transfers.back().outcome, BulkOutcome::Error);
    // Frame 3 comes next, whole: nothing of frame 2 is left over.
    Collected next = collectFrame(*source, 100000);
    EXPECT_EQ(lengths(next), whole);
    EXPECT_EQ(stampOf(next), 3u);
    EXPECT_EQ(SceneRenderer::readTailStamp(next.frame), 3u) << "both ends carry the number";
    EXPECT_NE(SceneRenderer::readTailStamp(cut.frame), 1u);

    // A stall at byte 0 loses nothing; two in a row are two failed transfers.
    fw->faults().failInFrame({4, 0, FrameFault::Stall, 2});
    EXPECT_EQ(source->readBulk(buffer, {}).outcome, BulkOutcome::Stall);
    EXPECT_EQ(source->readBulk(buffer, {}).outcome, BulkOutcome::Stall);
    Collected stalled = collectFrame(*source, 100000);
    EXPECT_EQ(lengths(stalled), whole);
    EXPECT_EQ(stampOf(stalled), 4u);

    StreamStats stats = fw->streamStats();
    EXPECT_EQ(stats.framesDamaged, 2u);
    EXPECT_EQ(stats.framesCompleted, 3u);

    // A plan for a frame already gone strikes the next frame at its first transfer.
    fw->faults().failInFrame({1, 200000, FrameFault::Disconnect});
    Collected gone = collectFrame(*source, 100000);
    EXPECT_EQ(gone.transfers.back().outcome, BulkOutcome::Disconnected);
    EXPECT_TRUE(gone.frame.empty());
    EXPECT_FALSE(fw->connected());
    EXPECT_EQ(fw->faults().struckFrame(), 5u);
    EXPECT_FALSE(fw->faults().plannedFrameFault().has_value());
}

TEST(FrameStream, FramesCanBeMadeOneByteShortOrLong) {
    ScratchDirectory dir;
    auto fw = makeCamera(0x0030, dir);
    auto source = fw->bulkSource();
    fw->faults().resizeFrames(-1, 1);
    EXPECT_EQ(collectFrame(*source, 400000).frame.size(), kSmallFrame - 1);
    EXPECT_EQ(collectFrame(*source, 400000).frame.size(), kSmallFrame);

    // One byte more turns the zero-length end of an exact multiple into a one-byte transfer.
    fw->faults().resizeFrames(+1, 2);
    const uint32_t half = kSmallFrame / 2;
    EXPECT_EQ(lengths(collectFrame(*source, half)), (std::vector<uint32_t>{half, half, 1}));
    EXPECT_EQ(collectFrame(*source, 400000).frame.size(), kSmallFrame + 1);
    EXPECT_EQ(collectFrame(*source, 400000).frame.size(), kSmallFrame);
}

TEST(FrameStream, SilenceHoldsTheStreamBack) {
    ScratchDirectory dir;
    auto fw = makeCamera(0x0030, dir);
    auto source = fw->bulkSource();
    fw->faults().silenceStream(40ms);
    const auto start = Clock::now();
    EXPECT_EQ(collectFrame(*source, 400000).frame.size(), kSmallFrame);
    EXPECT_GE(Clock::now() - start, 35ms);
}

TEST(FrameStream, PlannedUnplugAtTheFrameBoundary) {
    ScratchDirectory dir;
    auto fw = makeCamera(0x0030, dir);
    auto source = fw->bulkSource();
    std::vector<bool> changes;
    fw->setConnectionListener([&](bool c) { changes.push_back(c); });
    std::vector<uint8_t> buffer(100000);

    source->readBulk(buffer, {});
    fw->faults().scheduleUnplug(UnplugPoint::FrameBoundary);
    EXPECT_EQ(collectFrame(*source, 100000).frame.size(), kSmallFrame - 100000);
    EXPECT_EQ(source->readBulk(buffer, {}).outcome, BulkOutcome::Disconnected);
    EXPECT_FALSE(fw->connected());
    EXPECT_EQ(in(*fw, kGetGpio, 0, 0).outcome, ControlOutcome::Disconnected);

    fw->replug();
    Collected again = collectFrame(*source, 400000);
    EXPECT_EQ(again.frame.size(), kSmallFrame);
    EXPECT_EQ(stampOf(again), 0u);  // counting starts over after power-on
    EXPECT_EQ(changes, (std::vector<bool>{false, true}));
}

TEST(FrameStream, PlannedUnplugInTheMiddleOfAFrame) {
    ScratchDirectory dir;
    auto fw = makeCamera(0x0030, dir);
    auto source = fw->bulkSource();
    fw->faults().scheduleUnplug(UnplugPoint::MidFrame);
    Collected c = collectFrame(*source, 50000);
    EXPECT_EQ(c.transfers.back().outcome, BulkOutcome::Disconnected);
    EXPECT_GE(c.frame.size(), kSmallFrame / 2);
    EXPECT_LT(c.frame.size(), kSmallFrame);
}

TEST(FrameStream, UnplugWakesABlockedReader) {
    ScratchDirectory dir;
    auto fw = makeCamera(0x3030, dir);  // not started: the read waits
    auto source = fw->bulkSource();
    PendingFrame pending(*source, 100000);
    EXPECT_TRUE(pending.blocked());
    fw->unplug();
    ASSERT_EQ(pending.result.wait_for(1s), std::future_status::ready);
    EXPECT_EQ(pending.result.get().transfers.back().outcome, BulkOutcome::Disconnected);
}

TEST(FrameStream, PacedStreamFollowsTheFramePeriodAndDropsUnreadFrames) {
    ScratchDirectory dir;
    FirmwareOptions options;
    options.unpaced = false;
    auto fw = makeCamera(0x0030, dir, options);
    auto source = fw->bulkSource();
    writeRegister(*fw, 0x06, 45 + 500);  // longer vertical blanking: about 32 ms per frame
    const double periodUs = fw->sensorState().timing.framePeriodUs();
    ASSERT_GT(periodUs, 30000.0);

    const auto start = Clock::now();
    collectFrame(*source, 400000);
    collectFrame(*source, 400000);
    const double elapsedUs =
        std::chrono::duration<double, std::micro>(Clock::now() - start).count();
    EXPECT_GE(elapsedUs, 2 * periodUs * 0.95);
    EXPECT_LT(elapsedUs, 2 * periodUs + 500000);

    std::this_thread::sleep_for(std::chrono::duration<double, std::micro>(3.5 * periodUs));
    Collected late = collectFrame(*source, 400000);
    EXPECT_GE(stampOf(late), 4u);
    EXPECT_GE(fw->streamStats().framesDropped, 2u);
}

}  // namespace
}  // namespace vidscope::sim::test
