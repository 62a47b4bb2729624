// SPDX-License-Identifier: MIT
// The camera API end to end, from CameraGetCount down to the camera firmware, on one transport.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "sim/SceneRenderer.h"
#include "sim/VirtualModel.h"
#include "tests/e2e/CameraBed.h"
#include "vidscope/camera_api.h"

namespace vidscope::e2e {
namespace {

constexpr int kFirstFrameTimeoutMs = 20000;

struct Resolution {
    unsigned short number = 0;
    unsigned width = 0;
    unsigned height = 0;
    unsigned bytesPerPixel = 0;
};

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override { bed_ = CameraBed::create(); }
    void TearDown() override {
        CameraFree(0);
        bed_->unplugAll();
    }

    // Opens camera 0 at the resolution chosen by `pick` among those the camera offers.
    template <typename Pick>
    std::optional<Resolution> openAt(Pick pick) {
        // The virtual sensor renders its scene afresh for a new resolution, which takes longer
        // than the default frame timeout in unoptimised and sanitizer builds.
        if (!CameraInit(0) || !CameraSetTimeout(0, kFirstFrameTimeoutMs))
            return std::nullopt;
        const int count = CameraGetResolutionCount(0);
        std::vector<Resolution> offered;
        for (int i = 0; i < count; ++i) {
            Resolution r;
            r.number = static_cast<unsigned short>(i);
            if (CameraGetResolution(0, r.number, &r.width, &r.height, &r.bytesPerPixel))
                offered.push_back(r);
        }
        if (offered.empty())
            return std::nullopt;
        Resolution chosen = pick(offered);
        if (!CameraSetResolution(0, chosen.number, &chosen.width, &chosen.height,
                                 &chosen.bytesPerPixel) ||
            !CameraPlay(0) || !CameraResetStream(0))
            return std::nullopt;
        return chosen;
    }

    bool query(std::vector<uint8_t>& frame) {
        return CameraQueryImage(0, frame.data(), static_cast<unsigned>(frame.size()),
                                CAMERA_FORMAT_RAW8);
    }

