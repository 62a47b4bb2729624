// SPDX-License-Identifier: MIT
// A distance between two clicked points, labelled with its calibrated length.
#include "LineMark.h"

#include <QCoreApplication>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>
#include <cmath>
#include <memory>

#include "InteractiveScene.h"
#include "MarkGeometry.h"
#include "MarkRecord.h"

LineMark::LineMark(InteractiveScene* scene)
    : TwoPointMark(kLine, Qt::cyan, QCoreApplication::translate("Mark", "Line Mark"), scene) {}

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

QString LineMark::toRecord() const {
    return twoPointRecord("Line");
}

bool LineMark::hitTest(QPointF p, double, double) const {
    return MarkGeometry::nearSegment(p1_, p2_, p);
}

QList<QPointF> LineMark::handlePoints(double, double) const {
    return {p1_, p2_, (p1_ + p2_) / 2};
}

void LineMark::pushStatistics() const {
    const double f = factor();
    const QPointF a = p1_ * f, b = p2_ * f;
    const double length = std::hypot(a.x() - b.x(), a.y() - b.y());
    markScene()->pushStatistics(kLine, a.x(), a.y(), b.x(), b.y(), length, 0);
}

Mark* LineMark::fromRecord(const MarkRecord& record, InteractiveScene* scene) {
    auto mark = std::make_unique<LineMark>(scene);
    return mark->takeRecord(record, "Line") ? mark.release() : nullptr;
}
