// SPDX-License-Identifier: MIT
// The test scene in front of the virtual camera, as reflectance per full-sensor site.
#include "sim/ScenePainter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace vidscope::sim {
namespace {

constexpr std::array<Rgb, ScenePainter::PatchCount> kPatchColours = {{
    {200, 30, 30},
    {30, 170, 40},
    {30, 40, 190},
    {30, 170, 190},
    {190, 40, 170},
    {210, 200, 40},
    {245, 245, 245},
    {200, 200, 200},
    {150, 150, 150},
    {100, 100, 100},
    {50, 50, 50},
    {12, 12, 12},
}};
constexpr int kPatchColumns = 6;
constexpr float kInk = 18;
constexpr float kPaper = 232;
constexpr int kStarSectors = 48;
constexpr double kRulerLengthMm = 40.0;

// 3 x 5 digits, one row per 3 bits, most significant bit left.
constexpr std::array<std::array<uint8_t, 5>, 10> kDigits = {{
    {7, 5, 5, 5, 7},
    {2, 6, 2, 2, 7},
    {7, 1, 7, 4, 7},
    {7, 1, 7, 1, 7},
    {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7},
    {7, 4, 7, 5, 7},
    {7, 1, 2, 2, 2},
    {7, 5, 7, 5, 7},
    {7, 5, 7, 1, 7},
}};

Rect fraction(int w, int h, double x0, double y0, double x1, double y1) {
    const int x = static_cast<int>(w * x0);
    const int y = static_cast<int>(h * y0);
    return Rect{x, y, static_cast<int>(w * x1) - x, static_cast<int>(h * y1) - y};
}

Rgb grey(float v) {
    return Rgb{v, v, v};
}

Rgb hue(double h) {
    // Hue 0..1 to a saturated colour at 80 % value.
    const double k = h * 6.0;
    const int sector = static_cast<int>(k) % 6;
    const double f = k - std::floor(k);
    const float hi = 200, lo = 40;
    const float up = static_cast<float>(lo + (hi - lo) * f);
    const float down = static_cast<float>(hi - (hi - lo) * f);
    switch (sector) {
        case 0:
            return {hi, up, lo};
        case 1:
            return {down, hi, lo};
        case 2:
            return {lo, hi, up};
        case 3:
            return {lo, down, hi};
        case 4:
            return {up, lo, hi};
        default:
            return {hi, lo, down};
    }
}

}  // namespace

ScenePainter::ScenePainter(uint16_t sensorWidth, uint16_t sensorHeight)
    : width_(sensorWidth), height_(sensorHeight) {
    patchArea_ = fraction(width_, height_, 0.05, 0.05, 0.95, 0.29);
    const int starRadius = static_cast<int>(height_ * 0.17);
    star_ = Rect{static_cast<int>(width_ * 0.2) - starRadius,
                 static_cast<int>(height_ * 0.55) - starRadius, 2 * starRadius, 2 * starRadius};
    linePairs_ = fraction(width_, height_, 0.40, 0.38, 0.60, 0.72);
    greyRamp_ = fraction(width_, height_, 0.66, 0.38, 0.95, 0.50);
    hueRamp_ = fraction(width_, height_, 0.66, 0.54, 0.95, 0.72);
    ruler_ = fraction(width_, height_, 0.03, 0.80, 0.97, 0.95);
    pixelsPerMm_ = width_ / kRulerLengthMm;
    targetSize_ = std::max(2, static_cast<int>(height_ * 0.14) & ~1);
    targetStep_ = std::max(2, (width_ / 150) & ~1);
}

Rect ScenePainter::patch(Patch p) const {
    const int cellW = patchArea_.width / kPatchColumns;
    const int cellH = patchArea_.height / 2;
    const int col = p % kPatchColumns;
    const int row = p / kPatchColumns;
    const int insetX = cellW / 12;
    const int insetY = cellH / 12;
    return Rect{patchArea_.x + col * cellW + insetX, patchArea_.y + row * cellH + insetY,
                cellW - 2 * insetX, cellH - 2 * insetY};
}

Rgb ScenePainter::at(int x, int y) const {
    Rgb c;
    if (patchAt(x, y, c) || starAt(x, y, c) || linePairsAt(x, y, c) || rampsAt(x, y, c) ||
        rulerAt(x, y, c)) {
        return c;
    }
    return background(y);
}

Rgb ScenePainter::background(int y) const {
    // A gentle vertical shading, slightly warm, so that flat areas are not perfectly flat.
    const float v = 95.0f + 50.0f * static_cast<float>(y) / static_cast<float>(height_);
    return Rgb{v + 6, v, v - 6};
}

