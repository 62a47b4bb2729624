// SPDX-License-Identifier: MIT
// A horizontal line through the whole picture at a clicked y, labelled with that y.
#include "HLineMark.h"

#include <QCoreApplication>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>

#include "InteractiveScene.h"
#include "MarkGeometry.h"
#include "MarkRecord.h"

HLineMark::HLineMark(InteractiveScene* scene)
    : Mark(kHLine, Qt::green, QCoreApplication::translate("Mark", "Horizontal Line Mark"), scene) {}

QRectF HLineMark::boundingRect() const {
    const double margin = 10 + width();
    return QRectF(0, point_.y() - margin, sceneWidth(), 2 * margin + 20 / zoom());
}

void HLineMark::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
    usePen(painter);
    const double y = point_.y();
    painter->drawLine(QPointF(0, y), QPointF(sceneWidth(), y));
    drawLabels(painter);
}

QList<Mark::Label> HLineMark::labels() const {
    if (!showLabels())
        return {};
    const double y = point_.y(), z = zoom();
    return {label(QPointF(0, y * z), QPointF(70, y * z + 20),
                  QStringLiteral("%1[%2]").arg(fixed3(y * factor()), unitText()))};
}

bool HLineMark::addPoint(QGraphicsSceneMouseEvent* event) {
    prepareGeometryChange();
    point_ = event->scenePos();
    pushStatistics();
    return true;
}

void HLineMark::translate(double /*dx*/, double dy) {
    prepareGeometryChange();
    point_.ry() += dy;
}

QString HLineMark::toRecord() const {
    return QStringLiteral("%1 %2 %3")
        .arg(recordHead("HLine"), MarkRecord::number(point_.x()), MarkRecord::number(point_.y()));
}

bool HLineMark::hitTest(QPointF p, double w, double) const {
    return MarkGeometry::nearSegment(QPointF(0, point_.y()), QPointF(w, point_.y()), p);
}

QList<QPointF> HLineMark::handlePoints(double w, double) const {
    const double y = point_.y();
    return {QPointF(w / 2, y), QPointF(5, y), QPointF(w - 5, y)};
}

std::optional<std::array<int, 4>> HLineMark::rowCoordinates() const {
    return std::array<int, 4>{0, MarkGeometry::trunc(point_.y()), 0, 0};
}

void HLineMark::pushStatistics() const {
    const double f = factor();
    markScene()->pushStatistics(kHLine, point_.x() * f, point_.y() * f, 0, 0, point_.y() * f, 0);
}

Mark* HLineMark::fromRecord(const MarkRecord& record, InteractiveScene* scene) {
    if (record.keyword != QLatin1String("HLine") || record.pointCount() != 1)
        return nullptr;
    auto* mark = new HLineMark(scene);
    mark->applyRecordCommon(record);
    mark->point_ = QPointF(record.x(0), record.y(0));
    return mark;
}
