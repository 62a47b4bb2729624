// SPDX-License-Identifier: MIT
// A distance between two clicked points, labelled with its calibrated length.
#include "LineMark.h"

#include <QCoreApplication>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>
#include <cmath>

#include "InteractiveScene.h"
#include "MarkGeometry.h"
#include "MarkRecord.h"

LineMark::LineMark(InteractiveScene* scene)
    : Mark(kLine, Qt::cyan, QCoreApplication::translate("Mark", "Line Mark"), scene) {}

QRectF LineMark::boundingRect() const {
    return boundsAround({p1_, p2_}, 90);
}

void LineMark::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
    usePen(painter);
    painter->drawLine(p1_, p2_);
    const float dx = static_cast<float>(p1_.x() - p2_.x());
    const float dy = static_cast<float>(p1_.y() - p2_.y());
    length_ = std::sqrt(dy * dy + dx * dx);
    drawLabels(painter);
}

QList<Mark::Label> LineMark::labels() const {
    if (!showLabels())
        return {};
    const float dx = static_cast<float>(p1_.x() - p2_.x());
    const float dy = static_cast<float>(p1_.y() - p2_.y());
    const double length = std::sqrt(dy * dy + dx * dx);
    const double z = zoom();
    const double x = p2_.x(), y = p2_.y();
    QPointF c1(x * z - 40, y * z), c2(x * z + 40, y * z + 40);
    if (std::fabs(sceneWidth() - x) < 20) {
        c1 = QPointF(x * z - 80, y * z);
        c2 = QPointF(x * z, y * z + 40);
    } else if (std::fabs(sceneHeight() - y) < 20) {
        c1 = QPointF(x * z - 80, y * z);
        c2 = QPointF(x * z, y * z - 40);
    } else if (x < 40) {
        c1 = QPointF(x * z + 40, y * z);
        c2 = QPointF(x * z + 80, y * z + 40);
    }
    return {label(c1, c2, QStringLiteral("%1[%2]").arg(fixed3(factor() * length), unitText()))};
}

bool LineMark::addPoint(QGraphicsSceneMouseEvent* event) {
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
        pushStatistics();
    }
    return true;
}

void LineMark::trackMouse(QGraphicsSceneMouseEvent* event) {
    if (state_ == 1) {
        prepareGeometryChange();
        p2_ = event->scenePos();
    }
}

void LineMark::translate(double dx, double dy) {
    prepareGeometryChange();
    p1_ += QPointF(dx, dy);
    p2_ += QPointF(dx, dy);
}

QString LineMark::toRecord() const {
    return QStringLiteral("%1 %2 %3 %4 %5")
        .arg(recordHead("Line"), MarkRecord::number(p1_.x()), MarkRecord::number(p1_.y()),
             MarkRecord::number(p2_.x()), MarkRecord::number(p2_.y()));
}

bool LineMark::hitTest(QPointF p, double, double) const {
    return MarkGeometry::nearSegment(p1_, p2_, p);
}

QList<QPointF> LineMark::handlePoints(double, double) const {
    return {p1_, p2_, (p1_ + p2_) / 2};
}

std::optional<std::array<int, 4>> LineMark::rowCoordinates() const {
    using MarkGeometry::trunc;
    return std::array<int, 4>{trunc(p1_.x()), trunc(p1_.y()), trunc(p2_.x()), trunc(p2_.y())};
}

void LineMark::pushStatistics() const {
    const double f = factor();
    const QPointF a = p1_ * f, b = p2_ * f;
    const double length = std::hypot(a.x() - b.x(), a.y() - b.y());
    markScene()->pushStatistics(kLine, a.x(), a.y(), b.x(), b.y(), length, 0);
}

Mark* LineMark::fromRecord(const MarkRecord& record, InteractiveScene* scene) {
    if (record.keyword != QLatin1String("Line") || record.pointCount() != 2)
        return nullptr;
    auto* mark = new LineMark(scene);
    mark->applyRecordCommon(record);
    mark->p1_ = QPointF(record.x(0), record.y(0));
    mark->p2_ = QPointF(record.x(1), record.y(1));
    mark->state_ = 2;
    return mark;
}
