// SPDX-License-Identifier: MIT
// Geometry the marks measure with and the mark-file record parser on good and hostile lines.
#include <gtest/gtest.h>

#include <QByteArray>
#include <cmath>
#include <random>

#include "MarkGeometry.h"
#include "MarkRecord.h"

namespace {

using MarkGeometry::circleThrough;

// The perpendicular-bisector slopes a hand calculation uses; defined unless a chord from
// p1 is horizontal.
QPointF slopeCentre(QPointF p1, QPointF p2, QPointF p3) {
    const double m1 = -(p3.x() - p1.x()) / (p3.y() - p1.y());
    const double m2 = -(p2.x() - p1.x()) / (p2.y() - p1.y());
    const QPointF m13 = (p3 + p1) / 2, m12 = (p2 + p1) / 2;
    const double cx = (m1 * m13.x() - m2 * m12.x() + m12.y() - m13.y()) / (m1 - m2);
    return QPointF(cx, m13.y() + m1 * (cx - m13.x()));
}

TEST(MarkGeometryTest, CircleThroughThreePoints) {
    const auto circle = circleThrough({0, 10}, {10, 0}, {-10, 0});
    ASSERT_TRUE(circle);
    EXPECT_NEAR(circle->centre.x(), 0, 1e-12);
    EXPECT_NEAR(circle->centre.y(), 0, 1e-12);
    EXPECT_NEAR(circle->radius, 10, 1e-12);
    // A horizontal chord from the first point is an ordinary circle here.
    const auto level = circleThrough({-10, 0}, {10, 0}, {0, 10});
    ASSERT_TRUE(level);
    EXPECT_NEAR(level->radius, 10, 1e-12);
    // No circle: collinear, coincident, nearly collinear far away.
    EXPECT_FALSE(circleThrough({0, 0}, {5, 5}, {10, 10}));
    EXPECT_FALSE(circleThrough({3, 4}, {3, 4}, {10, 1}));
    EXPECT_FALSE(circleThrough({1, 1}, {1, 1}, {1, 1}));
    EXPECT_FALSE(circleThrough({0, 0}, {1e6, 1e6}, {-1e6, -1e6}));

    // Wherever the slope form is defined, both agree.
    std::mt19937 random(7);
    std::uniform_real_distribution<double> coordinate(-3000, 3000);
    int compared = 0;
    for (int i = 0; i < 2000; ++i) {
        const QPointF p1(coordinate(random), coordinate(random)),
            p2(coordinate(random), coordinate(random)), p3(coordinate(random), coordinate(random));
        const auto general = circleThrough(p1, p2, p3);
        if (!general || general->radius > 1e5)
            continue;
        const QPointF reference = slopeCentre(p1, p2, p3);
        EXPECT_NEAR(general->centre.x(), reference.x(), 1e-6 * general->radius + 1e-6);
        EXPECT_NEAR(general->centre.y(), reference.y(), 1e-6 * general->radius + 1e-6);
        ++compared;
    }
    EXPECT_GT(compared, 1900);
}

TEST(MarkGeometryTest, AnglesAreasAndTheHitBand) {
    EXPECT_NEAR(*MarkGeometry::angleAt({100, 100}, {150, 150}, {150, 50}), 90, 1e-3);
    EXPECT_NEAR(*MarkGeometry::angleAt({0, 0}, {10, 0}, {-10, 0}), 180, 1e-3);
    EXPECT_NEAR(*MarkGeometry::angleAt({0, 0}, {10, 0}, {20, 0}), 0, 1e-3);
    EXPECT_FALSE(MarkGeometry::angleAt({5, 5}, {5, 5}, {9, 9}));

    const QPointF triangle[] = {{0, 0}, {4, 0}, {0, 3}};
    EXPECT_DOUBLE_EQ(MarkGeometry::fanArea(triangle, 3), 6);
    const QPointF square[] = {{0, 0}, {0, 10}, {10, 10}, {10, 0}};  // clockwise
    EXPECT_DOUBLE_EQ(MarkGeometry::fanArea(square, 4), 100);
    EXPECT_DOUBLE_EQ(MarkGeometry::fanArea(square, 2), 0);

    using MarkGeometry::nearSegment;
    EXPECT_TRUE(nearSegment({0, 0}, {100, 0}, {37, 0}));
    EXPECT_TRUE(nearSegment({0, 0}, {100, 0}, {50, 7}));
    EXPECT_FALSE(nearSegment({0, 0}, {100, 0}, {50, 8}));
    EXPECT_FALSE(nearSegment({0, 0}, {100, 0}, {102, 0}));  // beyond the end

    EXPECT_EQ(MarkGeometry::trunc(-3.7), -3);
    EXPECT_EQ(MarkGeometry::trunc(std::nan("")), 0);
}

TEST(MarkRecordTest, ReadsEveryRecordAMarkWrites) {
    auto line = MarkRecord::parse("Line #00ffff 1 1 | 10 20 30.5 40\r\n");
    ASSERT_TRUE(line);
    EXPECT_EQ(line->keyword, "Line");
    EXPECT_EQ(line->colourName, "#00ffff");
    EXPECT_EQ(line->width, 1);
    EXPECT_TRUE(line->show);
    EXPECT_EQ(line->coordinates, QVector<double>({10, 20, 30.5, 40}));

    auto polygon = MarkRecord::parse("Polygon #ffff00 1 1 3 | 0 0 4 0 0 3 ");
    ASSERT_TRUE(polygon);
    EXPECT_EQ(polygon->pointCount(), 3);
    // Extra blanks and a hidden mark; fields that are not numbers read as 0.
    auto hlines = MarkRecord::parse("HLine   #00ff00  7 0 |  abc  12.5\n");
    ASSERT_TRUE(hlines);
    EXPECT_EQ(hlines->width, 7);
    EXPECT_FALSE(hlines->show);
    EXPECT_EQ(hlines->coordinates, QVector<double>({0, 12.5}));
    EXPECT_EQ(MarkRecord::number(123.456789), "123.457");
}

TEST(MarkRecordTest, RefusesEveryMalformedLineWhole) {
    const QByteArray longLine = "Line #00ffff 1 1 | 1 2 3 4" + QByteArray(1 << 20, ' ');
    const char* const bad[] = {
        "",
        "Line",
        "Line #00ffff 1 1 | 10 20 30",          // one coordinate short
        "Circle #ffff00 1 1 | 1 2 3 4 5",       // likewise
        "Rectangle #0000ff 1 1",                // no geometry at all
        "Polygon #ffff00 1 1 51 | 0 0",         // more vertices than the array holds
        "Polygon #ffff00 1 1 4 | 0 0 4 0 0 3",  // more than the pairs present
        "Polygon #ffff00 1 1 -2 | 0 0 4 0 0 3",
        "Polygon #ffff00 1 1 1 | 0 0",  // one vertex is no polygon
        "Line #00ffff 1 1 | nan 20 30 40",
        "Line #00ffff 1 1 | 10 inf 30 40",
        "Line #00ffff 1 1 | 10 20 1e308 40",
        "Line #00ffff 99999999 1 | 10 20 30 40",  // a pen no one can draw with
        "Line #00ffff -3 1 | 10 20 30 40",
        "Line #nothex 1 1 | 10 20 30 40",
        "Line notacolour 1 1 | 10 20 30 40",
        "Triangle #00ffff 1 1 | 10 20 30 40",
        "line #00ffff 1 1 | 10 20 30 40",  // keywords are exact
    };
    for (const char* text : bad)
        EXPECT_FALSE(MarkRecord::parse(text)) << text;
    EXPECT_FALSE(MarkRecord::parse(longLine));
    const QByteArray garbage("\x00\xff\x01Line\x00 #00ffff | \x80\x81", 20);
    EXPECT_FALSE(MarkRecord::parse(garbage));
}

TEST(MarkRecordTest, FileContentKeepsTheGoodLinesWhateverTheLineEnds) {
    const QByteArray content =
        "VLine #00ff00 1 1 | 5 6\r\n"
        "Sphere #00ff00 1 1 | 5 6\r\n"
        "\r\n"
        "Line #00ffff 1 1 | 10 20\n"  // truncated
        "HLine #00ff00 1 1 | 5 6";    // no line end at all
    int skipped = -1;
    const QList<MarkRecord> records = MarkRecord::parseLines(content, &skipped);
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0].keyword, "VLine");
    EXPECT_EQ(records[1].keyword, "HLine");
    EXPECT_EQ(skipped, 2);

    QByteArray many;
    for (int i = 0; i < MarkRecord::kMaxRecords + 10; ++i)
        many += "VLine #00ff00 1 1 | 5 6\n";
    EXPECT_EQ(MarkRecord::parseLines(many).size(), MarkRecord::kMaxRecords);
}

}  // namespace
