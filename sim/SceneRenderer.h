// SPDX-License-Identifier: MIT
// Turns the scene into the bytes of the model's frames: mosaic, exposure, noise, defects, motion.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <stop_token>
#include <vector>

#include "sim/ResolutionTable.h"
#include "sim/ScenePainter.h"
#include "sim/SensorProfile.h"
#include "sim/VirtualModel.h"

namespace vidscope::sim {

struct SensorSite {
    uint16_t x = 0;
    uint16_t y = 0;
};

// How the light on the sensor becomes numbers.
struct Exposure {
    double scale = 0.5;  // output units per reflectance unit above the pedestal
    double gain = 1.0;   // analog gain, which amplifies the read noise as well
    uint8_t pedestal = 0;
    ToneSettings tone = ToneSettings::identity();
    bool operator==(const Exposure&) const = default;

    // Full scale is reached by white at 20 ms of exposure, unity gain and illumination 1.
    static Exposure of(const SensorState& sensor, double illumination);
};

// Not thread-safe: one reader (the stream) drives it.
//
// Rendering the scene is slow and happens only when the geometry changes; exposing it (tone,
// noise, stuck sites) happens when the exposure changes. Frames are then copied out of two
// exposed copies with different noise, picked row by row per frame, so that noise varies from
// frame to frame at the cost of a memcpy. The moving target is pasted over the rows it covers
// and the frame number is stamped into the first bytes (and, if asked, the last ones too, so
// that a frame joined from the start of one and the end of another shows two numbers).
class SceneRenderer {
public:
    SceneRenderer(const VirtualModel& model, std::vector<SensorSite> stuckSites, uint32_t seed);

    // Brings the cached frame up to date. False when cancelled; the next call for the same
    // geometry goes on from where the cancelled one stopped.
    bool prepare(const FrameGeometry& geometry, const Exposure& exposure, std::stop_token cancel);
    size_t frameBytes() const { return geometry_.frameBytes(); }

    // Bytes [offset, offset + out.size()) of sensor frame `frameNumber`; bytes past the frame
    // (a frame sent too long) are 0.
    void copy(uint32_t frameNumber, size_t offset, std::span<uint8_t> out) const;

    const ScenePainter& painter() const { return painter_; }
    void setStampFrameNumbers(bool first, bool last = false) {
        stamp_ = first;
        stampEnd_ = last;
    }

    // The stamp: frame number big-endian in bytes 0-3, its complement in bytes 4-7; again in
    // the last 8 bytes of a frame of at least twice that size when stamping both ends.
    static constexpr size_t kStampBytes = 8;
    static std::optional<uint32_t> readStamp(std::span<const uint8_t> frame);
    static std::optional<uint32_t> readTailStamp(std::span<const uint8_t> frame);

private:
    struct Placement {
        int x = 0;  // output pixel of the target's corner (may lie outside the frame)
        int y = 0;
    };

    bool renderReflectance(std::stop_token cancel);
    void renderTarget();
    void exposeAll();
    void expose(std::span<const uint8_t> reflectance, std::span<uint8_t> out,
                size_t noiseStart) const;
    void buildLevels();
    void placeStuckSites();
    Rgb sample(const ScenePainter& p, int ox, int oy, int originX, int originY, bool target) const;
    void writePixels(uint8_t* row, int ox, const Rgb* rgb, int count, int parityY) const;
    std::optional<int> outputOf(int rel, bool bayer) const;
    Placement targetPlacement(uint32_t frame) const;
    void copyRow(uint32_t frame, size_t row, size_t col, std::span<uint8_t> out,
                 const Placement& target) const;
    // Writes the stamp at frame byte `at` into `out`, which holds the bytes from `offset` on.
    static void stampInto(uint32_t frame, size_t at, size_t offset, std::span<uint8_t> out);

    const VirtualModel& model_;
    const ScenePainter painter_;
    const std::vector<SensorSite> stuckSites_;
    std::vector<int8_t> noise_;  // standard normal samples times 16
    bool stamp_ = true;
    bool stampEnd_ = false;

    bool geometryValid_ = false;
    bool exposureValid_ = false;
    FrameGeometry geometry_;
    Exposure exposure_;
    size_t rowBytes_ = 0;
    std::vector<uint8_t> reflectance_;
    size_t renderedRows_ = 0;  // of reflectance_, while geometryValid_ is false
    std::array<std::vector<uint8_t>, 2> exposed_;
    std::vector<size_t> stuckOffsets_;  // byte offsets of stuck outputs in the frame
    int targetWidth_ = 0;               // output pixels, even
    int targetHeight_ = 0;
    std::vector<uint8_t> targetReflectance_;
    std::vector<uint8_t> targetExposed_;
    // Mean output and noise spread per reflectance value, for luma and chroma bytes.
    std::array<float, 256> lumaMean_{};
    std::array<float, 256> lumaSigma_{};
    std::array<float, 256> chromaMean_{};
};

}  // namespace vidscope::sim
