// SPDX-License-Identifier: MIT
// Cross-check of the Bayer interpolation against OpenCV's bilinear demosaic.
#include <gtest/gtest.h>

#include <cstdlib>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "IspBenchFrames.h"
#include "cameraapi/isp/kernels/IspDispatch.h"
#include "vidscope/camera_api.h"

namespace vidscope::bench {
namespace {

// The largest difference between our and OpenCV's interior pixels. OpenCV rounds its
// averages where ours truncate, so 1 is expected and more is a fault on either side.
int interiorDifference(api::PipelineClass cls, int openCvCode, const api::IspKernels& kernels) {
    constexpr uint32_t kW = 320;
    constexpr uint32_t kH = 200;
    BenchPipeline p(cls, kW, kH, 0, true);
    std::vector<uint8_t> raw = sceneFrame(kW, kH);
    for (size_t i = 0; i < raw.size(); i += 7)
        raw[i] = static_cast<uint8_t>(raw[i] * 31);  // sharp detail, where wrong neighbours show
    std::vector<uint8_t> ours(size_t{kW} * kH * 3);
    std::vector<uint8_t> work = raw;
    api::IspFrame frame{work.data(), ours.data(), kW, kH, CAMERA_FORMAT_RGB24};
    EXPECT_EQ(p.pipeline.process(
                  frame, p.camera, [](api::RegisterWrite) { return true; }, kernels),
              api::IspPipeline::Result::Done);
    cv::Mat mosaic(kH, kW, CV_8UC1, raw.data());
    cv::Mat theirs;
    cv::cvtColor(mosaic, theirs, openCvCode);
    int worst = 0;
    for (uint32_t y = 2; y + 2 < kH; ++y) {
        for (uint32_t x = 2; x + 2 < kW; ++x) {
            const cv::Vec3b o = theirs.at<cv::Vec3b>(static_cast<int>(y), static_cast<int>(x));
            for (int c = 0; c < 3; ++c)
                worst = std::max(
                    worst, std::abs(int{ours[(size_t{y} * kW + x) * 3 + size_t(c)]} - int{o[c]}));
        }
    }
    return worst;
}

TEST(IspOpenCvCheck, InteriorMatchesOpenCvWithinRounding) {
    for (const api::IspKernels* kernels : api::IspDispatch::available()) {
        EXPECT_LE(
            interiorDifference(api::PipelineClass::BayerBGGR, cv::COLOR_BayerRG2RGB, *kernels), 1)
            << kernels->name;
        EXPECT_LE(
            interiorDifference(api::PipelineClass::BayerGRBG, cv::COLOR_BayerGB2RGB, *kernels), 1)
            << kernels->name;
    }
    // The other pattern name is far off: the check can tell the orders apart.
    EXPECT_GT(interiorDifference(api::PipelineClass::BayerGRBG, cv::COLOR_BayerRG2RGB,
                                 api::portableKernels()),
              1);
}

}  // namespace
}  // namespace vidscope::bench
