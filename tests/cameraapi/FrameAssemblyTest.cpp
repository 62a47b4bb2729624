// SPDX-License-Identifier: MIT
// How the frame query joins transfers into frames: framing, resynchronisation, size checks.
#include <gtest/gtest.h>

#include "CameraRig.h"
#include "base/Tick.h"
#include "cameraapi/device/TransferRing.h"

namespace vidscope::api {
namespace {

using test::PatternSource;

constexpr size_t kBuffer = 307200;  // transfer size of a USB 2 camera

class FrameAssemblyTest : public test::CameraRig {
protected:
    // Camera 0 streams the frames a test scripts, into a ring of 20 x kBuffer.
    void openScripted(uint32_t width, uint32_t height) {
        port_ = plug(0x0500);
        source_ = std::make_shared<PatternSource>();
        port_->camera().setBulkSource(source_);
        ASSERT_TRUE(open(0)) << CameraGetErrorName(CameraGetLastError());
        takeGeometry(0, width, height, 1);
        image_.assign(size_t{width} * height, 0);
    }

    bool query(unsigned int flags = CAMERA_FORMAT_RAW8) {
        return CameraQueryImage(0, image_.data(), static_cast<unsigned int>(image_.size()), flags);
    }

    std::shared_ptr<host::VirtualPort> port_;
    std::shared_ptr<PatternSource> source_;
    std::vector<uint8_t> image_;
};

TEST_F(FrameAssemblyTest, FramesSmallerThanOneBufferAndExactMultiples) {
    openScripted(40, 25);  // 1000 bytes: one short transfer each
    source_->send({1000, 1000});
    ASSERT_TRUE(query());
    EXPECT_TRUE(PatternSource::matches(image_, 0));
    ASSERT_TRUE(query());
    EXPECT_TRUE(PatternSource::matches(image_, 1));
    EXPECT_EQ(context(0).frameCount, 2u);

    // Four full transfers end only with the zero-length one that follows them. In trigger
    // mode a zero-length transfer left over from a frame would show up as a bad frame.
    context(0).snapMode = 2;
    takeGeometry(0, 1280, 960, 1);
    image_.assign(4 * kBuffer, 0);
    source_->send({4 * kBuffer, 4 * kBuffer});
    ASSERT_TRUE(query()) << CameraGetErrorName(CameraGetLastError());
    EXPECT_TRUE(PatternSource::matches(image_, 2));
    ASSERT_TRUE(query()) << CameraGetErrorName(CameraGetLastError());
    EXPECT_TRUE(PatternSource::matches(image_, 3));
}

TEST_F(FrameAssemblyTest, ContinuousModeDropsFramesOfTheWrongLength) {
    openScripted(1000, 600);  // 600000 bytes: one full transfer and a short one
    const size_t frame = 600000;
    // Too short by one, too long inside its short transfer, too long by two buffers (the
    // query loses sync at the second full transfer and must skip the third, whose tail
    // would otherwise look like a whole frame), then a good frame.
    source_->send({frame - 1, frame + 1, frame + 2 * kBuffer, frame});
    ASSERT_TRUE(query()) << CameraGetErrorName(CameraGetLastError());
    EXPECT_TRUE(PatternSource::matches(image_, 3));
    EXPECT_EQ(context(0).frameCount, 1u) << "dropped frames are not delivered frames";
}

TEST_F(FrameAssemblyTest, QueryJoiningMidFrameWaitsForTheNextFrameStart) {
    openScripted(1000, 600);
    source_->send({600000, 600000});
    // A reset of the stream while the first frame's full transfer is already in the ring
    // leaves the query to start on the short tail of frame 0.
    CameraContext& c = context(0);
    {
        std::lock_guard stream(c.streamMutex);
        ASSERT_EQ(TransferRing::wait(c, 1000, false), TransferRing::Wait::Completed);
        TransferRing::finish(c);
        TransferRing::requeue(c);
    }
    ASSERT_TRUE(query());
    EXPECT_TRUE(PatternSource::matches(image_, 1));
}

TEST_F(FrameAssemblyTest, TriggerModeReportsAWrongLengthAsABadFrame) {
    openScripted(1000, 600);
    context(0).snapMode = 2;
    source_->send({599000, 600000});
    EXPECT_FALSE(query());
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_BAD_FRAME);
    EXPECT_EQ(image_[kBuffer - 1], PatternSource::byteAt(0, kBuffer - 1))
        << "the full transfer of the bad frame is still delivered";
    EXPECT_EQ(context(0).frameCount, 1u);
    ASSERT_TRUE(query());
    EXPECT_TRUE(PatternSource::matches(image_, 1));
}

TEST_F(FrameAssemblyTest, WrongCallerSizeIsRefusedBeforeAnyTransferIsTaken) {
    openScripted(40, 25);
    source_->send({1000});
    CameraContext& c = context(0);
    const int32_t ring = c.ringIndex;
    for (unsigned int size : {999u, 1001u, 0u}) {
        EXPECT_FALSE(CameraQueryImage(0, image_.data(), size, CAMERA_FORMAT_RAW8));
        EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_PARAMETER_UNREASONABLE);
    }
    EXPECT_FALSE(CameraQueryImage(0, nullptr, 1000, CAMERA_FORMAT_RAW8));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_PARAMETER_UNREASONABLE);
    EXPECT_FALSE(CameraQueryImage(0, image_.data(), 999, CAMERA_FORMAT_GRAY8));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_PARAMETER_UNREASONABLE);
    EXPECT_EQ(c.ringIndex, ring);

    unsigned int reserved = 7;
    ASSERT_TRUE(CameraQueryImageEx(0, image_.data(), 1000, &reserved, CAMERA_FORMAT_RAW8));
    EXPECT_EQ(reserved, 0u);
    EXPECT_TRUE(PatternSource::matches(image_, 0)) << "the refused calls lost no data";

    takeGeometry(0, 0, 25, 1);
    EXPECT_FALSE(query());
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_IMAGE_SIZE);
}

