// SPDX-License-Identifier: MIT
// A vertical line through the whole picture at a clicked x, labelled with that x.
#include "VLineMark.h"

#include <QCoreApplication>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>

#include "InteractiveScene.h"
#include "MarkGeometry.h"
#include "MarkRecord.h"

VLineMark::VLineMark(InteractiveScene* scene)
    : Mark(kVLine, Qt::green, QCoreApplication::translate("Mark", "Vertical Line Mark"), scene) {}

QRectF VLineMark::boundingRect() const {
    const double margin = 10 + width();
    return QRectF(point_.x() - margin, 0, 2 * margin + 80 / zoom(), sceneHeight());
}

void VLineMark::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
    usePen(painter);
    const double x = point_.x();
    painter->drawLine(QPointF(x, 0), QPointF(x, sceneHeight()));
    drawLabels(painter);
}

QList<Mark::Label> VLineMark::labels() const {
    if (!showLabels())
        return {};
    const double x = point_.x(), z = zoom();
    return {label(QPointF(x * z + 10, 0), QPointF(x * z + 80, 20),
                  QStringLiteral("%1[%2]").arg(fixed3(x * factor()), unitText()),
                  Qt::AlignLeft | Qt::AlignTop)};
}

bool VLineMark::addPoint(QGraphicsSceneMouseEvent* event) {
    prepareGeometryChange();
    point_ = event->scenePos();
    pushStatistics();
    return true;
}

void VLineMark::translate(double dx, double /*dy*/) {
    prepareGeometryChange();
    point_.rx() += dx;
}

QString VLineMark::toRecord() const {
    return QStringLiteral("%1 %2 %3")
        .arg(recordHead("VLine"), MarkRecord::number(point_.x()), MarkRecord::number(point_.y()));
}

bool VLineMark::hitTest(QPointF p, double, double h) const {
    return MarkGeometry::nearSegment(QPointF(point_.x(), 0), QPointF(point_.x(), h), p);
}

QList<QPointF> VLineMark::handlePoints(double, double h) const {
    const double x = point_.x();
    return {QPointF(x, h / 2), QPointF(x, 5), QPointF(x, h - 5)};
}

std::optional<std::array<int, 4>> VLineMark::rowCoordinates() const {
    return std::array<int, 4>{MarkGeometry::trunc(point_.x()), 0, 0, 0};
}

void VLineMark::pushStatistics() const {
    const double f = factor();
    markScene()->pushStatistics(kVLine, point_.x() * f, point_.y() * f, 0, 0, point_.x() * f, 0);
}

Mark* VLineMark::fromRecord(const MarkRecord& record, InteractiveScene* scene) {
    if (record.keyword != QLatin1String("VLine") || record.pointCount() != 1)
        return nullptr;
    auto* mark = new VLineMark(scene);
    mark->applyRecordCommon(record);
    mark->point_ = QPointF(record.x(0), record.y(0));
    return mark;
}
