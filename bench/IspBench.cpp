// SPDX-License-Identifier: MIT
// Image pipeline speed on a 14-megapixel frame, beside OpenCV's demosaic and a colour chain.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <map>
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

// Processor time of this thread per frame, by benchmark name, for the ratios: wall time on a
// shared machine counts other programs' turns, and the comparisons are all one-threaded.
std::map<std::string, double>& msPerFrame() {
    static std::map<std::string, double> results;
    return results;
}

double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Measures the loop of one benchmark between start() and stop().
class FrameClock {
public:
    void start() { begin_ = threadSeconds(); }
    double stop(benchmark::State& state, const std::string& name) {
        const double ms =
            (threadSeconds() - begin_) * 1e3 / static_cast<double>(state.iterations());
        msPerFrame()[name] = ms;
        return ms;
    }

private:
    double begin_ = 0;
};

void setRate(benchmark::State& state) {
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kPixels));
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

constexpr const char* kDemosaicName = "OpenCV/demosaic";
constexpr const char* kChainName = "OpenCV/chain";

// Our time against OpenCV's in the same process, where OpenCV ran (it runs first).
void setRatios(benchmark::State& state, double ms) {
    const auto& results = msPerFrame();
    if (auto chain = results.find(kChainName); chain != results.end())
        state.counters["x_chain"] = ms / chain->second;
    if (auto demosaic = results.find(kDemosaicName); demosaic != results.end())
        state.counters["x_demosaic"] = ms / demosaic->second;
}

// Coefficients far beyond any colour correction: sums that 16-bit lanes hold only modulo
// 65536, and sums that need 32-bit lanes.
constexpr std::array<double, 9> kLargeMatrix = {45.0,  -44.2, 0.3,  -0.4, 60.5,
                                                -59.6, 0.2,   -0.3, 1.1};
constexpr std::array<double, 9> kExtremeMatrix = {99999.9, -99999.3, 0.3,  -0.4, 60.5,
                                                  -59.6,   0.2,      -0.3, 1.1};

struct Case {
    const char* name;
    PipelineClass cls;
    uint32_t format;
    uint16_t geometry;
    const std::array<double, 9>* matrix = nullptr;
};

std::string caseName(const char* name, const api::IspKernels& kernels) {
    return std::string("CameraISP/") + name + "/" + kernels.name;
}

