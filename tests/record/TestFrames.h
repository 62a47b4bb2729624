// SPDX-License-Identifier: MIT
// Synthetic frames whose every pixel tells its row, column and frame number apart.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "AviWriter.h"

namespace avitest {

using vidscope::record::FrameView;
using vidscope::record::PixelLayout;

struct Rgb {
    std::uint8_t r, g, b;
};

// Distinct in all three channels, and different between neighbouring rows, columns and frames,
// so a swapped channel, a flipped row order or a wrong row stride all show.
inline Rgb patternAt(int x, int y, int frame) {
    return {std::uint8_t(x * 7 + frame * 3 + 40), std::uint8_t(y * 13 + frame * 5),
            std::uint8_t((x + 2 * y) * 3 + frame)};
}

inline std::uint8_t greyAt(int x, int y, int frame) {
    return std::uint8_t(x * 5 + y * 17 + frame * 9);
}

// One frame in the caller's layout, with `extraPerLine` bytes of slack after each row.
class TestFrame {
public:
    TestFrame(int width, int height, PixelLayout layout, int frame, int extraPerLine = 0)
        : width_(width), height_(height), layout_(layout) {
        const int bpp = layout == PixelLayout::kBgrx32 ? 4 : layout == PixelLayout::kRgb24 ? 3 : 1;
        bytesPerLine_ = width * bpp + extraPerLine;
        pixels_.assign(std::size_t(bytesPerLine_) * std::size_t(height), 0xEE);
        for (int y = 0; y < height; ++y) {
            std::uint8_t* row = pixels_.data() + std::size_t(y) * std::size_t(bytesPerLine_);
            for (int x = 0; x < width; ++x) {
                const Rgb c = patternAt(x, y, frame);
                switch (layout) {
                    case PixelLayout::kBgrx32:
                        row[4 * x] = c.b;
                        row[4 * x + 1] = c.g;
                        row[4 * x + 2] = c.r;
                        row[4 * x + 3] = 0xFF;
                        break;
                    case PixelLayout::kRgb24:
                        row[3 * x] = c.r;
                        row[3 * x + 1] = c.g;
                        row[3 * x + 2] = c.b;
                        break;
                    case PixelLayout::kGray8:
                        row[x] = greyAt(x, y, frame);
                        break;
                }
            }
        }
    }

    FrameView view() const { return {pixels_.data(), width_, height_, bytesPerLine_, layout_}; }
    const std::vector<std::uint8_t>& bytes() const { return pixels_; }

    // What FFmpeg should decode the frame to as rgb24 (grey through its palette: r = g = b).
    static std::string expected(int width, int height, PixelLayout layout, int frame) {
        std::string out;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const std::uint8_t v = greyAt(x, y, frame);
                const Rgb c = layout == PixelLayout::kGray8 ? Rgb{v, v, v} : patternAt(x, y, frame);
                out += char(c.r);
                out += char(c.g);
                out += char(c.b);
            }
        }
        return out;
    }

private:
    int width_;
    int height_;
    PixelLayout layout_;
    int bytesPerLine_ = 0;
    std::vector<std::uint8_t> pixels_;
};

}  // namespace avitest
