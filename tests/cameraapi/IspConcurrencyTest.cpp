// SPDX-License-Identifier: MIT
// Conversions on two threads while a third moves every control: one table set per frame.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <set>
#include <string_view>
#include <thread>

#include "IspTestSupport.h"
#include "cameraapi/isp/BayerInterpolator.h"

namespace vidscope::api::test {
namespace {

constexpr uint32_t kSide = 48;  // square, so that rotation keeps the frame size

size_t hashOf(const std::vector<uint8_t>& bytes) {
    return std::hash<std::string_view>{}(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

// Every control the pipeline's tables or map depend on, moved one at a time.
void moveControl(IspPipeline& pipeline, int step) {
    const double f = (step % 7) / 7.0;
    switch (step % 9) {
        case 0:
            pipeline.update([f](ImageSettings& s) { s.gamma = 0.3 + 1.7 * f; });
            break;
        case 1:
            pipeline.update([f](ImageSettings& s) { s.contrast = 0.3 + 1.7 * f; });
            break;
        case 2:
            pipeline.update([step](ImageSettings& s) { s.blackLevel = (step * 37) % 255; });
            break;
        case 3:
            pipeline.update([f](ImageSettings& s) {
                s.wbGainR = 3.0 * f;
                s.wbGainB = 3.0 - 3.0 * f;
            });
            break;
        case 4:
            pipeline.updateColour([f](ImageSettings& s) { s.saturation = 2.0 * f; });
            break;
        case 5:
            pipeline.update(
                [f](ImageSettings& s) { s.ccm = {1.2, -0.1 - f, 0, 0, 1, 0, f, 0, 0.9}; });
            break;
        case 6:
            pipeline.updateColour([](ImageSettings& s) {
                s.flags = static_cast<uint16_t>(s.flags ^ kFlagEnhancement);
            });
            break;
        case 7:
            pipeline.setGeometryFlag(step & 8 ? kFlagMirrorX : kFlagMirrorY, (step & 16) != 0,
                                     kSide, kSide);
            break;
        default:
            pipeline.setGeometryFlag(kFlagRotate, (step & 32) != 0, kSide, kSide);
            break;
    }
}

TEST(IspConcurrency, EachFrameUsesOneCompleteTableSet) {
    TestPipeline t(PipelineClass::BayerGRBG, kSide, kSide);
    const std::vector<uint8_t> raw = randomFrame(kSide * kSide, 42);
    std::vector<std::shared_ptr<const IspTables>> published = {t.pipeline.tables()};
    std::atomic<bool> stop{false};
    std::mutex resultsMutex;
    std::vector<size_t> results;

    auto convertLoop = [&] {
        std::vector<uint8_t> out(kSide * kSide * 3);
        RegisterWriter writer = [](RegisterWrite) { return true; };
        std::vector<size_t> mine;
        while (!stop.load()) {
            std::vector<uint8_t> frame = raw;
            IspFrame f{frame.data(), out.data(), kSide, kSide, CAMERA_FORMAT_RGB24};
            ASSERT_EQ(t.pipeline.process(f, t.camera, writer), IspPipeline::Result::Done);
            mine.push_back(hashOf(out));
        }
        std::lock_guard lock(resultsMutex);
        results.insert(results.end(), mine.begin(), mine.end());
    };
    std::thread first(convertLoop);
    std::thread second(convertLoop);
    std::thread controls([&] {
        for (int step = 0; step < 600; ++step) {
            moveControl(t.pipeline, step);
            // Only this thread publishes, so the set in force now is the one just built.
            published.push_back(t.pipeline.tables());
            std::this_thread::yield();
        }
        stop = true;
    });
    controls.join();
    first.join();
    second.join();

    std::set<size_t> possible;
    for (const auto& tables : published) {
        std::vector<uint8_t> out(kSide * kSide * 3);
        BayerInterpolator(PipelineClass::BayerGRBG, *tables, portableKernels())
            .convert(raw.data(), IspRowWriter::Mode::Colour, OutputLayout{}, out.data());
        possible.insert(hashOf(out));
    }
    ASSERT_FALSE(results.empty());
    size_t mixed = 0;
    for (size_t h : results)
        mixed += possible.count(h) == 0 ? 1 : 0;
    EXPECT_EQ(mixed, 0u) << "of " << results.size() << " frames";
}

TEST(IspConcurrency, LoopsAndRequestsRaceWithoutHarm) {
    TestPipeline t(PipelineClass::BayerBGGR, kSide, kSide);
    std::atomic<bool> stop{false};
    auto convertLoop = [&](uint32_t format) {
        std::vector<uint8_t> out(kSide * kSide * 3);
        RegisterWriter writer = [](RegisterWrite) { return true; };
        for (uint32_t n = 0; !stop.load(); ++n) {
            std::vector<uint8_t> frame = randomFrame(kSide * kSide, n);
            IspCamera camera = t.camera;
            camera.frameCount = n;
            IspFrame f{frame.data(), out.data(), kSide, kSide, format};
            EXPECT_NE(t.pipeline.process(f, camera, writer), IspPipeline::Result::Refused);
        }
    };
    std::thread grey(convertLoop, CAMERA_FORMAT_GRAY8);
    std::thread colour(convertLoop, CAMERA_FORMAT_RGB24);
    for (int step = 0; step < 400; ++step) {
        t.pipeline.update([step](ImageSettings& s) {
            s.flags = static_cast<uint16_t>(
                (step * 0x45) &
                (kFlagAutoGain | kFlagAutoExposure | kFlagAutoWhiteBalance | kFlagAntiFlicker50Hz));
            s.onePushPending = static_cast<uint8_t>(step & 1);
            s.awbPending = static_cast<uint8_t>((step >> 1) & 1);
            s.flickerLines = step % 3 == 0 ? 0 : 100;
        });
        moveControl(t.pipeline, step);
        const int32_t mean =
            t.pipeline.read([](const ImageSettings& s) { return s.meanBrightness; });
        EXPECT_GE(mean, 0);
        EXPECT_LE(mean, 255);
    }
    stop = true;
    grey.join();
    colour.join();
}

}  // namespace
}  // namespace vidscope::api::test
