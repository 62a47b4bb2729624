// SPDX-License-Identifier: MIT
// Turns the scene into the bytes of the model's frames: mosaic, exposure, noise, defects, motion.
#include "sim/SceneRenderer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

namespace vidscope::sim {
namespace {

constexpr size_t kNoiseTableSize = 1 << 16;
constexpr double kFullScaleUs = 20000.0;
constexpr float kReadNoiseSquared = 0.5f;  // read noise of about 0.7 units at unity gain
constexpr float kShotNoisePerUnit = 0.06f;
constexpr int kCancelCheckRows = 32;
// Studio swing of the YUV sensors: luma 16..235, chroma 16..240.
constexpr float kLumaSpan = 219.0f / 255.0f;
constexpr float kUWeight = 1.732446f;
constexpr float kVWeight = 1.370705f;

bool isBayer(PixelLayout l) {
    return l == PixelLayout::BayerBGGR || l == PixelLayout::BayerGRBG;
}

float luma(const Rgb& c) {
    return 0.299f * c.r + 0.587f * c.g + 0.114f * c.b;
}

uint8_t toByte(float v) {
    return static_cast<uint8_t>(std::clamp(std::lround(v), 0l, 255l));
}

int floorEven(int v) {
    return v >= 0 ? v & ~1 : -((-v + 1) & ~1);
}

int floorHalf(int v) {
    return v >= 0 ? v / 2 : -((-v + 1) / 2);
}

uint32_t mix(uint32_t a, uint32_t b) {
    uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA6Bu;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    return h ^ (h >> 12);
}

}  // namespace

Exposure Exposure::of(const SensorState& sensor, double illumination) {
    Exposure e;
    e.scale = std::max(illumination, 0.0) * sensor.timing.exposureUs() / kFullScaleUs * sensor.gain;
    e.gain = sensor.gain;
    e.pedestal = sensor.blackPedestal;
    e.tone = sensor.tone;
    return e;
}

SceneRenderer::SceneRenderer(const VirtualModel& model, std::vector<SensorSite> stuckSites,
                             uint32_t seed)
    : model_(model), painter_(model.maxWidth, model.maxHeight), stuckSites_(std::move(stuckSites)) {
    std::mt19937 random(seed);
    std::normal_distribution<float> normal(0.0f, 16.0f);
    noise_.resize(kNoiseTableSize);
    for (int8_t& n : noise_)
        n = static_cast<int8_t>(std::clamp(std::lround(normal(random)), -127l, 127l));
}

bool SceneRenderer::prepare(const FrameGeometry& geometry, const Exposure& exposure,
                            std::stop_token cancel) {
    if (!geometryValid_ || !(geometry == geometry_)) {
        // A render that was cancelled goes on where it stopped: on a slow host a large sensor
        // may take longer than the host waits for a frame, and a host that gives up and asks
        // again would otherwise start it over every time and never see a frame.
        if (!(geometry == geometry_) || geometryValid_) {
            geometry_ = geometry;
            rowBytes_ = size_t{geometry.width} * geometry.bytesPerPixel;
            reflectance_.resize(geometry_.frameBytes());
            renderedRows_ = 0;
        }
        geometryValid_ = false;
        exposureValid_ = false;
        if (!renderReflectance(cancel))
            return false;
        renderTarget();
        placeStuckSites();
        geometryValid_ = true;
    }
    if (!exposureValid_ || !(exposure == exposure_)) {
        exposure_ = exposure;
        buildLevels();
        exposeAll();
        exposureValid_ = true;
    }
    return true;
}

Rgb SceneRenderer::sample(const ScenePainter& p, int ox, int oy, int originX, int originY,
                          bool target) const {
    const bool bayer = isBayer(model_.layout);
    const int limitX = target ? 1 << 30 : model_.maxWidth - 1;
    const int limitY = target ? 1 << 30 : model_.maxHeight - 1;
    auto at = [&](int rx, int ry) {
        const int x = std::min(originX + rx, limitX);
        const int y = std::min(originY + ry, limitY);
        return target ? p.targetAt(x, y) : p.at(x, y);
    };
    // Skipping and binning keep whole 2 x 2 colour cells on a Bayer sensor.
    auto site = [&](int o) { return bayer ? (o / 2) * 4 + (o & 1) : 2 * o; };
    switch (geometry_.sampling) {
        case Sampling::Full:
            return at(ox, oy);
        case Sampling::Skip:
            return at(site(ox), site(oy));
        case Sampling::Bin:
            break;
    }
    const int partner = bayer ? 2 : 1;
    const int sx = site(ox);
    const int sy = site(oy);
    const Rgb a = at(sx, sy), b = at(sx + partner, sy), c = at(sx, sy + partner),
              d = at(sx + partner, sy + partner);
    return Rgb{(a.r + b.r + c.r + d.r) / 4, (a.g + b.g + c.g + d.g) / 4,
               (a.b + b.b + c.b + d.b) / 4};
}

void SceneRenderer::writePixels(uint8_t* row, int ox, const Rgb* rgb, int count,
                                int parityY) const {
    switch (model_.layout) {
        case PixelLayout::BayerBGGR:
        case PixelLayout::BayerGRBG:
            for (int i = 0; i < count; ++i) {
                const int cell = ((ox + i) & 1) | (parityY << 1);  // 0 ee, 1 oe, 2 eo, 3 oo
                const bool bggr = model_.layout == PixelLayout::BayerBGGR;
                const Rgb& c = rgb[i];
                float v;
                if (cell == 0)
                    v = bggr ? c.b : c.g;
                else if (cell == 3)
                    v = bggr ? c.r : c.g;
                else if (cell == 1)
                    v = bggr ? c.g : c.r;
                else
                    v = bggr ? c.g : c.b;
                row[ox + i] = toByte(v);
            }
            return;
        case PixelLayout::Monochrome:
            for (int i = 0; i < count; ++i)
                row[ox + i] = toByte(luma(rgb[i]));
            return;
        case PixelLayout::Yuv422:
            for (int i = 0; i + 1 < count; i += 2) {
                const Rgb& p0 = rgb[i];
                const Rgb& p1 = rgb[i + 1];
                const float y0 = luma(p0), y1 = luma(p1), y = (y0 + y1) / 2;
                uint8_t* out = row + (ox + i) * 2;
                out[0] = toByte(128 + ((p0.b + p1.b) / 2 - y) / kUWeight);
                out[1] = toByte(y0);
                out[2] = toByte(128 + ((p0.r + p1.r) / 2 - y) / kVWeight);
                out[3] = toByte(y1);
            }
            return;
    }
}

bool SceneRenderer::renderReflectance(std::stop_token cancel) {
    const int w = geometry_.width;
    const int h = geometry_.height;
    std::vector<Rgb> line(w);
    for (int oy = static_cast<int>(renderedRows_); oy < h; ++oy) {
        if (oy % kCancelCheckRows == 0 && cancel.stop_requested()) {
            renderedRows_ = static_cast<size_t>(oy);
            return false;
        }
        for (int ox = 0; ox < w; ++ox)
            line[ox] = sample(painter_, ox, oy, geometry_.window.x, geometry_.window.y, false);
        writePixels(reflectance_.data() + oy * rowBytes_, 0, line.data(), w, oy & 1);
    }
    return true;
}

void SceneRenderer::renderTarget() {
    const int size = painter_.movingTarget(0).width;
    const int outSize = geometry_.sampling == Sampling::Full ? size : (size / 2) & ~1;
    targetWidth_ = targetHeight_ = outSize;
    const size_t rowBytes = size_t(outSize) * geometry_.bytesPerPixel;
    targetReflectance_.resize(rowBytes * outSize);
    std::vector<Rgb> line(outSize);
    for (int ty = 0; ty < outSize; ++ty) {
        for (int tx = 0; tx < outSize; ++tx)
            line[tx] = sample(painter_, tx, ty, 0, 0, true);
        writePixels(targetReflectance_.data() + ty * rowBytes, 0, line.data(), outSize, ty & 1);
    }
}

std::optional<int> SceneRenderer::outputOf(int rel, bool bayer) const {
    if (rel < 0)
        return std::nullopt;
    switch (geometry_.sampling) {
        case Sampling::Full:
            return rel;
        case Sampling::Skip:
            if (bayer)
                return rel % 4 < 2 ? std::optional<int>((rel / 4) * 2 + rel % 4) : std::nullopt;
            return rel % 2 == 0 ? std::optional<int>(rel / 2) : std::nullopt;
        case Sampling::Bin:
            return bayer ? (rel / 4) * 2 + (rel % 4 & 1) : rel / 2;
    }
    return std::nullopt;
}

void SceneRenderer::placeStuckSites() {
    const bool bayer = isBayer(model_.layout);
    stuckOffsets_.clear();
    for (const SensorSite& s : stuckSites_) {
        const auto ox = outputOf(s.x - geometry_.window.x, bayer);
        const auto oy = outputOf(s.y - geometry_.window.y, bayer);
        if (!ox || !oy || *ox >= geometry_.width || *oy >= geometry_.height)
            continue;
        size_t offset = size_t(*oy) * rowBytes_;
        if (model_.layout == PixelLayout::Yuv422)
            offset += size_t(*ox / 2) * 4 + ((*ox & 1) ? 3 : 1);
        else
            offset += size_t(*ox);
        stuckOffsets_.push_back(offset);
    }
}

void SceneRenderer::buildLevels() {
    const bool yuv = model_.layout == PixelLayout::Yuv422;
    const float scale = static_cast<float>(exposure_.scale);
    const float gain = static_cast<float>(exposure_.gain);
    for (int v = 0; v < 256; ++v) {
        const float signal = v * scale;
        const float clipped = std::min(signal, 255.0f);
        lumaMean_[v] = yuv ? 16 + exposure_.tone.curve[static_cast<int>(clipped)] * kLumaSpan
                           : exposure_.pedestal + signal;
        lumaSigma_[v] =
            std::sqrt(kReadNoiseSquared * gain * gain + kShotNoisePerUnit * gain * clipped);
        const float chroma =
            (v - 128) * scale * static_cast<float>(exposure_.tone.saturation) * kLumaSpan;
        chromaMean_[v] = std::clamp(128 + chroma, 16.0f, 240.0f);
    }
}

void SceneRenderer::expose(std::span<const uint8_t> reflectance, std::span<uint8_t> out,
                           size_t noiseStart) const {
    const bool yuv = model_.layout == PixelLayout::Yuv422;
    const float chromaSigma = 0.5f * lumaSigma_[0];
    for (size_t i = 0; i < reflectance.size(); ++i) {
        const uint8_t r = reflectance[i];
        const float n = noise_[mix(static_cast<uint32_t>(i), static_cast<uint32_t>(noiseStart)) &
                               (kNoiseTableSize - 1)] /
                        16.0f;
        const bool chroma = yuv && (i & 1) == 0;  // U Y0 V Y1
        const float v =
            chroma ? chromaMean_[r] + n * chromaSigma : lumaMean_[r] + n * lumaSigma_[r];
        out[i] = static_cast<uint8_t>(std::clamp(v + 0.5f, 0.0f, 255.0f));
    }
}

void SceneRenderer::exposeAll() {
    for (size_t k = 0; k < exposed_.size(); ++k) {
        exposed_[k].resize(reflectance_.size());
        expose(reflectance_, exposed_[k], 0x1000 * (k + 1));
        for (size_t offset : stuckOffsets_)
            exposed_[k][offset] = 255;
    }
    targetExposed_.resize(targetReflectance_.size());
    expose(targetReflectance_, targetExposed_, 0x3000);
}

SceneRenderer::Placement SceneRenderer::targetPlacement(uint32_t frame) const {
    const Rect t = painter_.movingTarget(frame);
    const int relX = t.x - geometry_.window.x;
    const int relY = t.y - geometry_.window.y;
    if (geometry_.sampling == Sampling::Full)
        return {floorEven(relX), floorEven(relY)};
    return {floorEven(floorHalf(relX)), floorEven(floorHalf(relY))};
}

void SceneRenderer::copy(uint32_t frameNumber, size_t offset, std::span<uint8_t> out) const {
    const size_t total = frameBytes();
    const Placement target = targetPlacement(frameNumber);
    size_t done = 0;
    while (done < out.size()) {
        const size_t position = offset + done;
        if (position >= total || rowBytes_ == 0) {
            std::fill(out.begin() + done, out.end(), 0);
            break;
        }
        const size_t row = position / rowBytes_;
        const size_t col = position % rowBytes_;
        const size_t n = std::min(out.size() - done, rowBytes_ - col);
        copyRow(frameNumber, row, col, out.subspan(done, n), target);
        done += n;
    }
    if (stamp_ && total >= kStampBytes)
        stampInto(frameNumber, 0, offset, out);
    if (stampEnd_ && total >= 2 * kStampBytes)
        stampInto(frameNumber, total - kStampBytes, offset, out);
}

void SceneRenderer::copyRow(uint32_t frame, size_t row, size_t col, std::span<uint8_t> out,
                            const Placement& target) const {
    const size_t rowStart = row * rowBytes_;
    const auto& source = exposed_[mix(frame, static_cast<uint32_t>(row)) >> 31];
    std::memcpy(out.data(), source.data() + rowStart + col, out.size());

    const int ty = static_cast<int>(row) - target.y;
    if (ty < 0 || ty >= targetHeight_)
        return;
    const int bpp = geometry_.bytesPerPixel;
    const long targetFirst = long{target.x} * bpp;  // frame-row byte where the target starts
    const long first = std::max<long>({targetFirst, 0, long(col)});
    const long last = std::min<long>(
        {targetFirst + long{targetWidth_} * bpp, long(rowBytes_), long(col + out.size())});
    if (first >= last)
        return;
    const uint8_t* targetRow = targetExposed_.data() + size_t(ty) * targetWidth_ * bpp;
    std::memcpy(out.data() + (first - col), targetRow + (first - targetFirst),
                size_t(last - first));
    // Defective sites stay defective in front of the target.
    for (size_t offset : stuckOffsets_) {
        const size_t lo = rowStart + size_t(first);
        if (offset >= lo && offset < rowStart + size_t(last))
            out[offset - rowStart - col] = 255;
    }
}

void SceneRenderer::stampInto(uint32_t frame, size_t at, size_t offset, std::span<uint8_t> out) {
    const uint32_t words[2] = {frame, ~frame};
    const size_t first = std::max(at, offset);
    const size_t last = std::min(at + kStampBytes, offset + out.size());
    for (size_t i = first; i < last; ++i) {
        const size_t k = i - at;
        out[i - offset] = static_cast<uint8_t>(words[k / 4] >> (24 - 8 * (k % 4)));
    }
}

std::optional<uint32_t> SceneRenderer::readStamp(std::span<const uint8_t> frame) {
    if (frame.size() < kStampBytes)
        return std::nullopt;
    auto word = [&](size_t at) {
        return uint32_t{frame[at]} << 24 | uint32_t{frame[at + 1]} << 16 |
               uint32_t{frame[at + 2]} << 8 | frame[at + 3];
    };
    const uint32_t n = word(0);
    if (word(4) != ~n)
        return std::nullopt;
    return n;
}

std::optional<uint32_t> SceneRenderer::readTailStamp(std::span<const uint8_t> frame) {
    if (frame.size() < 2 * kStampBytes)
        return std::nullopt;
    return readStamp(frame.last(kStampBytes));
}

}  // namespace vidscope::sim
