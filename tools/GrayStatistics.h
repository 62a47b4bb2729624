// SPDX-License-Identifier: MIT
// Gray-level histogram and statistics of a still image, and the pictures the histogram dialog
// draws.
#pragma once

#include <QImage>
#include <QPicture>
#include <QRgb>
#include <array>
#include <cstdint>

// What the "Image" group of the histogram dialog shows. Min is 255 and max 0 for an empty
// image, so that a caller can tell nothing was counted.
struct GrayStatistics {
    int width = 0;
    int height = 0;
    int depth = 0;  // logical bits per pixel: 8 for grey pictures, 24 for colour ones
    int max = 0;
    int min = 255;
    int average = 0;
    std::array<uint64_t, 256> bins{};
};

namespace GrayLevels {

// The weighting every gray readout of the program uses, in integers.
constexpr int gray(int r, int g, int b) {
    return (11 * r + 16 * g + 5 * b) >> 5;
}
inline int gray(QRgb pixel) {
    return gray(qRed(pixel), qGreen(pixel), qBlue(pixel));
}

// 8 for one-channel pictures (indexed or grey formats), 24 for every colour layout: the
// in-memory padding of RGB32 is not part of the picture.
int logicalDepth(const QImage& image);

// Counts every pixel once, in memory order; the bins are order-independent, so the figures
// equal those of any other walk over the picture.
GrayStatistics compute(const QImage& image);

// The histogram drawing: base line at y 210, one bar per gray level scaled to the largest bin.
QPicture histogramPicture(const std::array<uint64_t, 256>& bins);

// The 10x magnifier around (x, y): a 10 x 10 cut with (x, y) at (4, 4), outside pixels black,
// scaled to 100 x 100 without smoothing, with a frame around the centre pixel that stays
// visible on dark and bright pixels alike.
QPicture magnifierPicture(const QImage& image, int x, int y);

// The 10 x 10 cut the magnifier scales up (exposed for checking what it shows).
QImage magnifierCut(const QImage& image, int x, int y);

}  // namespace GrayLevels
