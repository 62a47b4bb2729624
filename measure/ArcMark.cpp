// SPDX-License-Identifier: MIT
// The angle between two rays from a clicked vertex, drawn with its arc.
#include "ArcMark.h"

#include <QCoreApplication>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>
#include <memory>

#include "InteractiveScene.h"
#include "MarkGeometry.h"
#include "MarkRecord.h"

namespace {

// Direction of the ray from the vertex to p, counter-clockwise on screen from the +x axis.
double direction(QPointF vertex, QPointF p) {
    const double a = MarkGeometry::angleAt(vertex, vertex + QPointF(40, 0), p).value_or(0);
    return p.y() > vertex.y() ? 360 - a : a;
}

}  // namespace

ArcMark::ArcMark(InteractiveScene* scene)
    : ThreePointMark(kArc, Qt::red, QCoreApplication::translate("Mark", "Arc Mark"), scene) {}

QRectF ArcMark::boundingRect() const {
    // The arc's square reaches 20 pixels around the vertex; the label 70 screen pixels.
    return boundsAround({p1_, p2_, p3_}, 20 * zoom() + 80);
}

std::pair<int, int> ArcMark::arcAngles() const {
    const double a2 = direction(p1_, p2_), a3 = direction(p1_, p3_);
    const double x1 = p1_.x(), y1 = p1_.y();
    double start = a2 * 16, span = (a3 - a2) * 16;
    if (p2_.y() >= y1 && p3_.y() <= y1 && p3_.x() >= x1 && p2_.x() >= x1) {
        span = 5760 - (a2 - a3) * 16;
    } else if (p2_.y() <= y1 && p3_.y() >= y1 && p3_.x() >= x1 && p2_.x() >= x1) {
        start = a3 * 16;
        span = 5760 - (a3 - a2) * 16;
    }
    // The directions come from single-precision angles: a quarter turn may arrive as
    // 314.99999 degrees. A thousandth of a sixteenth absorbs that before truncating.
    const auto sixteenths = [](double value) {
        return MarkGeometry::trunc(value + (value >= 0 ? 1e-3 : -1e-3));
    };
    return {sixteenths(start), sixteenths(span)};
}

void ArcMark::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
    usePen(painter);
    painter->drawLine(p1_, p2_);
    if (state_ < 2)
        return;
    painter->drawLine(p1_, p3_);
    const auto [start, span] = arcAngles();
    using MarkGeometry::trunc;
    painter->drawArc(QRect(trunc(p1_.x() - 20), trunc(p1_.y() - 20), 40, 40), start, span);
    drawLabels(painter);
}

QList<Mark::Label> ArcMark::labels() const {
    const std::optional<double> angle = MarkGeometry::angleAt(p1_, p2_, p3_);
    if (!showLabels() || state_ < 2 || !angle)
        return {};
    // The label always shows the interior angle, the value the table holds.
    const double z = zoom();
    return {label(QPointF(p1_.x() * z + 20, p1_.y() * z),
                  QPointF(p1_.x() * z + 70, p1_.y() * z + 20),
                  QStringLiteral("%1'").arg(fixed3(*angle)))};
}

bool ArcMark::acceptsThirdPoint(QPointF at) const {
    return at != p1_;
}

void ArcMark::trackMouse(QGraphicsSceneMouseEvent* event) {
    prepareGeometryChange();
    if (state_ == 1) {
        p2_ = p3_ = event->scenePos();
    } else if (state_ == 2) {
        p3_ = event->scenePos();
    }
}

QString ArcMark::toRecord() const {
    return threePointRecord("Arc");
}

bool ArcMark::hitTest(QPointF p, double, double) const {
    return MarkGeometry::nearSegment(p1_, p2_, p) || MarkGeometry::nearSegment(p1_, p3_, p);
}

QList<QPointF> ArcMark::handlePoints(double, double) const {
    return {p1_, p2_, p3_};
}

std::optional<std::array<int, 4>> ArcMark::rowCoordinates() const {
    return std::array<int, 4>{MarkGeometry::trunc(p1_.x()), MarkGeometry::trunc(p1_.y()), 0, 0};
}

void ArcMark::pushStatistics() const {
    const double f = factor();
    const double angle = MarkGeometry::angleAt(p1_, p2_, p3_).value_or(0);
    markScene()->pushStatistics(kArc, p1_.x() * f, p1_.y() * f, 0, 0, angle, 0);
}

Mark* ArcMark::fromRecord(const MarkRecord& record, InteractiveScene* scene) {
    auto mark = std::make_unique<ArcMark>(scene);
    const auto definesAngle = [](QPointF p1, QPointF p2, QPointF p3) {
        return MarkGeometry::angleAt(p1, p2, p3).has_value();
    };
    return mark->takeRecord(record, "Arc", definesAngle) ? mark.release() : nullptr;
}
