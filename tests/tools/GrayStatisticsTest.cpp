// SPDX-License-Identifier: MIT
// Gray levels, histogram figures in every picture layout, and the magnifier's cut.
#include <gtest/gtest.h>

#include <QImage>
#include <QRandomGenerator>

#include "GrayStatistics.h"

namespace {

QList<QRgb> grayTable() {
    QList<QRgb> table;
    for (int i = 0; i < 256; ++i)
        table << qRgb(i, i, i);
    return table;
}

QImage indexedFilled(int w, int h, uchar value) {
    QImage image(w, h, QImage::Format_Indexed8);
    image.setColorTable(grayTable());
    image.fill(value);
    return image;
}

// The straightforward walk: column by column through QImage::pixel.
GrayStatistics columnWalk(const QImage& image) {
    GrayStatistics s;
    s.width = image.width();
    s.height = image.height();
    uint64_t sum = 0;
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            const int g = GrayLevels::gray(image.pixel(x, y));
            s.max = std::max(s.max, g);
            s.min = std::min(s.min, g);
            s.bins[g] += 1;
            sum += g;
        }
    }
    s.average = int(sum / uint64_t(s.width) / uint64_t(s.height));
    return s;
}

QImage noise(int w, int h, QImage::Format format, quint32 seed) {
    QRandomGenerator random(seed);
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y,
                           qRgb(random.bounded(256), random.bounded(256), random.bounded(256)));
    if (format == QImage::Format_Indexed8) {
        QImage indexed(w, h, QImage::Format_Indexed8);
        indexed.setColorTable(grayTable());
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                indexed.setPixel(x, y, uint(random.bounded(256)));
        return indexed;
    }
    return image.convertToFormat(format);
}

TEST(GrayLevels, WeightsFavourGreenAndTruncate) {
    EXPECT_EQ(GrayLevels::gray(qRgb(255, 0, 0)), 87);
    EXPECT_EQ(GrayLevels::gray(qRgb(0, 255, 0)), 127);
    EXPECT_EQ(GrayLevels::gray(qRgb(0, 0, 255)), 39);
    EXPECT_EQ(GrayLevels::gray(qRgb(200, 200, 200)), 200);
    EXPECT_EQ(GrayLevels::gray(qRgb(255, 255, 255)), 255);
}

TEST(GrayStatistics, UniformPictureGivesOneFullBar) {
    for (const QImage& image : {indexedFilled(64, 48, 128), QImage(64, 48, QImage::Format_RGB32)}) {
        QImage picture = image;
        if (picture.format() == QImage::Format_RGB32)
            picture.fill(qRgb(128, 128, 128));
        const GrayStatistics s = GrayLevels::compute(picture);
        EXPECT_EQ(s.max, 128);
        EXPECT_EQ(s.min, 128);
        EXPECT_EQ(s.average, 128);
        EXPECT_EQ(s.bins[128], uint64_t(64 * 48));
        EXPECT_EQ(s.bins[127] + s.bins[129], 0u);
    }
}

// Odd widths leave a tail after the four-at-a-time loop; more than 256 rows pass the partial
// counters' flush.
TEST(GrayStatistics, EveryLayoutMatchesTheColumnWalk) {
    for (QImage::Format format :
         {QImage::Format_RGB32, QImage::Format_RGB888, QImage::Format_Indexed8,
          QImage::Format_Grayscale8, QImage::Format_RGB16}) {
        const QImage image = noise(37, 301, format, 7 + uint(format));
        const GrayStatistics fast = GrayLevels::compute(image);
        const GrayStatistics slow = columnWalk(image);
        EXPECT_EQ(fast.bins, slow.bins) << "format " << format;
        EXPECT_EQ(fast.max, slow.max);
        EXPECT_EQ(fast.min, slow.min);
        EXPECT_EQ(fast.average, slow.average);
    }
}

TEST(GrayStatistics, DepthIsTheLogicalOneNotTheStorage) {
    EXPECT_EQ(GrayLevels::compute(indexedFilled(4, 4, 1)).depth, 8);
    EXPECT_EQ(GrayLevels::compute(QImage(4, 4, QImage::Format_RGB32)).depth, 24);
    EXPECT_EQ(GrayLevels::compute(QImage(4, 4, QImage::Format_RGB888)).depth, 24);
    EXPECT_EQ(GrayLevels::compute(QImage()).depth, 0);
}

TEST(GrayStatistics, IndexBeyondAShortTableCountsAsBlack) {
    QImage image(2, 1, QImage::Format_Indexed8);
    image.setColorTable({qRgb(100, 100, 100)});
    // Written past QImage::setPixel, which refuses indices beyond the table.
    image.scanLine(0)[0] = 0;
    image.scanLine(0)[1] = 9;
    const GrayStatistics s = GrayLevels::compute(image);
    EXPECT_EQ(s.bins[100], 1u);
    EXPECT_EQ(s.bins[0], 1u);
    EXPECT_EQ(s.min, 0);
}

TEST(Magnifier, CentresThePixelAndReadsBlackOutside) {
    QImage image(20, 20, QImage::Format_RGB32);
    image.fill(qRgb(200, 200, 200));
    image.setPixel(0, 0, qRgb(10, 20, 30));
    const QImage cut = GrayLevels::magnifierCut(image, 0, 0);
    EXPECT_EQ(cut.pixel(4, 4), qRgb(10, 20, 30));
    EXPECT_EQ(cut.pixel(3, 4), qRgb(0, 0, 0));
    EXPECT_EQ(cut.pixel(4, 3), qRgb(0, 0, 0));
    EXPECT_EQ(cut.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(cut.pixel(5, 5), qRgb(200, 200, 200));
    EXPECT_EQ(cut.pixel(9, 9), qRgb(200, 200, 200));
    EXPECT_EQ(GrayLevels::magnifierPicture(image, 0, 0).boundingRect(), QRect(0, 0, 100, 100));
}

}  // namespace
