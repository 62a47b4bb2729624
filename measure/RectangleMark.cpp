// SPDX-License-Identifier: MIT
// An axis-aligned rectangle between two clicked corners: width, height and area.
#include "RectangleMark.h"

#include <QCoreApplication>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>
#include <cmath>
#include <memory>

#include "InteractiveScene.h"
#include "MarkGeometry.h"
#include "MarkRecord.h"

RectangleMark::RectangleMark(InteractiveScene* scene)
    : TwoPointMark(kRectangle, Qt::blue, QCoreApplication::translate("Mark", "Rectangle Mark"),
                   scene) {}

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

QString RectangleMark::toRecord() const {
    return twoPointRecord("Rectangle");
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

// A region picked for the settings dialog is no measurement.
void RectangleMark::completed() {
    if (!markScene()->drawRoiState())
        pushStatistics();
}

void RectangleMark::pushStatistics() const {
    const double f = factor();
    const double x1 = p1_.x() * f, y1 = p1_.y() * f, x2 = p2_.x() * f, y2 = p2_.y() * f;
    markScene()->pushStatistics(kRectangle, x1, y1, x2, y2, std::fabs(x1 - x2), std::fabs(y1 - y2));
}

Mark* RectangleMark::fromRecord(const MarkRecord& record, InteractiveScene* scene) {
    auto mark = std::make_unique<RectangleMark>(scene);
    return mark->takeRecord(record, "Rectangle") ? mark.release() : nullptr;
}
