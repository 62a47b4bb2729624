// SPDX-License-Identifier: MIT
// A cross-hair through the whole picture at a clicked point, labelled with its coordinates.
#include "CoordinatesMark.h"

#include <QCoreApplication>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>

#include "InteractiveScene.h"
#include "MarkGeometry.h"
#include "MarkRecord.h"

CoordinatesMark::CoordinatesMark(InteractiveScene* scene)
    : Mark(kCoordinates, Qt::white, QCoreApplication::translate("Mark", "Coordinates"), scene) {}

QRectF CoordinatesMark::boundingRect() const {
    return wholeScene();
}

void CoordinatesMark::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
    using MarkGeometry::trunc;
    usePen(painter);
    const double x = point_.x(), y = point_.y();
    painter->drawRect(QRect(trunc(x - 10), trunc(y - 10), 20, 20));
    painter->drawLine(QPointF(x, 0), QPointF(x, sceneHeight()));
    painter->drawLine(QPointF(0, y), QPointF(sceneWidth(), y));
    drawLabels(painter);
}

QList<Mark::Label> CoordinatesMark::labels() const {
    if (!showLabels())
        return {};
    const double x = point_.x(), y = point_.y(), f = factor(), z = zoom();
    return {label(QPointF(x * z, y * z), QPointF(x * z + 150, y * z - 20),
                  QStringLiteral("(%1,%2)[%3]").arg(fixed3(x * f), fixed3(y * f), unitText()))};
}

bool CoordinatesMark::addPoint(QGraphicsSceneMouseEvent* event) {
    point_ = event->scenePos();
    pushStatistics();
    return true;
}

void CoordinatesMark::trackMouse(QGraphicsSceneMouseEvent* event) {
    point_ = event->scenePos();
}

QList<QRectF> CoordinatesMark::trackingArea() const {
    // Two strips along the hair lines (the square is 20 pixels wide) and the label box.
    const double x = point_.x(), y = point_.y(), z = zoom(), margin = 12 + width();
    return {QRectF(x - margin, 0, 2 * margin, sceneHeight()),
            QRectF(0, y - margin, sceneWidth(), 2 * margin),
            QRectF(x - 2, y - 20 / z - 2, 150 / z + 4, 20 / z + 4)};
}

void CoordinatesMark::translate(double dx, double dy) {
    point_ += QPointF(dx, dy);
}

QString CoordinatesMark::toRecord() const {
    return QStringLiteral("%1 %2 %3")
        .arg(recordHead("Coordinates"), MarkRecord::number(point_.x()),
             MarkRecord::number(point_.y()));
}

bool CoordinatesMark::hitTest(QPointF p, double w, double h) const {
    const double x = point_.x(), y = point_.y();
    return MarkGeometry::nearSegment(QPointF(0, y), QPointF(w, y), p) ||
           MarkGeometry::nearSegment(QPointF(x, 0), QPointF(x, h), p);
}

QList<QPointF> CoordinatesMark::handlePoints(double w, double h) const {
    const double x = point_.x(), y = point_.y();
    return {point_, QPointF(5, y), QPointF(w - 5, y), QPointF(x, 5), QPointF(x, h - 5)};
}

std::optional<std::array<int, 4>> CoordinatesMark::rowCoordinates() const {
    return std::array<int, 4>{MarkGeometry::trunc(point_.x()), MarkGeometry::trunc(point_.y()), 0,
                              0};
}

void CoordinatesMark::pushStatistics() const {
    const double f = factor();
    markScene()->pushStatistics(kCoordinates, point_.x() * f, point_.y() * f, 0, 0, 0, 0);
}

Mark* CoordinatesMark::fromRecord(const MarkRecord& record, InteractiveScene* scene) {
    if (record.keyword != QLatin1String("Coordinates") || record.pointCount() != 1)
        return nullptr;
    auto* mark = new CoordinatesMark(scene);
    mark->applyRecordCommon(record);
    mark->point_ = QPointF(record.x(0), record.y(0));
    return mark;
}
