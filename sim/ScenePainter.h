// SPDX-License-Identifier: MIT
// The test scene in front of the virtual camera, as reflectance per full-sensor site.
#pragma once

#include <cstdint>

namespace vidscope::sim {

// Reflectance per colour, 0 (black) to 255 (white).
struct Rgb {
    float r = 0;
    float g = 0;
    float b = 0;
};

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool contains(int px, int py) const {
        return px >= x && py >= y && px < x + width && py < y + height;
    }
};

// The scene scales with the sensor, so every model sees the same composition: colour and
// grey patches across the top, a Siemens star, line pairs of 2 to 16 pixels, a grey ramp and
// a hue ramp in the middle, and a ruler with millimetre ticks along the bottom. A square
// target moves along the middle band.
class ScenePainter {
public:
    enum Patch {
        Red,
        Green,
        Blue,
        Cyan,
        Magenta,
        Yellow,
        White,
        LightGrey,
        MidGrey,
        DarkGrey,
        DimGrey,
        Black,
        PatchCount
    };

    ScenePainter(uint16_t sensorWidth, uint16_t sensorHeight);

    Rgb at(int x, int y) const;

    Rect patch(Patch p) const;
    Rect ruler() const { return ruler_; }
    // The ruler is printed so that the full sensor width spans 40 mm.
    double pixelsPerMillimetre() const { return pixelsPerMm_; }

    // Position of the moving target in the given sensor frame, and its look relative to its
    // top-left corner.
    Rect movingTarget(uint32_t frame) const;
    Rgb targetAt(int dx, int dy) const;

private:
    Rgb background(int y) const;
    bool patchAt(int x, int y, Rgb& out) const;
    bool starAt(int x, int y, Rgb& out) const;
    bool linePairsAt(int x, int y, Rgb& out) const;
    bool rampsAt(int x, int y, Rgb& out) const;
    bool rulerAt(int x, int y, Rgb& out) const;
    bool digitPixel(int digit, int col, int row) const;

    const int width_;
    const int height_;
    Rect patchArea_;
    Rect star_;
    Rect linePairs_;
    Rect greyRamp_;
    Rect hueRamp_;
    Rect ruler_;
    double pixelsPerMm_;
    int targetSize_;
    int targetStep_;
};

}  // namespace vidscope::sim
