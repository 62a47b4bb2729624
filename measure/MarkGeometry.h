// SPDX-License-Identifier: MIT
// The plane geometry the marks measure with: circles, angles, polygon areas, hit bands.
#pragma once

#include <QPointF>
#include <optional>

namespace MarkGeometry {

struct Circle {
    QPointF centre;
    double radius = 0;
};

// The circle through three points, or nothing when they are collinear or two coincide.
// Solved as the intersection of two perpendicular bisectors in general form, so that a
// chord that happens to be horizontal (equal y) is no special case.
std::optional<Circle> circleThrough(QPointF p1, QPointF p2, QPointF p3);

// The angle at vertex a between the rays to b and c, in degrees (0 ... 180), computed by the
// law of cosines in single precision as the labels and table expect; nothing when a ray has no
// length.
std::optional<double> angleAt(QPointF a, QPointF b, QPointF c);

// Absolute area of the polygon by the fan rule around vertex 0; 0 below three vertices.
double fanArea(const QPointF* vertices, int count);

// Whether p lies in the band around segment ab in which a click selects it: the ellipse with
// foci a and b where the detour through p is shorter than 1.1 pixels.
bool nearSegment(QPointF a, QPointF b, QPointF p);

// Truncation toward zero, as the painter rectangles and statistics rewrites use it.
int trunc(double value);

}  // namespace MarkGeometry
