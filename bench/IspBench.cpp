// SPDX-License-Identifier: MIT
// Image pipeline speed on a 14-megapixel frame, beside OpenCV's demosaic and a colour chain.
#include <benchmark/benchmark.h>

#include <string>

#include "IspBenchFrames.h"
#include "cameraapi/isp/kernels/IspDispatch.h"
#include "vidscope/camera_api.h"

#ifdef VIDSCOPE_BENCH_OPENCV
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#endif

namespace {

using namespace vidscope;
using api::PipelineClass;

constexpr uint32_t kWidth = 4384;
constexpr uint32_t kHeight = 3288;
constexpr double kPixels = double{kWidth} * kHeight;

const std::vector<uint8_t>& frame() {
    static const std::vector<uint8_t> raw = bench::sceneFrame(kWidth, kHeight);
    return raw;
}

void setRate(benchmark::State& state) {
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kPixels));
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void runIsp(benchmark::State& state, PipelineClass cls, uint32_t format, uint16_t geometry,
            const api::IspKernels& kernels) {
    bench::BenchPipeline p(cls, kWidth, kHeight, geometry);
    std::vector<uint8_t> raw = frame();
    std::vector<uint8_t> out(api::IspPipeline::outputBytes(cls, kWidth, kHeight, format));
    const api::PixelMap map = p.pipeline.tables()->map;
    api::RegisterWriter writer = [](api::RegisterWrite) { return true; };
    for (auto _ : state) {
        api::IspFrame f{raw.data(), out.data(), map.outputWidth(), map.outputHeight(), format};
        p.pipeline.process(f, p.camera, writer, kernels);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    setRate(state);
}

void registerIsp() {
    struct Case {
        const char* name;
        PipelineClass cls;
        uint32_t format;
        uint16_t geometry;
    };
    const Case cases[] = {
        {"BayerRGB24_mirror", PipelineClass::BayerGRBG, CAMERA_FORMAT_RGB24, api::kFlagMirrorX},
        {"BayerRGB24", PipelineClass::BayerGRBG, CAMERA_FORMAT_RGB24, 0},
        {"BayerRGB32_mirror", PipelineClass::BayerGRBG,
         CAMERA_FORMAT_RGB24 | CAMERA_FORMAT_FOUR_BYTES | CAMERA_FORMAT_BLUE_FIRST,
         api::kFlagMirrorX},
        {"BayerRGB24_rotated", PipelineClass::BayerGRBG, CAMERA_FORMAT_RGB24, api::kFlagRotate},
        {"BayerGRAY8_mirror", PipelineClass::BayerGRBG, CAMERA_FORMAT_GRAY8, api::kFlagMirrorX},
        {"MonoRGB24_mirror", PipelineClass::Monochrome, CAMERA_FORMAT_RGB24, api::kFlagMirrorX},
        {"MonoGRAY8_mirror", PipelineClass::Monochrome, CAMERA_FORMAT_GRAY8, api::kFlagMirrorX},
        {"MonoGRAY8_rotated", PipelineClass::Monochrome, CAMERA_FORMAT_GRAY8, api::kFlagRotate},
    };
    for (const api::IspKernels* kernels : api::IspDispatch::available()) {
        for (const Case& c : cases) {
            std::string name = std::string("CameraISP/") + c.name + "/" + kernels->name;
            benchmark::RegisterBenchmark(name.c_str(), [c, kernels](benchmark::State& state) {
                runIsp(state, c.cls, c.format, c.geometry, *kernels);
            })->Unit(benchmark::kMillisecond);
        }
    }
}

#ifdef VIDSCOPE_BENCH_OPENCV

// The sensor's first row is green, red: OpenCV names patterns by the second row's second
// and third samples, blue-green here.
constexpr int kDemosaic = cv::COLOR_BayerGB2RGB;

void openCvDemosaic(benchmark::State& state) {
    cv::setNumThreads(1);
    cv::Mat raw(kHeight, kWidth, CV_8UC1, const_cast<uint8_t*>(frame().data()));
    cv::Mat rgb(kHeight, kWidth, CV_8UC3);
    for (auto _ : state) {
        cv::cvtColor(raw, rgb, kDemosaic);
        benchmark::DoNotOptimize(rgb.data);
    }
    setRate(state);
}

// What a user would assemble from OpenCV for the same picture: demosaic, one table per
// channel, the colour matrix, the mirror.
void openCvChain(benchmark::State& state) {
    cv::setNumThreads(1);
    bench::BenchPipeline p(PipelineClass::BayerGRBG, kWidth, kHeight, api::kFlagMirrorX);
    auto tables = p.pipeline.tables();
    cv::Mat lut(1, 256, CV_8UC3);
    for (int i = 0; i < 256; ++i)
        for (int c = 0; c < 3; ++c)
            lut.at<cv::Vec3b>(0, i)[c] =
                tables->channelLut[static_cast<size_t>(c)][static_cast<size_t>(i)];
    cv::Matx33f matrix;
    for (int k = 0; k < 9; ++k)
        matrix(k / 3, k % 3) = static_cast<float>(p.settings.ccm[static_cast<size_t>(k)]);
    cv::Mat raw(kHeight, kWidth, CV_8UC1, const_cast<uint8_t*>(frame().data()));
    cv::Mat rgb(kHeight, kWidth, CV_8UC3), toned(kHeight, kWidth, CV_8UC3);
    cv::Mat mixed(kHeight, kWidth, CV_8UC3), out(kHeight, kWidth, CV_8UC3);
    for (auto _ : state) {
        cv::cvtColor(raw, rgb, kDemosaic);
        cv::LUT(rgb, lut, toned);
        cv::transform(toned, mixed, matrix);
        cv::flip(mixed, out, 1);
        benchmark::DoNotOptimize(out.data);
    }
    setRate(state);
}

void registerOpenCv() {
    benchmark::RegisterBenchmark("OpenCV/demosaic", openCvDemosaic)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("OpenCV/chain", openCvChain)->Unit(benchmark::kMillisecond);
}

#else

void registerOpenCv() {}

#endif

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    registerOpenCv();
    registerIsp();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
