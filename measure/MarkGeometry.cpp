// SPDX-License-Identifier: MIT
// The plane geometry the marks measure with: circles, angles, polygon areas, hit bands.
#include "MarkGeometry.h"

#include <QLineF>
#include <algorithm>
#include <cmath>

namespace MarkGeometry {

namespace {
constexpr double kPi = 3.1415926535898;
constexpr double kHitTolerance = 1.1;
}  // namespace

std::optional<Circle> circleThrough(QPointF p1, QPointF p2, QPointF p3) {
    // Relative to p1, the centre c solves 2 c.(pk - p1) = |pk - p1|^2 for k = 2, 3.
    const double bx = p2.x() - p1.x(), by = p2.y() - p1.y();
    const double cx = p3.x() - p1.x(), cy = p3.y() - p1.y();
    const double d = 2.0 * (bx * cy - by * cx);
    const double scale = (std::fabs(bx) + std::fabs(by)) * (std::fabs(cx) + std::fabs(cy));
    // Collinear (or coincident) points: the bisectors are parallel.
    if (scale == 0 || std::fabs(d) <= 1e-12 * scale)
        return std::nullopt;
    const double b2 = bx * bx + by * by, c2 = cx * cx + cy * cy;
    const double ux = (cy * b2 - by * c2) / d;
    const double uy = (bx * c2 - cx * b2) / d;
    Circle circle{QPointF(p1.x() + ux, p1.y() + uy), std::sqrt(ux * ux + uy * uy)};
    if (!std::isfinite(circle.centre.x()) || !std::isfinite(circle.centre.y()) ||
        !std::isfinite(circle.radius))
        return std::nullopt;
    return circle;
}

std::optional<double> angleAt(QPointF a, QPointF b, QPointF c) {
    const float ab = static_cast<float>(QLineF(a, b).length());
    const float ac = static_cast<float>(QLineF(a, c).length());
    const float bc = static_cast<float>(QLineF(b, c).length());
    if (!(ab > 0.0f) || !(ac > 0.0f))
        return std::nullopt;
    // Rounding can push the cosine of a straight or null angle just past +-1.
    const float cosine = std::clamp((ac * ac + ab * ab - bc * bc) / (2.0f * ab * ac), -1.0f, 1.0f);
    const float radians = std::acos(cosine);
    return static_cast<double>(radians) * 180.0 / kPi;
}

double fanArea(const QPointF* v, int count) {
    double sum = 0;
    for (int i = 1; i + 1 < count; ++i) {
        sum += 0.5 * ((v[0].x() - v[i + 1].x()) * (v[i].y() - v[i + 1].y()) -
                      (v[i].x() - v[i + 1].x()) * (v[0].y() - v[i + 1].y()));
    }
    return std::fabs(sum);
}

bool nearSegment(QPointF a, QPointF b, QPointF p) {
    const double ab = QLineF(a, b).length();
    const double ap = QLineF(a, p).length();
    const double pb = QLineF(p, b).length();
    return std::fabs(ab - ap - pb) < kHitTolerance;
}

int trunc(double value) {
    if (!std::isfinite(value))
        return 0;
    return static_cast<int>(std::clamp(std::trunc(value), -2.0e9, 2.0e9));
}

}  // namespace MarkGeometry
