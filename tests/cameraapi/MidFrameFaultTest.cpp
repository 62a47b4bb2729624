// SPDX-License-Identifier: MIT
// Transfers failing part-way through a frame: no torn frame, documented errors, counted losses.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "CameraRig.h"
#include "sim/SceneRenderer.h"

namespace vidscope::api {
namespace {

using sim::FrameFault;

// Where in the frame the fault strikes, in the host's transfers.
enum class Place { FirstTransfer, MiddleTransfer, LastTransfer };

struct Case {
    FrameFault fault;
    Place place;
};

std::string describe(const Case& c) {
    static const char* const faults[] = {"Error", "Stall", "ShortEnd", "Disconnect"};
    static const char* const places[] = {"First", "Middle", "Last"};
    return std::string(faults[static_cast<int>(c.fault)]) + "In" +
           places[static_cast<int>(c.place)] + "Transfer";
}

std::string nameOf(const ::testing::TestParamInfo<Case>& info) {
    return describe(info.param);
}

void PrintTo(const Case& c, std::ostream* out) {
    *out << describe(c);
}

// What the caller got from one query.
struct Delivery {
    bool ok = false;
    int error = 0;
    std::optional<uint32_t> head;  // frame number stamped at the start
    std::optional<uint32_t> tail;  // and at the end
};

class MidFrameFaultTest : public test::CameraRig {
protected:
    // A USB 2 camera whose 1280 x 1024 frame spans several of the ring's transfers, stamped at
    // both ends so that a frame joined from two shows it.
    void openStreaming() {
        sim::FirmwareOptions options = memoryOnly();
        options.stampFrameEnds = true;
        port_ = plug(0x0130, options);
        ASSERT_TRUE(open(0)) << CameraGetErrorName(CameraGetLastError());
        ASSERT_TRUE(CameraPlay(0));
        takeGeometry(0, *port_->firmware());
        image_.assign(port_->firmware()->geometry().frameBytes(), 0);
        // The camera renders its scene before the first frame, slowly in sanitizer builds.
        context(0).image.timeoutMs = 5000;
        ASSERT_GT(image_.size(), 2u * static_cast<size_t>(context(0).bufferSize))
            << "the frame must span a first, a middle and a last transfer";
    }

    size_t offsetOf(Place place) const {
        const auto buffer = static_cast<size_t>(context(0).bufferSize);
        switch (place) {
            case Place::FirstTransfer:
                return 17;
            case Place::MiddleTransfer:
                return buffer + buffer / 2;
            case Place::LastTransfer:
                return image_.size() - 1;
        }
        return 0;
    }

    Delivery query(unsigned int flags = CAMERA_FORMAT_RAW8) {
        Delivery d;
        std::fill(image_.begin(), image_.end(), 0);
        d.ok = CameraQueryImage(0, image_.data(), static_cast<unsigned int>(image_.size()), flags);
        d.error = d.ok ? 0 : CameraGetLastError();
        d.head = sim::SceneRenderer::readStamp(image_);
        d.tail = sim::SceneRenderer::readTailStamp(image_);
        return d;
    }

    // Aims the fault at a frame the camera has not begun yet and queries past it. The camera
    // runs unpaced, so on a busy machine the aimed frame may start before the aim is taken;
    // the fault then strikes a later frame at its first byte instead of the place the case
    // is about, and the aim is taken again. A cut cable is not: it cannot be struck twice.
    std::vector<Delivery> streamThrough(FrameFault fault, size_t offset, uint32_t count = 1) {
        std::vector<Delivery> got;
        for (int attempt = 0; attempt < 5; ++attempt) {
            got = aimAndStream(fault, offset, count);
            const std::optional<uint32_t> struck = port_->firmware()->faults().struckFrame();
            if (fault == FrameFault::Disconnect || (struck && *struck == target_))
                break;
        }
        return got;
    }

    std::vector<Delivery> aimAndStream(FrameFault fault, size_t offset, uint32_t count) {
        const Delivery first = query();
        EXPECT_TRUE(first.ok) << CameraGetErrorName(first.error);
        target_ = port_->firmware()->streamStats().nextFrameNumber + 1;
        damagedBefore_ = port_->firmware()->streamStats().framesDamaged;
        port_->firmware()->faults().failInFrame({target_, offset, fault, count});
        std::vector<Delivery> got{first};
        for (int i = 0; i < 40; ++i) {
            got.push_back(query());
            const Delivery& d = got.back();
            if (d.ok && d.head && *d.head > target_ + count + 2)
                break;
        }
        return got;
    }