bool ScenePainter::patchAt(int x, int y, Rgb& out) const {
    if (!patchArea_.contains(x, y))
        return false;
    const int cellW = patchArea_.width / kPatchColumns;
    const int cellH = patchArea_.height / 2;
    const int col = std::min((x - patchArea_.x) / std::max(cellW, 1), kPatchColumns - 1);
    const int row = std::min((y - patchArea_.y) / std::max(cellH, 1), 1);
    const auto p = static_cast<Patch>(row * kPatchColumns + col);
    out = patch(p).contains(x, y) ? kPatchColours[p] : grey(kInk + 10);
    return true;
}

bool ScenePainter::starAt(int x, int y, Rgb& out) const {
    if (!star_.contains(x, y))
        return false;
    const double r = star_.width / 2.0;
    const double dx = x + 0.5 - (star_.x + r);
    const double dy = y + 0.5 - (star_.y + r);
    if (dx * dx + dy * dy > r * r)
        return false;
    const double turn = (std::atan2(dy, dx) + std::numbers::pi) / (2 * std::numbers::pi);
    out = grey((static_cast<int>(turn * kStarSectors) & 1) ? kPaper : kInk);
    return true;
}

bool ScenePainter::linePairsAt(int x, int y, Rgb& out) const {
    if (!linePairs_.contains(x, y))
        return false;
    const int quarter = std::max(linePairs_.width / 4, 1);
    const int group = std::min((x - linePairs_.x) / quarter, 3);
    const int period = 2 << group;  // 2, 4, 8 and 16 pixels per line pair
    const bool vertical = y < linePairs_.y + linePairs_.height / 2;
    const int phase = vertical ? x - linePairs_.x : y - linePairs_.y;
    out = grey((phase % period) < period / 2 ? kPaper : kInk);
    return true;
}

bool ScenePainter::rampsAt(int x, int y, Rgb& out) const {
    if (greyRamp_.contains(x, y)) {
        out = grey(255.0f * static_cast<float>(x - greyRamp_.x) /
                   static_cast<float>(greyRamp_.width));
        return true;
    }
    if (hueRamp_.contains(x, y)) {
        out = hue(static_cast<double>(x - hueRamp_.x) / hueRamp_.width);
        return true;
    }
    return false;
}

bool ScenePainter::rulerAt(int x, int y, Rgb& out) const {
    if (!ruler_.contains(x, y))
        return false;
    out = Rgb{235, 222, 170};
    const double mm = (x - ruler_.x) / pixelsPerMm_;
    const int tick = static_cast<int>(std::lround(mm));
    const double tickX = ruler_.x + tick * pixelsPerMm_;
    const double halfTick = std::max(0.5, pixelsPerMm_ / 16);
    const int depth = y - ruler_.y;
    const double length = ruler_.height * (tick % 10 == 0 ? 0.55 : tick % 5 == 0 ? 0.38 : 0.22);
    if (std::abs(x + 0.5 - tickX) <= halfTick && depth < length) {
        out = grey(kInk);
        return true;
    }
    // Centimetre numbers under the long ticks.
    const int scale = std::max(1, ruler_.height / 24);
    const int cm = static_cast<int>(std::floor(mm / 10.0 + 0.5));
    const int labelX = static_cast<int>(ruler_.x + cm * 10 * pixelsPerMm_) - scale * 2;
    const int labelY = ruler_.y + static_cast<int>(ruler_.height * 0.65);
    const int digits = cm >= 10 ? 2 : 1;
    const int col = (x - labelX) / scale;
    const int row = (y - labelY) / scale;
    if (x >= labelX && y >= labelY && col < digits * 4 && row < 5 && col % 4 < 3) {
        const int digit = digits == 2 && col < 4 ? cm / 10 : cm % 10;
        if (digitPixel(digit, col % 4, row))
            out = grey(kInk);
    }
    return true;
}

bool ScenePainter::digitPixel(int digit, int col, int row) const {
    return (kDigits[digit][row] >> (2 - col)) & 1;
}

Rect ScenePainter::movingTarget(uint32_t frame) const {
    const int travel = std::max(width_ - targetSize_, 2);
    const int stepsPerSweep = std::max(travel / targetStep_, 1);
    const int phase = static_cast<int>(frame % (2u * stepsPerSweep));
    const int step = phase < stepsPerSweep ? phase : 2 * stepsPerSweep - phase;
    const int y = (static_cast<int>(height_ * 0.60) - targetSize_ / 2) & ~1;
    return Rect{step * targetStep_, y, targetSize_, targetSize_};
}

Rgb ScenePainter::targetAt(int dx, int dy) const {
    const int border = std::max(1, targetSize_ / 16);
    if (dx < border || dy < border || dx >= targetSize_ - border || dy >= targetSize_ - border)
        return grey(kInk);
    const int mid = targetSize_ / 2;
    if (std::abs(dx - mid) < border || std::abs(dy - mid) < border)
        return grey(kPaper);
    return Rgb{240, 140, 30};
}

}  // namespace vidscope::sim