    std::unique_ptr<CameraBed> bed_;
};

Resolution smallest(const std::vector<Resolution>& offered) {
    return *std::min_element(offered.begin(), offered.end(), [](auto& a, auto& b) {
        return a.width * a.height < b.width * b.height;
    });
}

Resolution fullSensor(const std::vector<Resolution>& offered) {
    return offered.front();
}

// The stamp the camera writes into the first bytes of every frame numbers the frames it
// sent, so a lost, repeated, swapped or shifted frame shows as a break in the sequence.
TEST_F(EndToEnd, EveryModelStreamsAHundredWholeFramesInOrder) {
    for (const sim::VirtualModel& model : sim::virtualModels()) {
        SCOPED_TRACE(testing::Message() << "model " << std::hex << model.productId);
        ASSERT_NE(bed_->plug(model.productId), nullptr);
        ASSERT_EQ(CameraGetCount(), 1);
        ASSERT_EQ(CameraGetID(0), -1);  // not open yet
        const std::optional<Resolution> r = openAt(smallest);
        ASSERT_TRUE(r) << CameraGetErrorName(CameraGetLastError());
        EXPECT_EQ(CameraGetID(0), model.productId);

        unsigned size = 0;
        ASSERT_TRUE(CameraGetImageBufferSize(0, &size, CAMERA_FORMAT_RAW8));
        ASSERT_EQ(size, r->width * r->height * r->bytesPerPixel);
        std::vector<uint8_t> frame(size);
        std::optional<uint32_t> previous;
        for (int i = 0; i < 100; ++i) {
            ASSERT_TRUE(query(frame))
                << "frame " << i << ": " << CameraGetErrorName(CameraGetLastError());
            const std::optional<uint32_t> stamp = sim::SceneRenderer::readStamp(frame);
            ASSERT_TRUE(stamp) << "frame " << i << " carries no stamp";
            if (previous) {
                ASSERT_EQ(*stamp, *previous + 1) << "frame " << i;
            }
            previous = stamp;
        }
        ASSERT_TRUE(CameraStop(0));
        ASSERT_TRUE(CameraFree(0));
        bed_->unplugAll();
    }
}

double meanOfSites(const std::vector<uint8_t>& frame, unsigned width, unsigned bytesPerPixel,
                   const sim::Rect& area, int xParity, int yParity, unsigned byteOffset) {
    double sum = 0;
    int count = 0;
    for (int y = area.y + area.height / 4; y < area.y + area.height * 3 / 4; ++y) {
        for (int x = area.x + area.width / 4; x < area.x + area.width * 3 / 4; ++x) {
            if ((xParity >= 0 && (x & 1) != xParity) || (yParity >= 0 && (y & 1) != yParity))
                continue;
            sum += frame[(static_cast<size_t>(y) * width + x) * bytesPerPixel + byteOffset];
            ++count;
        }
    }
    return count ? sum / count : -1;
}

// Full-sensor frames of each pixel layout: the scene's patches must arrive where the scene
// put them and in the layout's colour order.
TEST_F(EndToEnd, ScenePatchesArriveInPlaceAndInTheirColourOrder) {
    struct Case {
        uint16_t productId;
        int redX, redY;  // parity of the red sites; -1 for no colour mosaic
        unsigned lumaOffset;
    };
    const Case cases[] = {
        {0x0030, 1, 1, 0}, {0x0120, 1, 0, 0}, {0x012B, -1, -1, 0}, {0xC030, -1, -1, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "model " << std::hex << c.productId);
        auto firmware = bed_->plug(c.productId);
        ASSERT_NE(firmware, nullptr);
        const std::optional<Resolution> r = openAt(fullSensor);
        ASSERT_TRUE(r);
        std::vector<uint8_t> frame(r->width * r->height * r->bytesPerPixel);
        ASSERT_TRUE(query(frame));
        ASSERT_TRUE(query(frame));

        const sim::ScenePainter& scene = firmware->scene();
        using P = sim::ScenePainter;
        const int anyParity = -1;
        const double white = meanOfSites(frame, r->width, r->bytesPerPixel, scene.patch(P::White),
                                         anyParity, anyParity, c.lumaOffset);
        const double black = meanOfSites(frame, r->width, r->bytesPerPixel, scene.patch(P::Black),
                                         anyParity, anyParity, c.lumaOffset);
        EXPECT_GT(white, black + 60) << "white " << white << ", black " << black;
        if (c.redX >= 0) {
            const sim::Rect red = scene.patch(P::Red);
            const double redSites = meanOfSites(frame, r->width, 1, red, c.redX, c.redY, 0);
            const double blueSites =
                meanOfSites(frame, r->width, 1, red, 1 - c.redX, 1 - c.redY, 0);
            EXPECT_GT(redSites, blueSites + 40) << "red " << redSites << ", blue " << blueSites;
        }
        CameraFree(0);
        bed_->unplugAll();
    }
}

// The processed path converts after the stream is released; its picture must still be the
// scene: the red patch red, the white patch white, for a Bayer and a YUV camera.
TEST_F(EndToEnd, ProcessedFramesShowTheSceneInColour) {
    for (uint16_t productId : {uint16_t{0x0120}, uint16_t{0xC030}}) {
        SCOPED_TRACE(testing::Message() << "model " << std::hex << productId);
        auto firmware = bed_->plug(productId);
        ASSERT_NE(firmware, nullptr);
        const std::optional<Resolution> r = openAt(fullSensor);
        ASSERT_TRUE(r);
        unsigned size = 0;
        ASSERT_TRUE(CameraGetImageBufferSize(0, &size, CAMERA_FORMAT_RGB24));
        ASSERT_EQ(size, r->width * r->height * 3);
        std::vector<uint8_t> rgb(size);
        for (int i = 0; i < 2; ++i) {
            ASSERT_TRUE(CameraQueryImage(0, rgb.data(), size, CAMERA_FORMAT_RGB24))
                << CameraGetErrorName(CameraGetLastError());
        }
        const sim::ScenePainter& scene = firmware->scene();
        using P = sim::ScenePainter;
        auto mean = [&](const sim::Rect& area, unsigned channel) {
            return meanOfSites(rgb, r->width, 3, area, -1, -1, channel);
        };
        const sim::Rect red = scene.patch(P::Red);
        EXPECT_GT(mean(red, 0), mean(red, 2) + 40);
        EXPECT_GT(mean(red, 0), mean(red, 1) + 40);
        for (unsigned channel = 0; channel < 3; ++channel)
            EXPECT_GT(mean(scene.patch(P::White), channel),
                      mean(scene.patch(P::Black), channel) + 60);
        CameraFree(0);
        bed_->unplugAll();
    }
}

TEST_F(EndToEnd, RegistersEepromGpioAndTriggerWork) {
    auto firmware = bed_->plug(0x0500);
    ASSERT_NE(firmware, nullptr);
    const std::optional<Resolution> r = openAt(smallest);
    ASSERT_TRUE(r);

    const unsigned char id[12] = {'v', 'i', 'd', 'S', 'c', 'o', 'p', 'e', '-', 'e', '2', 'e'};
    ASSERT_TRUE(CameraWriteUserData(0, id, 12));
    unsigned char back[12] = {};
    ASSERT_TRUE(CameraReadUserData(0, back, 12));
    EXPECT_EQ(std::memcmp(id, back, 12), 0);

    unsigned value = 0;
    ASSERT_TRUE(CameraReadSCCB(0, 0, 0x1E, &value, 0));
    EXPECT_EQ(value & 0x100, 0u);
    ASSERT_TRUE(CameraSetSnapMode(0, 2));
    ASSERT_TRUE(CameraReadSCCB(0, 0, 0x1E, &value, 0));
    EXPECT_NE(value & 0x100, 0u);

    std::vector<uint8_t> frame(r->width * r->height * r->bytesPerPixel);
    ASSERT_TRUE(CameraQueryImage(0, frame.data(), static_cast<unsigned>(frame.size()),
                                 CAMERA_FORMAT_RAW8 | CAMERA_QUERY_TRIGGER))
        << CameraGetErrorName(CameraGetLastError());
    EXPECT_GE(CameraGetGPIO(0), 0);
    EXPECT_GE(CameraSetGPIO(0, 0x80, 0x80), 0);
    EXPECT_NE(firmware->gpioState() & 0x80, 0);
}

TEST_F(EndToEnd, UnplugWhileStreamingFailsCleanlyAndTheCameraOpensAgain) {
    ASSERT_NE(bed_->plug(0x3E00), nullptr);
    std::optional<Resolution> r = openAt(smallest);
    ASSERT_TRUE(r);
    std::vector<uint8_t> frame(r->width * r->height * r->bytesPerPixel);
    ASSERT_TRUE(query(frame));

    // Frames already received before the cable was pulled may still be delivered; after
    // them the query must fail rather than wait or crash.
    bed_->unplug(0);
    bool failed = false;
    for (int i = 0; i < 64 && !failed; ++i)
        failed = !query(frame);
    EXPECT_TRUE(failed);
    EXPECT_NE(CameraGetLastError(), -1);
    EXPECT_TRUE(CameraFree(0));
    EXPECT_EQ(CameraGetCount(), 0);

    bed_->replug(0);
    ASSERT_EQ(CameraGetCount(), 1);
    r = openAt(smallest);
    ASSERT_TRUE(r) << CameraGetErrorName(CameraGetLastError());
    EXPECT_TRUE(query(frame));
}

}  // namespace
}  // namespace vidscope::e2e
