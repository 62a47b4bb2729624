// SPDX-License-Identifier: MIT
// The white-balance statistics over raw mosaic frames.
#include "cameraapi/isp/WhiteBalance.h"

#include <array>
#include <cstdlib>

#include "cameraapi/isp/BayerInterpolator.h"
#include "cameraapi/isp/ColourTables.h"

namespace vidscope::api {
namespace {

// Gains are kept to hundredths, rounded down, as the controls show them.
double hundredths(double ratio) {
    return static_cast<double>(static_cast<int64_t>(ratio * 100)) / 100;
}

struct CellSample {
    int32_t red;
    int32_t green;
    int32_t blue;
};

// The red, blue and one green sample of the 2 x 2 cell at even (x, y).
CellSample sampleCell(const uint8_t* raw, uint32_t width, uint32_t x, uint32_t y,
                      PipelineClass order) {
    CellSample sample{};
    bool haveGreen = false;
    for (uint32_t dx = 0; dx < 2; ++dx) {
        for (uint32_t dy = 0; dy < 2; ++dy) {
            const int32_t value = raw[size_t{y + dy} * width + x + dx];
            switch (BayerInterpolator::colourAt(order, x + dx, y + dy)) {
                case 0:
                    sample.red = value;
                    break;
                case 2:
                    sample.blue = value;
                    break;
                default:
                    // The left column's green: lower-left in BGGR, upper-left in GRBG.
                    if (dx == 0 && !haveGreen) {
                        sample.green = value;
                        haveGreen = true;
                    }
                    break;
            }
        }
    }
    return sample;
}

bool isNearGrey(const CellSample& s, int32_t previousMean) {
    using T = ColourTables;
    const int32_t y = T::at(T::lumR, static_cast<uint8_t>(s.red)) +
                      T::at(T::lumG, static_cast<uint8_t>(s.green)) +
                      T::at(T::lumB, static_cast<uint8_t>(s.blue));
    const int32_t cb = (s.blue >> 1) - T::at(T::cbR, static_cast<uint8_t>(s.red)) -
                       T::at(T::cbG, static_cast<uint8_t>(s.green));
    const int32_t cr = (s.red >> 1) - T::at(T::crB, static_cast<uint8_t>(s.blue)) -
                       T::at(T::crG, static_cast<uint8_t>(s.green));
    const int32_t d = std::abs(cb) + std::abs(cr);
    return d > static_cast<int32_t>(0.1 * y) && d < static_cast<int32_t>(0.43 * y) &&
           std::abs(cb) < 15 && std::abs(cr) < 15 && y < 220 && y > previousMean + 30 &&
           s.green - s.red >= 16 && s.green - s.blue >= 16;
}

}  // namespace

std::optional<WhiteBalanceGains> WhiteBalance::onePush(const uint8_t* raw, uint32_t width,
                                                       uint32_t height, PipelineClass order) {
    uint32_t x0 = width / 3;
    uint32_t y0 = height / 3;
    x0 += x0 & 1U;
    y0 += y0 & 1U;
    std::array<uint64_t, 3> sums{};
    for (uint32_t y = y0; y < 2 * y0 && y < height; ++y) {
        for (uint32_t x = x0; x < 2 * x0 && x < width; ++x) {
            sums[static_cast<size_t>(BayerInterpolator::colourAt(order, x, y))] +=
                raw[size_t{y} * width + x];
        }
    }
    if (sums[0] == 0 || sums[1] == 0 || sums[2] == 0)
        return std::nullopt;
    const auto green = static_cast<double>(sums[1]);
    return WhiteBalanceGains{hundredths(0.5 * green / static_cast<double>(sums[0])), 1.0,
                             hundredths(0.5 * green / static_cast<double>(sums[2]))};
}

std::optional<WhiteBalanceGains> WhiteBalance::estimate(const uint8_t* raw, uint32_t width,
                                                        uint32_t height, PipelineClass order,
                                                        int32_t previousMean) {
    if (height < 5 || width < 4)
        return std::nullopt;
    const uint32_t cellRows = ((height - 5) >> 1) + 1;
    std::array<uint64_t, 3> sums{};
    int cells = 0;
    for (uint32_t row = 0; row < cellRows; ++row) {
        const uint32_t y = 2 + 2 * row;
        for (uint32_t x = 2; x < width - 2; x += 2) {
            CellSample sample = sampleCell(raw, width, x, y, order);
            if (!isNearGrey(sample, previousMean))
                continue;
            sums[0] += static_cast<uint64_t>(sample.red);
            sums[1] += static_cast<uint64_t>(sample.green);
            sums[2] += static_cast<uint64_t>(sample.blue);
            ++cells;
        }
    }
    if (sums[0] == 0 || sums[1] == 0 || sums[2] == 0 || cells < kMinGreyCells)
        return std::nullopt;
    const auto green = static_cast<double>(sums[1]);
    return WhiteBalanceGains{hundredths(green / static_cast<double>(sums[0])), 1.0,
                             hundredths(green / static_cast<double>(sums[2]))};
}

bool WhiteBalance::schedule(ImageSettings& settings, uint32_t frameCount) {
    if ((settings.flags & kFlagAutoWhiteBalance) == 0)
        return false;
    const int32_t moved = std::abs(settings.meanAtLastAwb - settings.meanBrightness);
    const bool due = (frameCount % 5 == 0 && moved > 30) || (frameCount % 32 == 0 && moved > 10);
    if (!due)
        return false;
    settings.meanAtLastAwb = settings.meanBrightness;
    settings.awbPending = 1;
    return true;
}

}  // namespace vidscope::api