    uint64_t damaged() const {
        return port_->firmware()->streamStats().framesDamaged - damagedBefore_;
    }

    std::shared_ptr<host::VirtualPort> port_;
    std::vector<uint8_t> image_;
    uint32_t target_ = 0;
    uint64_t damagedBefore_ = 0;
};

// Every frame delivered is one whole frame, in order; every frame number missing between the
// first and the last delivered one is a frame the camera counted as damaged, or the one frame
// after the damage whose start the host could not tell (no header marks a frame's start).
void expectWholeFramesAndCountedLosses(const std::vector<Delivery>& got, uint32_t struck,
                                       uint64_t damaged) {
    std::vector<uint32_t> stamps;
    for (const Delivery& d : got) {
        if (!d.ok)
            continue;
        ASSERT_TRUE(d.head.has_value()) << "a delivered frame without its stamp";
        EXPECT_EQ(d.tail, d.head) << "frame " << *d.head << " was joined from two frames";
        if (!stamps.empty()) {
            EXPECT_GT(*d.head, stamps.back()) << "frames out of order";
        }
        stamps.push_back(*d.head);
    }
    ASSERT_GE(stamps.size(), 2u);
    std::set<uint32_t> missing;
    for (uint32_t n = stamps.front(); n <= stamps.back(); ++n) {
        if (std::find(stamps.begin(), stamps.end(), n) == stamps.end())
            missing.insert(n);
    }
    const uint32_t damagedEnd = struck + static_cast<uint32_t>(damaged);
    for (uint32_t n = struck; n < damagedEnd; ++n)
        EXPECT_EQ(missing.count(n), 1u) << "damaged frame " << n << " was delivered";
    for (uint32_t n : missing) {
        EXPECT_TRUE((n >= struck && n <= damagedEnd))
            << "frame " << n << " went missing but was not damaged (struck " << struck << ", "
            << damaged << " damaged)";
    }
    EXPECT_LE(missing.size(), damaged + 1);
}

class MidFrameFaults : public MidFrameFaultTest, public ::testing::WithParamInterface<Case> {};

TEST_P(MidFrameFaults, NoTornFrameAndTheStreamGoesOnInOrder) {
    const Case c = GetParam();
    openStreaming();
    const std::vector<Delivery> got = streamThrough(c.fault, offsetOf(c.place));
    const std::optional<uint32_t> struck = port_->firmware()->faults().struckFrame();
    ASSERT_TRUE(struck.has_value()) << "the fault never struck";
    EXPECT_EQ(*struck, target_);

    // In continuous mode the broken frame is dropped and the next one delivered: the caller
    // sees no failure at all.
    for (const Delivery& d : got)
        EXPECT_TRUE(d.ok) << CameraGetErrorName(d.error);
    const bool losesBytes = c.fault != FrameFault::Stall;
    EXPECT_EQ(damaged(), losesBytes ? 1u : 0u);
    expectWholeFramesAndCountedLosses(got, *struck, damaged());
    const bool delivered = std::any_of(
        got.begin(), got.end(), [&](const Delivery& d) { return d.ok && d.head == *struck; });
    EXPECT_EQ(delivered, !losesBytes) << "a stall keeps the data; the frame arrives whole";
}

INSTANTIATE_TEST_SUITE_P(EveryFaultEverywhere, MidFrameFaults,
                         ::testing::Values(Case{FrameFault::Error, Place::FirstTransfer},
                                           Case{FrameFault::Error, Place::MiddleTransfer},
                                           Case{FrameFault::Error, Place::LastTransfer},
                                           Case{FrameFault::Stall, Place::MiddleTransfer},
                                           Case{FrameFault::Stall, Place::LastTransfer},
                                           Case{FrameFault::ShortEnd, Place::FirstTransfer},
                                           Case{FrameFault::ShortEnd, Place::MiddleTransfer},
                                           Case{FrameFault::ShortEnd, Place::LastTransfer}),
                         nameOf);

// More failed transfers within one frame than the ring holds end the query with a transfer
// error; the stream then goes on with whole frames.
TEST_F(MidFrameFaultTest, ARunOfFailuresLongerThanTheRingFailsTheQueryAndTheStreamRecovers) {
    openStreaming();
    const auto count = static_cast<uint32_t>(context(0).bufferCount + 1);
    const std::vector<Delivery> got =
        streamThrough(FrameFault::Error, offsetOf(Place::MiddleTransfer), count);
    const auto failed =
        std::count_if(got.begin(), got.end(), [](const Delivery& d) { return !d.ok; });
    EXPECT_EQ(failed, 1);
    for (const Delivery& d : got) {
        if (!d.ok) {
            EXPECT_EQ(d.error, CAMERA_ERROR_DATA_XFER) << CameraGetErrorName(d.error);
        }
    }
    ASSERT_TRUE(got.back().ok);
    // The first failure takes the rest of the frame; the camera starts no frame while its
    // transfers keep failing.
    EXPECT_EQ(damaged(), 1u);
    expectWholeFramesAndCountedLosses(got, target_, damaged());
}

// In trigger mode every frame was asked for: a broken one is reported, never passed off as
// whole, and the next trigger brings a whole frame.
TEST_F(MidFrameFaultTest, TriggerModeReportsTheBrokenFrameAsBad) {
    openStreaming();
    ASSERT_TRUE(CameraSetSnapMode(0, 2)) << CameraGetErrorName(CameraGetLastError());
    const unsigned int trigger = CAMERA_FORMAT_RAW8 | CAMERA_QUERY_TRIGGER;
    for (FrameFault fault : {FrameFault::Error, FrameFault::ShortEnd}) {
        const Delivery before = query(trigger);
        ASSERT_TRUE(before.ok) << CameraGetErrorName(before.error);
        const uint32_t next = *before.head + 1;
        port_->firmware()->faults().failInFrame({next, offsetOf(Place::MiddleTransfer), fault});
        const Delivery broken = query(trigger);
        EXPECT_FALSE(broken.ok);
        EXPECT_EQ(broken.error, CAMERA_ERROR_BAD_FRAME) << CameraGetErrorName(broken.error);
        EXPECT_EQ(port_->firmware()->faults().struckFrame(), next);
        const Delivery after = query(trigger);
        ASSERT_TRUE(after.ok) << CameraGetErrorName(after.error);
        EXPECT_EQ(after.head, next + 1);
        EXPECT_EQ(after.tail, after.head);
    }
}

// The cable goes in the middle of a frame: the query fails with a transfer error, so does
// every later one, and once the camera is back and opened again whole frames arrive in order.
TEST_F(MidFrameFaultTest, UnplugInsideAFrameFailsCleanlyAndTheCameraStreamsAgain) {
    openStreaming();
    const std::vector<Delivery> got =
        streamThrough(FrameFault::Disconnect, offsetOf(Place::MiddleTransfer));
    EXPECT_FALSE(port_->firmware()->connected());
    // Where the aim came too late the cable goes at the start of a later frame, which this
    // case covers as well.
    const std::optional<uint32_t> struck = port_->firmware()->faults().struckFrame();
    ASSERT_TRUE(struck.has_value());
    ASSERT_GE(*struck, target_);
    const auto firstFailure =
        std::find_if(got.begin(), got.end(), [](const Delivery& d) { return !d.ok; });
    ASSERT_NE(firstFailure, got.end());
    for (auto it = firstFailure; it != got.end(); ++it)
        EXPECT_EQ(it->error, CAMERA_ERROR_DATA_XFER) << CameraGetErrorName(it->error);
    expectWholeFramesAndCountedLosses({got.begin(), firstFailure}, *struck, 0);
    for (auto it = got.begin(); it != firstFailure; ++it)
        EXPECT_LT(*it->head, *struck) << "nothing of the cut frame or later came through";
    EXPECT_TRUE(CameraFree(0));

    port_->firmware()->replug();
    ASSERT_TRUE(open(0)) << CameraGetErrorName(CameraGetLastError());
    ASSERT_TRUE(CameraPlay(0));
    takeGeometry(0, *port_->firmware());
    context(0).image.timeoutMs = 5000;
    std::vector<Delivery> again;
    for (int i = 0; i < 4; ++i)
        again.push_back(query());
    for (const Delivery& d : again)
        ASSERT_TRUE(d.ok) << CameraGetErrorName(d.error);
    expectWholeFramesAndCountedLosses(again, 0, 0);
    EXPECT_EQ(*again.back().head - *again.front().head, 3u);
}

}  // namespace
}  // namespace vidscope::api