TEST_F(FrameAssemblyTest, BufferSizesFollowTheOutputFormat) {
    openScripted(40, 25);
    unsigned int size = 0;
    const std::pair<unsigned int, unsigned int> cases[] = {
        {CAMERA_FORMAT_RAW8, 1000},
        {CAMERA_FORMAT_GRAY8, 1000},
        {CAMERA_FORMAT_RGB24, 3000},
        {CAMERA_FORMAT_RGB24 | CAMERA_FORMAT_FOUR_BYTES, 4000},
    };
    for (auto [flags, expected] : cases) {
        EXPECT_TRUE(CameraGetImageBufferSize(0, &size, flags));
        EXPECT_EQ(size, expected) << std::hex << flags;
    }
    // Quarter-turn rotation swaps what is reported; a two-byte mode makes raw larger.
    context(0).image.flags |= kFlagRotate;
    unsigned int width = 0;
    unsigned int height = 0;
    EXPECT_TRUE(CameraGetImageSize(0, &width, &height));
    EXPECT_EQ(width, 25u);
    EXPECT_EQ(height, 40u);
    takeGeometry(0, 40, 25, 2);
    EXPECT_TRUE(CameraGetImageBufferSize(0, &size, CAMERA_FORMAT_RAW8));
    EXPECT_EQ(size, 2000u);
    EXPECT_TRUE(CameraGetImageBufferSizeFor(0, &size, 4384, 3288, CAMERA_FORMAT_RGB24));
    EXPECT_EQ(size, 4384u * 3288u * 3u);
    EXPECT_FALSE(CameraGetImageBufferSizeFor(0, &size, 65535, 65535, CAMERA_FORMAT_RGB24));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_PARAMETER_UNREASONABLE);
}

TEST_F(FrameAssemblyTest, FrameRateIsSmoothedOverTheFrameInterval) {
    openScripted(40, 25);
    source_->send({1000, 1000});
    ASSERT_TRUE(query());
    EXPECT_EQ(context(0).frameRate, 0.0) << "the first frame has no interval";
    context(0).lastFrameTick = base::tickCountMs() - 100;
    ASSERT_TRUE(query());
    // 1000 / (100 ms + the query's own few ms), averaged with 0.
    EXPECT_GT(context(0).frameRate, 3.0);
    EXPECT_LE(context(0).frameRate, 5.0);
}

}  // namespace
}  // namespace vidscope::api
