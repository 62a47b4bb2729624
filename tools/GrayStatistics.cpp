// SPDX-License-Identifier: MIT
// Gray-level histogram and statistics of a still image, and the pictures the histogram dialog
// draws.
#include "GrayStatistics.h"

#include <QPainter>

namespace GrayLevels {
namespace {

constexpr int kBaseLine = 210;
constexpr int kCutSize = 10;
constexpr int kCentre = 4;
constexpr int kMagnifiedSize = 100;
constexpr int kDarkGray = 50;

using Bins = std::array<uint64_t, 256>;

// Four partial histograms break the store-to-load chain of runs of equal pixels.
struct PartialBins {
    std::array<std::array<uint32_t, 256>, 4> part{};

    void flushInto(Bins& bins) {
        for (int i = 0; i < 256; ++i) {
            bins[i] += uint64_t{part[0][i]} + part[1][i] + part[2][i] + part[3][i];
            part[0][i] = part[1][i] = part[2][i] = part[3][i] = 0;
        }
    }
};

// Indexed pictures: count the indices, then map each index to its gray through the table.
void countIndexed(const QImage& image, Bins& bins) {
    std::array<uint64_t, 256> indices{};
    PartialBins partial;
    const int w = image.width();
    for (int y = 0; y < image.height(); ++y) {
        const uchar* row = image.constScanLine(y);
        int x = 0;
        for (; x + 4 <= w; x += 4) {
            ++partial.part[0][row[x]];
            ++partial.part[1][row[x + 1]];
            ++partial.part[2][row[x + 2]];
            ++partial.part[3][row[x + 3]];
        }
        for (; x < w; ++x)
            ++partial.part[0][row[x]];
        // 32-bit counters hold 2^32 / 4384 rows of the widest sensor; flush well before.
        if ((y & 0xFF) == 0xFF)
            partial.flushInto(indices);
    }
    partial.flushInto(indices);
    const QList<QRgb> table = image.colorTable();
    const bool grayscale = image.format() == QImage::Format_Grayscale8;
    for (int i = 0; i < 256; ++i) {
        if (indices[i] == 0)
            continue;
        // An index beyond a short colour table reads as black, as QImage::pixel would.
        const int g = grayscale ? i : (i < table.size() ? gray(table[i]) : 0);
        bins[g] += indices[i];
    }
}

void countRgb32(const QImage& image, Bins& bins) {
    PartialBins partial;
    const int w = image.width();
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        int x = 0;
        for (; x + 4 <= w; x += 4) {
            ++partial.part[0][gray(row[x])];
            ++partial.part[1][gray(row[x + 1])];
            ++partial.part[2][gray(row[x + 2])];
            ++partial.part[3][gray(row[x + 3])];
        }
        for (; x < w; ++x)
            ++partial.part[0][gray(row[x])];
        if ((y & 0xFF) == 0xFF)
            partial.flushInto(bins);
    }
    partial.flushInto(bins);
}

void countRgb888(const QImage& image, Bins& bins) {
    PartialBins partial;
    const int w = image.width();
    for (int y = 0; y < image.height(); ++y) {
        const uchar* p = image.constScanLine(y);
        for (int x = 0; x < w; ++x, p += 3)
            ++partial.part[x & 3][gray(p[0], p[1], p[2])];
        if ((y & 0xFF) == 0xFF)
            partial.flushInto(bins);
    }
    partial.flushInto(bins);
}

void summarise(GrayStatistics& s) {
    uint64_t sum = 0;
    uint64_t count = 0;
    for (int g = 0; g < 256; ++g) {
        if (s.bins[g] == 0)
            continue;
        s.min = std::min(s.min, g);
        s.max = std::max(s.max, g);
        sum += s.bins[g] * uint64_t(g);
        count += s.bins[g];
    }
    if (count > 0)
        s.average = int(sum / uint64_t(s.width) / uint64_t(s.height));
}

}  // namespace

int logicalDepth(const QImage& image) {
    if (image.isNull())
        return 0;
    if (image.format() == QImage::Format_Indexed8 || image.format() == QImage::Format_Grayscale8)
        return 8;
    return 24;
}

GrayStatistics compute(const QImage& image) {
    GrayStatistics s;
    s.width = image.width();
    s.height = image.height();
    s.depth = logicalDepth(image);
    if (image.isNull())
        return s;
    switch (image.format()) {
        case QImage::Format_Indexed8:
        case QImage::Format_Grayscale8:
            countIndexed(image, s.bins);
            break;
        case QImage::Format_RGB32:
        case QImage::Format_ARGB32:
        case QImage::Format_ARGB32_Premultiplied:
            countRgb32(image, s.bins);
            break;
        case QImage::Format_RGB888:
            countRgb888(image, s.bins);
            break;
        default:
            countRgb32(image.convertToFormat(QImage::Format_RGB32), s.bins);
            break;
    }
    summarise(s);
    return s;
}

QPicture histogramPicture(const Bins& bins) {
    QPicture picture;
    picture.setBoundingRect(QRect(0, 0, 279, 220));
    QPainter painter(&picture);
    painter.drawLine(0, kBaseLine, 255, kBaseLine);
    painter.drawText(0, 218, QStringLiteral("0"));
    painter.drawText(255, 218, QStringLiteral("255"));
    uint64_t largest = 1;
    for (uint64_t n : bins)
        largest = std::max(largest, n);
    for (int i = 0; i < 256; ++i) {
        const double top = (1.0 - double(bins[i]) / double(largest)) * kBaseLine;
        painter.drawLine(QPointF(i, kBaseLine), QPointF(i, top));
    }
    return picture;
}

QImage magnifierCut(const QImage& image, int x, int y) {
    QImage cut(kCutSize, kCutSize, QImage::Format_RGB32);
    for (int j = 0; j < kCutSize; ++j) {
        for (int i = 0; i < kCutSize; ++i) {
            const QPoint source(x - kCentre + i, y - kCentre + j);
            cut.setPixel(i, j, image.valid(source) ? image.pixel(source) : qRgb(0, 0, 0));
        }
    }
    return cut;
}

QPicture magnifierPicture(const QImage& image, int x, int y) {
    const QImage cut = magnifierCut(image, x, y);
    const QImage large =
        cut.scaled(kMagnifiedSize, kMagnifiedSize, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    const int centreGray = image.valid(x, y) ? gray(image.pixel(x, y)) : 0;
    QPicture picture;
    QPainter painter(&picture);
    painter.drawImage(QRect(0, 0, kMagnifiedSize, kMagnifiedSize), large);
    painter.setPen(centreGray < kDarkGray ? Qt::white : Qt::black);
    painter.drawRect(40, 40, 10, 10);
    return picture;
}

}  // namespace GrayLevels
