// SPDX-License-Identifier: MIT
// A circle through three clicked points: centre, radius and area.
#include "CircleMark.h"

#include <QCoreApplication>
#include <QLineF>
#include <QPainter>
#include <cmath>
#include <memory>

#include "InteractiveScene.h"
#include "MarkGeometry.h"
#include "MarkRecord.h"

namespace {
constexpr double kPi = 3.1415926;
}

CircleMark::CircleMark(InteractiveScene* scene)
    : ThreePointMark(kCircle, Qt::yellow, QCoreApplication::translate("Mark", "Circle Mark"),
                     scene) {}

QRectF CircleMark::boundingRect() const {
    const auto circle = state_ == 3 ? MarkGeometry::circleThrough(p1_, p2_, p3_) : std::nullopt;
    if (!circle)
        return boundsAround({p1_, p2_, p3_}, 4);
    const QPointF c = circle->centre, r(circle->radius, circle->radius);
    // Labels reach 150 screen pixels right of and 32 above the centre.
    return boundsAround({c - r, c + r}, 4).united(boundsAround({c}, 160));
}

void CircleMark::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
    using MarkGeometry::trunc;
    usePen(painter);
    if (state_ != 3) {
        painter->drawEllipse(QRect(trunc(p1_.x()), trunc(p1_.y()), 1, 1));
        painter->drawEllipse(QRect(trunc(p2_.x()), trunc(p2_.y()), 1, 1));
        return;
    }
    const std::optional<MarkGeometry::Circle> circle = MarkGeometry::circleThrough(p1_, p2_, p3_);
    if (!circle)
        return;
    const double cx = circle->centre.x(), cy = circle->centre.y(), r = circle->radius;
    painter->drawEllipse(QRect(trunc(cx - r), trunc(cy - r), trunc(2 * r), trunc(2 * r)));
    if (!showLabels())
        return;
    painter->drawLine(QPoint(trunc(cx), trunc(cy)), QPoint(trunc(cx + r), trunc(cy)));
    drawLabels(painter);
}

QList<Mark::Label> CircleMark::labels() const {
    const std::optional<MarkGeometry::Circle> circle = MarkGeometry::circleThrough(p1_, p2_, p3_);
    if (!showLabels() || state_ != 3 || !circle)
        return {};
    const double cx = circle->centre.x(), cy = circle->centre.y(), r = circle->radius;
    const double f = factor(), z = zoom();
    const double area = f * (r * r * kPi) * f;
    return {label(QPointF(cx * z, cy * z - 16), QPointF(cx * z + 150, cy * z - 32),
                  QStringLiteral(" O(%1,%2)[%3]").arg(fixed3(cx * f), fixed3(cy * f), unitText())),
            label(QPointF(cx * z + 10, cy * z), QPointF(cx * z + 120, cy * z + 20),
                  QStringLiteral(" R:%1[%2]").arg(fixed3(r * f), unitText())),
            label(QPointF(cx * z + 10, cy * z), QPointF(cx * z + 120, cy * z - 15),
                  QStringLiteral(" S:%1[%2]").arg(fixed3(area), areaUnitText()))};
}

// Three points on one line define no circle: the click is ignored and the operator may place
// the third point elsewhere.
bool CircleMark::acceptsThirdPoint(QPointF at) const {
    return MarkGeometry::circleThrough(p1_, p2_, at).has_value();
}

QString CircleMark::toRecord() const {
    return threePointRecord("Circle");
}

bool CircleMark::hitTest(QPointF p, double, double) const {
    const auto circle = MarkGeometry::circleThrough(p1_, p2_, p3_);
    return circle && std::fabs(QLineF(circle->centre, p).length() - circle->radius) < 1.0;
}

QList<QPointF> CircleMark::handlePoints(double, double) const {
    const auto circle = MarkGeometry::circleThrough(p1_, p2_, p3_);
    if (!circle)
        return {};
    const double cx = circle->centre.x(), cy = circle->centre.y(), r = circle->radius;
    return {QPointF(cx, cy - r), QPointF(cx + r, cy), QPointF(cx, cy + r), QPointF(cx - r, cy)};
}

std::optional<std::array<int, 4>> CircleMark::rowCoordinates() const {
    const auto circle = MarkGeometry::circleThrough(p1_, p2_, p3_);
    if (!circle)
        return std::nullopt;
    return std::array<int, 4>{MarkGeometry::trunc(circle->centre.x()),
                              MarkGeometry::trunc(circle->centre.y()), 0, 0};
}

void CircleMark::pushStatistics() const {
    const auto circle = MarkGeometry::circleThrough(p1_, p2_, p3_);
    if (!circle)
        return;
    const double f = factor();
    markScene()->pushStatistics(kCircle, circle->centre.x() * f, circle->centre.y() * f, 0, 0,
                                circle->radius * f, 0);
}

Mark* CircleMark::fromRecord(const MarkRecord& record, InteractiveScene* scene) {
    auto mark = std::make_unique<CircleMark>(scene);
    const auto definesCircle = [](QPointF p1, QPointF p2, QPointF p3) {
        return MarkGeometry::circleThrough(p1, p2, p3).has_value();
    };
    return mark->takeRecord(record, "Circle", definesCircle) ? mark.release() : nullptr;
}
