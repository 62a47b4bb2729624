// SPDX-License-Identifier: MIT
// Frames and pipeline set-ups shared by the image pipeline benchmark and its OpenCV check.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "cameraapi/isp/IspPipeline.h"

namespace vidscope::bench {

using api::ImageSettings;
using api::IspPipeline;

// A 14-megapixel sensor image: smooth gradients with noise, like a real scene, so that no
// branch or cache behaves better than it would on camera data.
inline std::vector<uint8_t> sceneFrame(uint32_t width, uint32_t height) {
    std::vector<uint8_t> frame(size_t{width} * height);
    std::mt19937 random(1);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            uint32_t base = (x * 255 / width + y * 128 / height) & 0xFF;
            frame[size_t{y} * width + x] = static_cast<uint8_t>((base + (random() & 15)) & 0xFF);
        }
    }
    return frame;
}

// Non-identity tone, gains and colour matrix, loops off: what the live view does per frame.
struct BenchPipeline {
    ImageSettings settings;
    IspPipeline pipeline{settings};
    api::IspCamera camera;

    BenchPipeline(api::PipelineClass cls, uint32_t width, uint32_t height, uint16_t geometry,
                  bool identity = false) {
        camera.pipelineClass = cls;
        camera.sensorWidth = width;
        camera.sensorHeight = height;
        pipeline.updateColour([&](ImageSettings& s) {
            s.flags = geometry;
            if (identity)
                return;
            s.gamma = 0.55;
            s.contrast = 1.2;
            s.blackLevel = 8;
            s.wbGainR = 1.35;
            s.wbGainB = 1.6;
            s.ccm = {1.55, -0.35, -0.2, -0.25, 1.45, -0.2, -0.05, -0.5, 1.55};
            s.flags |= api::kFlagEnhancement;
        });
        pipeline.rebuildPixelMap(width, height);
    }
};

}  // namespace vidscope::bench
