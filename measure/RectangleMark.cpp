// SPDX-License-Identifier: MIT
// An axis-aligned rectangle between two clicked corners: width, height and area.
#include "RectangleMark.h"

#include <QCoreApplication>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>
#include <cmath>

#include "InteractiveScene.h"
#include "MarkGeometry.h"
#include "MarkRecord.h"

RectangleMark::RectangleMark(InteractiveScene* scene)
    : Mark(kRectangle, Qt::blue, QCoreApplication::translate("Mark", "Rectangle Mark"), scene) {}

QRectF RectangleMark::boundingRect() const {
    return boundsAround({p1_, p2_}, 160);
}

void RectangleMark::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
    usePen(painter);
    painter->drawRect(QRectF(p1_, p2_));
    drawLabels(painter);
}

QList<Mark::Label> RectangleMark::labels() const {
    if (!showLabels() || markScene()->roiPick())
        return {};
    const double f = factor(), z = zoom();
    const double w = std::fabs(p1_.x() - p2_.x()), h = std::fabs(p1_.y() - p2_.y());
    const double x = p1_.x() * z, y = p1_.y() * z;
    return {label(QPointF(x - 20, y - 20), QPointF(x + 150, y - 40),
                  QStringLiteral("W:%1 H:%2[%3]").arg(fixed3(w * f), fixed3(h * f), unitText())),
            label(QPointF(x - 5, y), QPointF(x + 100, y - 20),
                  QStringLiteral("S:%1[%2]").arg(fixed3(f * (w * h) * f), areaUnitText()))};
}

bool RectangleMark::addPoint(QGraphicsSceneMouseEvent* event) {
    const QPointF at = event->scenePos();
    if (state_ == 0) {
        prepareGeometryChange();
        p1_ = p2_ = at;
        state_ = 1;
        return false;
    }
    if (state_ == 1) {
        prepareGeometryChange();
        p2_ = at;
        state_ = 2;
        // A region picked for the settings dialog is no measurement.
        if (!markScene()->drawRoiState())
            pushStatistics();
    }
    return true;
}

void RectangleMark::trackMouse(QGraphicsSceneMouseEvent* event) {
    if (state_ == 1) {
        prepareGeometryChange();
        p2_ = event->scenePos();
    }
}

void RectangleMark::translate(double dx, double dy) {
    prepareGeometryChange();
    p1_ += QPointF(dx, dy);
    p2_ += QPointF(dx, dy);
}

QString RectangleMark::toRecord() const {
    return QStringLiteral("%1 %2 %3 %4 %5")
        .arg(recordHead("Rectangle"), MarkRecord::number(p1_.x()), MarkRecord::number(p1_.y()),
             MarkRecord::number(p2_.x()), MarkRecord::number(p2_.y()));
}

bool RectangleMark::hitTest(QPointF p, double, double) const {
    using MarkGeometry::nearSegment;
    const QPointF c2(p2_.x(), p1_.y()), c4(p1_.x(), p2_.y());
    return nearSegment(p1_, c2, p) || nearSegment(c2, p2_, p) || nearSegment(p2_, c4, p) ||
           nearSegment(c4, p1_, p);
}

QList<QPointF> RectangleMark::handlePoints(double, double) const {
    return {p1_, QPointF(p2_.x(), p1_.y()), p2_, QPointF(p1_.x(), p2_.y())};
}

std::optional<std::array<int, 4>> RectangleMark::rowCoordinates() const {
    using MarkGeometry::trunc;
    return std::array<int, 4>{trunc(p1_.x()), trunc(p1_.y()), trunc(p2_.x()), trunc(p2_.y())};
}

void RectangleMark::pushStatistics() const {
    const double f = factor();
    const double x1 = p1_.x() * f, y1 = p1_.y() * f, x2 = p2_.x() * f, y2 = p2_.y() * f;
    markScene()->pushStatistics(kRectangle, x1, y1, x2, y2, std::fabs(x1 - x2), std::fabs(y1 - y2));
}

Mark* RectangleMark::fromRecord(const MarkRecord& record, InteractiveScene* scene) {
    if (record.keyword != QLatin1String("Rectangle") || record.pointCount() != 2)
        return nullptr;
    auto* mark = new RectangleMark(scene);
    mark->applyRecordCommon(record);
    mark->p1_ = QPointF(record.x(0), record.y(0));
    mark->p2_ = QPointF(record.x(1), record.y(1));
    mark->state_ = 2;
    return mark;
}
