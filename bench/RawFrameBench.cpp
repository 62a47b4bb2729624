// SPDX-License-Identifier: MIT
// Raw frames per second through the frame query from an unpaced virtual 14-megapixel camera.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <span>
#include <stop_token>
#include <vector>

#include "cameraapi/device/CameraContext.h"
#include "cameraapi/device/CameraSlots.h"
#include "usb/host/Driver.h"
#include "usb/host/VirtualPort.h"
#include "vidscope/camera_api.h"

namespace {

namespace sim = vidscope::sim;
using Clock = std::chrono::steady_clock;

constexpr uint16_t kCamera = 0x3E00;  // USB 3, 4384 x 3288, 1 MiB transfers
constexpr int kIndex = 0;
constexpr int kWarmUpFrames = 8;
constexpr int kMemcpyRounds = 16;

long minorFaults() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

// The cheapest camera possible: each transfer is one memcpy out of a frame made once. With
// it the benchmark sees only the transport and the joining of transfers, not the scene the
// simulated sensor renders.
class FrameCopySource : public sim::BulkInSource {
public:
    explicit FrameCopySource(size_t bytes) : frame_(bytes, 0x5A) {}

    // Called by the port's single bulk worker, one transfer at a time.
    sim::BulkResult readBulk(std::span<uint8_t> buffer, std::stop_token) override {
        if (zeroLengthDue_) {
            zeroLengthDue_ = false;
            return {sim::BulkOutcome::Data, 0};
        }
        const size_t n = std::min(buffer.size(), frame_.size() - sent_);
        std::memcpy(buffer.data(), frame_.data() + sent_, n);
        sent_ += n;
        if (sent_ == frame_.size()) {
            sent_ = 0;
            zeroLengthDue_ = n == buffer.size();
        }
        return {sim::BulkOutcome::Data, static_cast<uint32_t>(n)};
    }

private:
    std::vector<uint8_t> frame_;
    size_t sent_ = 0;
    bool zeroLengthDue_ = false;
};

// A virtual camera opened and streaming for the whole program, as the capture thread sees
// it. The frame size is set on the context directly: the camera starts at its full size and
// nothing here changes it.
class StreamingCamera {
public:
    StreamingCamera(int index, bool copySource) : index_(index) {
        sim::FirmwareOptions options;
        options.persistEeprom = false;
        options.stateDirectory = std::filesystem::path();
        options.unpaced = true;
        port_ = vidscope::host::VirtualPort::create(kCamera, options);
        const sim::FrameGeometry g = port_->firmware()->geometry();
        if (copySource)
            port_->camera().setBulkSource(std::make_shared<FrameCopySource>(g.frameBytes()));
        id_ = vidscope::host::Driver::instance().attach(port_);
        if (!CameraInit(index_) || !CameraPlay(index_))
            std::abort();
        vidscope::api::CameraContext& context = *vidscope::api::CameraSlots::at(index_);
        context.width = g.width;
        context.height = g.height;
        context.bytesPerPixel = g.bytesPerPixel;
        // The camera renders its scene before the first frame, which takes longer than a
        // frame's usual timeout on a loaded machine.
        context.image.timeoutMs = 5000;
        frame_.resize(g.frameBytes());
    }
    ~StreamingCamera() {
        CameraFree(index_);
        vidscope::host::Driver::instance().detach(id_);
    }

    bool query() {
        return CameraQueryImage(index_, frame_.data(), static_cast<unsigned int>(frame_.size()),
                                CAMERA_FORMAT_RAW8);
    }
    size_t frameBytes() const { return frame_.size(); }

private:
    const int index_;
    std::shared_ptr<vidscope::host::VirtualPort> port_;
    vidscope::host::Driver::PortId id_ = 0;
    std::vector<uint8_t> frame_;
};

// Opened by main() and closed before it returns: a static would be destroyed after the
// library's own statics that closing the camera still needs. [0] streams the simulated
// sensor's frames, [1] the copy source's.
StreamingCamera* gCameras[2] = {};

double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Seconds per plain copy of one frame between two buffers already touched.
double memcpySecondsPerFrame(size_t bytes) {
    std::vector<uint8_t> from(bytes, 1);
    std::vector<uint8_t> to(bytes, 0);
    std::memcpy(to.data(), from.data(), bytes);
    const auto start = Clock::now();
    for (int i = 0; i < kMemcpyRounds; ++i) {
        from[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    return std::chrono::duration<double>(Clock::now() - start).count() / kMemcpyRounds;
}

void BM_RawFrameQuery(benchmark::State& state) {
    StreamingCamera& cam = *gCameras[state.range(0)];
    for (int i = 0; i < kWarmUpFrames; ++i) {
        if (!cam.query()) {
            state.SkipWithError(CameraGetErrorName(CameraGetLastError()));
            return;
        }
    }
    const double memcpySeconds = memcpySecondsPerFrame(cam.frameBytes());
    int64_t frames = 0;
    const long faultsBefore = minorFaults();
    const double cpuBefore = threadCpuSeconds();
    const auto start = Clock::now();
    for (auto _ : state) {
        if (!cam.query()) {
            state.SkipWithError(CameraGetErrorName(CameraGetLastError()));
            return;
        }
        ++frames;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double cpuSeconds = (threadCpuSeconds() - cpuBefore) / static_cast<double>(frames);
    const long faults = minorFaults() - faultsBefore;
    const double querySeconds = seconds / static_cast<double>(frames);

    state.SetBytesProcessed(frames * static_cast<int64_t>(cam.frameBytes()));
    state.counters["frames_per_s"] = 1.0 / querySeconds;
    state.counters["memcpy_frames_per_s"] = 1.0 / memcpySeconds;
    // Wall time includes the virtual camera filling the transfers on its own thread; the
    // calling thread's CPU time is what joining them into the frame costs.
    state.counters["time_vs_memcpy"] = querySeconds / memcpySeconds;
    state.counters["query_cpu_vs_memcpy"] = cpuSeconds / memcpySeconds;
    state.counters["page_faults_per_frame"] =
        static_cast<double>(faults) / static_cast<double>(frames);
}
BENCHMARK(BM_RawFrameQuery)
    ->ArgName("copy_source")
    ->Arg(0)
    ->Arg(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3.0);

void BM_FrameMemcpy(benchmark::State& state) {
    const size_t bytes = gCameras[0]->frameBytes();
    std::vector<uint8_t> from(bytes, 1);
    std::vector<uint8_t> to(bytes, 0);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
    state.counters["frames_per_s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FrameMemcpy)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    {
        StreamingCamera sensor(0, false);
        StreamingCamera copier(1, true);
        gCameras[0] = &sensor;
        gCameras[1] = &copier;
        benchmark::RunSpecifiedBenchmarks();
        gCameras[0] = gCameras[1] = nullptr;
    }
    benchmark::Shutdown();
    return 0;
}
