// SPDX-License-Identifier: MIT
// Hot pixels found in a dark raw frame, in full-sensor coordinates.
#pragma once

#include <utility>
#include <vector>

namespace vidscope::cli {

class DeadPixelFinder {
public:
    // What the camera's list holds at most.
    static constexpr unsigned kMaxPixels = 63;

    // Streams one raw frame of the open camera (full resolution, no mirror or rotation, as
    // a freshly opened camera is) and returns the pixels brighter than `threshold`.
    // RunError when more than kMaxPixels are that bright: the lens is likely uncovered.
    static std::vector<std::pair<unsigned, unsigned>> find(int camera, int threshold);
    // The same on a frame in memory (one byte per pixel, rows of `width`).
    static std::vector<std::pair<unsigned, unsigned>> scan(const std::vector<unsigned char>& raw,
                                                           unsigned width, unsigned height,
                                                           int threshold);
};

}  // namespace vidscope::cli
