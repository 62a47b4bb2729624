// SPDX-License-Identifier: MIT
// A mark drawn by three clicks (arc, circle): its points, creation state, moves and record.
#include "ThreePointMark.h"

#include <QGraphicsSceneMouseEvent>

#include "InteractiveScene.h"
#include "MarkRecord.h"

bool ThreePointMark::addPoint(QGraphicsSceneMouseEvent* event) {
    const QPointF at = event->scenePos();
    prepareGeometryChange();
    switch (state_) {
        case 0:
            p1_ = p2_ = p3_ = at;
            state_ = 1;
            return false;
        case 1:
            // The second point needs a distance from the first: a repeated click is ignored.
            if (at != p1_) {
                p2_ = p3_ = at;
                state_ = 2;
            }
            return false;
        case 2:
            if (!acceptsThirdPoint(at))
                return false;
            p3_ = at;
            state_ = 3;
            pushStatistics();
            return true;
        default:
            return true;
    }
}

void ThreePointMark::translate(double dx, double dy) {
    prepareGeometryChange();
    const QPointF d(dx, dy);
    p1_ += d;
    p2_ += d;
    p3_ += d;
}

QString ThreePointMark::threePointRecord(const char* keyword) const {
    using N = MarkRecord;
    return QStringLiteral("%1 %2 %3 %4 %5 %6 %7")
        .arg(recordHead(keyword), N::number(p1_.x()), N::number(p1_.y()), N::number(p2_.x()),
             N::number(p2_.y()), N::number(p3_.x()), N::number(p3_.y()));
}

bool ThreePointMark::takeRecord(const MarkRecord& record, const char* keyword,
                                bool (*defines)(QPointF, QPointF, QPointF)) {
    if (record.keyword != QLatin1String(keyword) || record.pointCount() != 3)
        return false;
    const QPointF p1(record.x(0), record.y(0)), p2(record.x(1), record.y(1)),
        p3(record.x(2), record.y(2));
    if (!defines(p1, p2, p3))
        return false;
    applyRecordCommon(record);
    p1_ = p1;
    p2_ = p2;
    p3_ = p3;
    state_ = 3;
    return true;
}
