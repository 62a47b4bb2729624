// SPDX-License-Identifier: MIT
// The angle between two rays from a clicked vertex, drawn with its arc.
#include "ArcMark.h"

#include <QCoreApplication>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>

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
    : Mark(kArc, Qt::red, QCoreApplication::translate("Mark", "Arc Mark"), scene) {}

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

bool ArcMark::addPoint(QGraphicsSceneMouseEvent* event) {
    const QPointF at = event->scenePos();
    prepareGeometryChange();
    switch (state_) {
        case 0:
            p1_ = p2_ = p3_ = at;
            state_ = 1;
            return false;
        case 1:
            // A ray needs a length: a second click on the vertex is ignored.
            if (at != p1_) {
                p2_ = p3_ = at;
                state_ = 2;
            }
            return false;
        case 2:
            if (at == p1_)
                return false;
            p3_ = at;
            state_ = 3;
            pushStatistics();
            return true;
        default:
            return true;
    }
}

void ArcMark::trackMouse(QGraphicsSceneMouseEvent* event) {
    prepareGeometryChange();
    if (state_ == 1) {
        p2_ = p3_ = event->scenePos();
    } else if (state_ == 2) {
        p3_ = event->scenePos();
    }
}

void ArcMark::translate(double dx, double dy) {
    prepareGeometryChange();
    const QPointF d(dx, dy);
    p1_ += d;
    p2_ += d;
    p3_ += d;
}

QString ArcMark::toRecord() const {
    using N = MarkRecord;
    return QStringLiteral("%1 %2 %3 %4 %5 %6 %7")
        .arg(recordHead("Arc"), N::number(p1_.x()), N::number(p1_.y()), N::number(p2_.x()),
             N::number(p2_.y()), N::number(p3_.x()), N::number(p3_.y()));
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
    if (record.keyword != QLatin1String("Arc") || record.pointCount() != 3)
        return nullptr;
    const QPointF p1(record.x(0), record.y(0)), p2(record.x(1), record.y(1)),
        p3(record.x(2), record.y(2));
    if (!MarkGeometry::angleAt(p1, p2, p3))
        return nullptr;
    auto* mark = new ArcMark(scene);
    mark->applyRecordCommon(record);
    mark->p1_ = p1;
    mark->p2_ = p2;
    mark->p3_ = p3;
    mark->state_ = 3;
    return mark;
}
