// SPDX-License-Identifier: MIT
// Auto Find's candidate rules, its 100-slot cut and sort, the list, and the sensor mapping.
#include <gtest/gtest.h>

#include <QImage>
#include <QRandomGenerator>
#include <set>

#include "DeadPixelFinder.h"
#include "DeadPixelList.h"
#include "SensorGeometry.h"

namespace {

QImage grayPicture(int w, int h, int level) {
    QImage image(w, h, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int i = 0; i < 256; ++i)
        table << qRgb(i, i, i);
    image.setColorTable(table);
    image.fill(uint(level));
    return image;
}

std::set<std::pair<int, int>> positions(const DeadPixelList& list) {
    std::set<std::pair<int, int>> out;
    for (int i = 0; i < list.count(); ++i)
        out.insert({list.at(i).x, list.at(i).y});
    return out;
}

TEST(DeadPixelFinder, FindsStuckPixelsOfAGreyPictureBrightestFirst) {
    QImage image = grayPicture(64, 48, 40);
    const std::set<std::pair<int, int>> stuck{{0, 0}, {63, 47}, {10, 20}, {11, 20}, {30, 5}};
    for (auto [x, y] : stuck)
        image.setPixel(x, y, 255);
    image.setPixel(50, 40, 75);  // at the threshold: a candidate
    image.setPixel(51, 40, 74);  // below it: not one
    DeadPixelList list;
    DeadPixelFinder::find(image, 75, list);
    ASSERT_EQ(list.count(), 6);
    std::set<std::pair<int, int>> expected = stuck;
    expected.insert({50, 40});
    EXPECT_EQ(positions(list), expected);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(list.at(i).brightness, 255);
    EXPECT_EQ(list.at(5).x, 50);
    EXPECT_EQ(list.at(5).brightness, 75);
}

TEST(DeadPixelFinder, ColourPixelMustOutshineEachNeighbour) {
    QImage image(9, 9, QImage::Format_RGB32);
    image.fill(qRgb(10, 10, 10));
    image.setPixel(4, 4, qRgb(250, 0, 0));  // alone: found
    image.setPixel(0, 8, qRgb(0, 0, 90));   // corner: the outside counts as 0
    image.setPixel(7, 1, qRgb(0, 200, 0));  // tied with a neighbour: not found
    image.setPixel(7, 2, qRgb(200, 0, 0));
    DeadPixelList list;
    DeadPixelFinder::find(image, 80, list);
    EXPECT_EQ(positions(list), (std::set<std::pair<int, int>>{{4, 4}, {0, 8}}));
    EXPECT_EQ(list.at(0).brightness, 250);
}

// More candidates than slots: the kept ones are the first in column order, whatever order the
// search reads the picture in.
TEST(DeadPixelFinder, KeepsTheFirstHundredInColumnOrder) {
    QImage image = grayPicture(40, 30, 0);
    QRandomGenerator random(3);
    std::vector<std::pair<int, int>> candidates;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) {
            if (random.bounded(4) == 0) {
                image.setPixel(x, y, uint(100 + random.bounded(150)));
                candidates.push_back({x, y});
            }
        }
    }
    ASSERT_GT(candidates.size(), 100u);
    std::sort(candidates.begin(), candidates.end());
    const std::set<std::pair<int, int>> first(candidates.begin(), candidates.begin() + 100);
    DeadPixelList list;
    DeadPixelFinder::find(image, 100, list);
    EXPECT_EQ(list.count(), DeadPixelList::kSlots);
    EXPECT_EQ(positions(list), first);
    for (int i = 1; i < list.count(); ++i)
        EXPECT_GE(list.at(i - 1).brightness, list.at(i).brightness);
}

TEST(DeadPixelList, HoldsAHundredAndExchangesInEntryOrder) {
    DeadPixelList list;
    for (int i = 0; i < DeadPixelList::kSlots; ++i)
        ASSERT_TRUE(list.append({i, 2 * i, 0}));
    EXPECT_FALSE(list.append({500, 500, 0}));
    EXPECT_EQ(list.count(), 100);
    EXPECT_FALSE(list.contains(500, 500));
    list.removeAt(0);
    list.removeAt(-1);
    list.removeAt(99);
    EXPECT_EQ(list.count(), 99);
    EXPECT_EQ(list.at(0).x, 1);
    const std::vector<unsigned int> buffer = list.exchangeBuffer();
    ASSERT_EQ(buffer.size(), 1u + 2 * 99);
    EXPECT_EQ(buffer[0], 99u);
    EXPECT_EQ(buffer[1], 1u);
    EXPECT_EQ(buffer[2], 2u);
    EXPECT_EQ(buffer[197], 99u);
    EXPECT_EQ(buffer[198], 198u);

    DeadPixelList empty;
    const std::vector<unsigned int> none = empty.exchangeBuffer();
    EXPECT_EQ(none.size(), size_t(DeadPixelList::kExchangeSize));
    EXPECT_EQ(none[0], 0u);
}

TEST(SensorGeometry, EveryOrientationRoundTripsAndStaysOnTheFrame) {
    const QSize sensor(7, 5);
    for (int bits = 0; bits < 8; ++bits) {
        const SensorGeometry g(sensor, bits & 1, bits & 2, bits & 4);
        const QSize shown = g.displaySize();
        EXPECT_EQ(shown, (bits & 4) ? QSize(5, 7) : QSize(7, 5));
        std::set<std::pair<int, int>> seen;
        for (int y = 0; y < sensor.height(); ++y) {
            for (int x = 0; x < sensor.width(); ++x) {
                const QPoint d = g.toDisplay({x, y});
                EXPECT_TRUE(QRect(QPoint(0, 0), shown).contains(d)) << bits;
                EXPECT_EQ(g.toSensor(d), QPoint(x, y)) << bits;
                seen.insert({d.x(), d.y()});
            }
        }
        EXPECT_EQ(seen.size(), size_t(35)) << "not one to one: " << bits;
        EXPECT_TRUE(g.fits(shown));
        EXPECT_FALSE(g.fits(shown / 2));
    }
    // A quarter turn clockwise puts the sensor's top-left at the top-right.
    EXPECT_EQ(SensorGeometry(sensor, false, false, true).toDisplay({0, 0}), QPoint(4, 0));
    EXPECT_EQ(SensorGeometry(sensor, true, false, false).toDisplay({0, 0}), QPoint(6, 0));
}

}  // namespace