void runIsp(benchmark::State& state, const Case& c, const api::IspKernels& kernels) {
    bench::BenchPipeline p(c.cls, kWidth, kHeight, c.geometry);
    if (c.matrix != nullptr)
        p.pipeline.updateColour([&](api::ImageSettings& s) { s.ccm = *c.matrix; });
    std::vector<uint8_t> raw = frame();
    std::vector<uint8_t> out(api::IspPipeline::outputBytes(c.cls, kWidth, kHeight, c.format));
    const api::PixelMap map = p.pipeline.tables()->map;
    api::RegisterWriter writer = [](api::RegisterWrite) { return true; };
    FrameClock clock;
    clock.start();
    for (auto _ : state) {
        api::IspFrame f{raw.data(), out.data(), map.outputWidth(), map.outputHeight(), c.format};
        p.pipeline.process(f, p.camera, writer, kernels);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    setRatios(state, clock.stop(state, caseName(c.name, kernels)));
    setRate(state);
}

void registerIsp() {
    const Case cases[] = {
        {"BayerRGB24_mirror", PipelineClass::BayerGRBG, CAMERA_FORMAT_RGB24, api::kFlagMirrorX},
        {"BayerRGB24", PipelineClass::BayerGRBG, CAMERA_FORMAT_RGB24, 0},
        {"BayerRGB24_large_matrix", PipelineClass::BayerGRBG, CAMERA_FORMAT_RGB24,
         api::kFlagMirrorX, &kLargeMatrix},
        {"BayerRGB24_extreme_matrix", PipelineClass::BayerGRBG, CAMERA_FORMAT_RGB24,
         api::kFlagMirrorX, &kExtremeMatrix},
        {"BayerRGB32_mirror", PipelineClass::BayerGRBG,
         CAMERA_FORMAT_RGB24 | CAMERA_FORMAT_FOUR_BYTES | CAMERA_FORMAT_BLUE_FIRST,
         api::kFlagMirrorX},
        {"BayerRGB24_rotated", PipelineClass::BayerGRBG, CAMERA_FORMAT_RGB24, api::kFlagRotate},
        {"BayerGRAY8_mirror", PipelineClass::BayerGRBG, CAMERA_FORMAT_GRAY8, api::kFlagMirrorX},
        {"MonoRGB24_mirror", PipelineClass::Monochrome, CAMERA_FORMAT_RGB24, api::kFlagMirrorX},
        {"MonoRGB24_rotated", PipelineClass::Monochrome, CAMERA_FORMAT_RGB24, api::kFlagRotate},
        {"MonoGRAY8_mirror", PipelineClass::Monochrome, CAMERA_FORMAT_GRAY8, api::kFlagMirrorX},
        {"MonoGRAY8_rotated", PipelineClass::Monochrome, CAMERA_FORMAT_GRAY8, api::kFlagRotate},
    };
    for (const api::IspKernels* kernels : api::IspDispatch::available()) {
        for (const Case& c : cases) {
            benchmark::RegisterBenchmark(
                caseName(c.name, *kernels).c_str(),
                [c, kernels](benchmark::State& state) { runIsp(state, c, *kernels); })
                ->Unit(benchmark::kMillisecond);
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
    FrameClock clock;
    clock.start();
    for (auto _ : state) {
        cv::cvtColor(raw, rgb, kDemosaic);
        benchmark::DoNotOptimize(rgb.data);
    }
    clock.stop(state, kDemosaicName);
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
    FrameClock clock;
    clock.start();
    for (auto _ : state) {
        cv::cvtColor(raw, rgb, kDemosaic);
        cv::LUT(rgb, lut, toned);
        cv::transform(toned, mixed, matrix);
        cv::flip(mixed, out, 1);
        benchmark::DoNotOptimize(out.data);
    }
    clock.stop(state, kChainName);
    setRate(state);
}

void registerOpenCv() {
    benchmark::RegisterBenchmark(kDemosaicName, openCvDemosaic)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(kChainName, openCvChain)->Unit(benchmark::kMillisecond);
}

constexpr const char* kOpenCvVersion = CV_VERSION;

#else

void registerOpenCv() {}

constexpr const char* kOpenCvVersion = "not built in";

#endif

std::string processorModel() {
    std::ifstream info("/proc/cpuinfo");
    for (std::string line; std::getline(info, line);) {
        if (line.rfind("model name", 0) == 0)
            return line.substr(line.find(':') + 2);
    }
    return "unknown processor";
}

// What the next reader wants from a run: per kernel set, the frame time of the live-view case
// and its ratios to OpenCV, the cost of rotation and of a matrix that needs 32-bit sums.
void printSummary() {
    const auto& results = msPerFrame();
    auto find = [&](const std::string& name) {
        auto it = results.find(name);
        return it == results.end() ? -1.0 : it->second;
    };
    const double demosaic = find(kDemosaicName);
    const double chain = find(kChainName);
    std::printf(
        "\nCameraISP, %u x %u GRBG to RGB24 with gamma, gains, matrix and mirror, one "
        "thread, processor time per frame, on %s\n",
        kWidth, kHeight, processorModel().c_str());
    if (demosaic > 0 && chain > 0)
        std::printf("OpenCV %s: bare demosaic %.1f ms, chain %.1f ms\n", kOpenCvVersion, demosaic,
                    chain);
    std::printf("%-9s %9s %8s %11s %11s %18s %13s %15s\n", "kernels", "ms/frame", "x chain",
                "x demosaic", "rotated ms", "rotated/unrotated", "large matrix", "extreme matrix");
    for (const api::IspKernels* kernels : api::IspDispatch::available()) {
        const double mirror = find(caseName("BayerRGB24_mirror", *kernels));
        if (mirror < 0)
            continue;
        const double plain = find(caseName("BayerRGB24", *kernels));
        const double rotated = find(caseName("BayerRGB24_rotated", *kernels));
        const double large = find(caseName("BayerRGB24_large_matrix", *kernels));
        const double extreme = find(caseName("BayerRGB24_extreme_matrix", *kernels));
        auto ratio = [](double a, double b) { return a > 0 && b > 0 ? a / b : 0.0; };
        std::printf("%-9s %9.1f %8.2f %11.2f %11.1f %18.2f %10.1f ms %12.1f ms\n", kernels->name,
                    mirror, ratio(mirror, chain), ratio(mirror, demosaic), rotated,
                    ratio(rotated, plain), large, extreme);
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    registerOpenCv();
    registerIsp();
    benchmark::RunSpecifiedBenchmarks();
    printSummary();
    benchmark::Shutdown();
    return 0;
}
