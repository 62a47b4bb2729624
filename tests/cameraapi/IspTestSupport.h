// SPDX-License-Identifier: MIT
// Helpers of the image pipeline tests: frames, pipelines with chosen settings, conversions.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "cameraapi/isp/IspPipeline.h"
#include "cameraapi/isp/kernels/IspDispatch.h"
#include "vidscope/camera_api.h"

namespace vidscope::api::test {

inline std::vector<uint8_t> randomFrame(size_t bytes, uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<uint8_t> frame(bytes);
    for (uint8_t& b : frame)
        b = static_cast<uint8_t>(random());
    return frame;
}

// A pipeline over its own settings; automatic loops off unless a test turns them on.
struct TestPipeline {
    ImageSettings settings;
    IspPipeline pipeline{settings};
    IspCamera camera;
    std::vector<RegisterWrite> writes;
    bool writesSucceed = true;

    TestPipeline(PipelineClass pipelineClass, uint32_t width, uint32_t height) {
        camera.pipelineClass = pipelineClass;
        camera.sensorCode = 0x0E00;
        camera.sensorWidth = width;
        camera.sensorHeight = height;
        pipeline.update([](ImageSettings& s) { s.flags = 0; });
        pipeline.resetPixelMap(width, height);
    }

    IspPipeline::Result run(std::vector<uint8_t>& raw, std::vector<uint8_t>& out, uint32_t format,
                            const IspKernels& kernels = IspDispatch::best()) {
        const PixelMap map = pipeline.tables()->map;
        IspFrame frame{raw.data(), out.data(), map.outputWidth(), map.outputHeight(), format};
        RegisterWriter writer = [this](RegisterWrite w) {
            writes.push_back(w);
            return writesSucceed;
        };
        return pipeline.process(frame, camera, writer, kernels);
    }

    // Converts `raw` into a fresh buffer of `fill` bytes sized for `format`.
    std::vector<uint8_t> convert(std::vector<uint8_t> raw, uint32_t format,
                                 const IspKernels& kernels = IspDispatch::best(),
                                 uint8_t fill = 0xEE) {
        const PixelMap map = pipeline.tables()->map;
        std::vector<uint8_t> out(
            IspPipeline::outputBytes(camera.pipelineClass, map.width(), map.height(), format),
            fill);
        run(raw, out, format, kernels);
        return out;
    }

    int32_t mean() const {
        return pipeline.read([](const ImageSettings& s) { return s.meanBrightness; });
    }
};

}  // namespace vidscope::api::test
