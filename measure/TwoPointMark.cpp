// SPDX-License-Identifier: MIT
// A mark drawn by two clicks (line, rectangle): its points, creation state, moves and record.
#include "TwoPointMark.h"

#include <QGraphicsSceneMouseEvent>

#include "MarkGeometry.h"
#include "MarkRecord.h"

bool TwoPointMark::addPoint(QGraphicsSceneMouseEvent* event) {
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
        completed();
    }
    return true;
}

void TwoPointMark::trackMouse(QGraphicsSceneMouseEvent* event) {
    if (state_ == 1) {
        prepareGeometryChange();
        p2_ = event->scenePos();
    }
}

void TwoPointMark::translate(double dx, double dy) {
    prepareGeometryChange();
    p1_ += QPointF(dx, dy);
    p2_ += QPointF(dx, dy);
}

std::optional<std::array<int, 4>> TwoPointMark::rowCoordinates() const {
    using MarkGeometry::trunc;
    return std::array<int, 4>{trunc(p1_.x()), trunc(p1_.y()), trunc(p2_.x()), trunc(p2_.y())};
}

QString TwoPointMark::twoPointRecord(const char* keyword) const {
    return QStringLiteral("%1 %2 %3 %4 %5")
        .arg(recordHead(keyword), MarkRecord::number(p1_.x()), MarkRecord::number(p1_.y()),
             MarkRecord::number(p2_.x()), MarkRecord::number(p2_.y()));
}

bool TwoPointMark::takeRecord(const MarkRecord& record, const char* keyword) {
    if (record.keyword != QLatin1String(keyword) || record.pointCount() != 2)
        return false;
    applyRecordCommon(record);
    p1_ = QPointF(record.x(0), record.y(0));
    p2_ = QPointF(record.x(1), record.y(1));
    state_ = 2;
    return true;
}
