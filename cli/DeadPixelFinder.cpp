// SPDX-License-Identifier: MIT
// Hot pixels found in a dark raw frame, in full-sensor coordinates.
#include "cli/DeadPixelFinder.h"

#include <string>

#include "cli/CliError.h"
#include "cli/FrameSource.h"
#include "vidscope/camera_api.h"

namespace vidscope::cli {

std::vector<std::pair<unsigned, unsigned>> DeadPixelFinder::scan(
    const std::vector<unsigned char>& raw, unsigned width, unsigned height, int threshold) {
    std::vector<std::pair<unsigned, unsigned>> pixels;
    for (unsigned y = 0; y < height; ++y) {
        for (unsigned x = 0; x < width; ++x) {
            if (raw[size_t(y) * width + x] <= threshold)
                continue;
            if (pixels.size() == kMaxPixels)
                throw RunError("more than 63 pixels are brighter than " +
                               std::to_string(threshold) +
                               ": cover the lens, or raise --threshold");
            pixels.emplace_back(x, y);
        }
    }
    return pixels;
}

std::vector<std::pair<unsigned, unsigned>> DeadPixelFinder::find(int camera, int threshold) {
    // A full-sensor frame of a large sensor takes longer than the usual frame wait.
    constexpr int kFullFrameWaitMs = 5000;
    unsigned wait = 0;
    if (CameraGetTimeout(camera, &wait) && wait < kFullFrameWaitMs)
        require(CameraSetTimeout(camera, kFullFrameWaitMs), "CameraSetTimeout");
    FrameSource source(camera, FrameSource::Format::kRaw);
    // The first frames may still carry the exposure of before: judge a later one.
    constexpr int kSettleFrames = 3;
    int attempts = 0;
    while (source.delivered() < kSettleFrames) {
        if (++attempts > kSettleFrames + 10)
            throw RunError("no frame arrived (" + source.lastDrop() + ")");
        source.next();
    }
    const size_t pixels = size_t(source.width()) * source.height();
    if (source.frame().size() != pixels)
        throw UsageError("dead pixels are found on one-byte-per-pixel sensors; this camera sends " +
                         std::to_string(source.frame().size()) + " bytes for " +
                         std::to_string(pixels) + " pixels");
    return scan(source.frame(), source.width(), source.height(), threshold);
}

}  // namespace vidscope::cli
