// SPDX-License-Identifier: MIT
// A polygon of up to 50 clicked vertices, closed with the middle button, and its area.
#include "PolygonMark.h"

#include <QCoreApplication>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>
#include <algorithm>

#include "InteractiveScene.h"
#include "MarkGeometry.h"
#include "MarkRecord.h"

PolygonMark::PolygonMark(InteractiveScene* scene)
    : Mark(kPolygon, Qt::yellow, QCoreApplication::translate("Mark", "Polygon Mark"), scene) {
    setAcceptedMouseButtons(Qt::LeftButton | Qt::MiddleButton);
}

double PolygonMark::pixelArea() const {
    return MarkGeometry::fanArea(vertices_.data(), count_);
}

QRectF PolygonMark::boundingRect() const {
    if (count_ == 0)
        return QRectF();
    // The vertices, the rubber band's end, and the area label 70 screen pixels beside one.
    const int used = std::min(count_ + (rubberBand_ ? 1 : 0), kMaxVertices);
    QRectF box(vertices_[0], QSizeF(0, 0));
    for (int i = 1; i < used; ++i)
        box = box.united(QRectF(vertices_[i], QSizeF(0, 0)));
    const double margin = 80 / zoom() + width();
    return box.adjusted(-margin, -margin, margin, margin);
}

void PolygonMark::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
    usePen(painter);
    for (int i = 0; i + 1 < count_; ++i)
        painter->drawLine(vertices_[i], vertices_[i + 1]);
    if (rubberBand_ && count_ > 0 && count_ < kMaxVertices)
        painter->drawLine(vertices_[count_ - 1], vertices_[count_]);
    if (state_ != 2 || count_ == 0)
        return;
    painter->drawLine(vertices_[count_ - 1], vertices_[0]);
    drawLabels(painter);
}

QList<Mark::Label> PolygonMark::labels() const {
    if (!showLabels() || state_ != 2 || count_ == 0)
        return {};
    int minIndex = 0, maxIndex = 0;
    for (int i = 1; i < count_; ++i) {
        if (vertices_[i].x() < vertices_[minIndex].x())
            minIndex = i;
        if (vertices_[i].x() > vertices_[maxIndex].x())
            maxIndex = i;
    }
    const bool nearRight = vertices_[maxIndex].x() > MarkGeometry::trunc(sceneWidth()) - 150;
    const QPointF anchor = vertices_[nearRight ? minIndex : maxIndex] * zoom();
    const double f = factor();
    return {label(anchor + QPointF(-50, 0), anchor + QPointF(70, 20),
                  QStringLiteral("S:%1[%2]").arg(fixed3(pixelArea() * f * f), areaUnitText()))};
}

void PolygonMark::append(QPointF p) {
    if (count_ < kMaxVertices)
        vertices_[count_++] = p;
}

void PolygonMark::close() {
    state_ = 2;
    pushStatistics();
}

bool PolygonMark::addPoint(QGraphicsSceneMouseEvent* event) {
    prepareGeometryChange();
    rubberBand_ = false;
    if (state_ == 2)
        return true;
    if (event->button() != Qt::MiddleButton) {
        append(event->scenePos());
        state_ = 1;
        // The array is full: the last vertex the operator can place closes the polygon.
        if (count_ == kMaxVertices) {
            close();
            return true;
        }
        return false;
    }
    if (state_ != 1)
        return false;
    append(event->scenePos());
    close();
    return true;
}

void PolygonMark::trackMouse(QGraphicsSceneMouseEvent* event) {
    prepareGeometryChange();
    if (state_ == 1 && count_ < kMaxVertices) {
        vertices_[count_] = event->scenePos();
        rubberBand_ = true;
    }
}

void PolygonMark::translate(double dx, double dy) {
    prepareGeometryChange();
    for (int i = 0; i < count_; ++i)
        vertices_[i] += QPointF(dx, dy);
}

QString PolygonMark::toRecord() const {
    QString record = QStringLiteral("Polygon %1 %2 %3 %4 | ")
                         .arg(colour().name())
                         .arg(width())
                         .arg(showLabels() ? 1 : 0)
                         .arg(count_);
    for (int i = 0; i < count_; ++i) {
        record += MarkRecord::number(vertices_[i].x()) + QLatin1Char(' ') +
                  MarkRecord::number(vertices_[i].y()) + QLatin1Char(' ');
    }
    return record;
}

bool PolygonMark::hitTest(QPointF p, double, double) const {
    for (int i = 0; i + 1 < count_; ++i) {
        if (MarkGeometry::nearSegment(vertices_[i], vertices_[i + 1], p))
            return true;
    }
    return count_ > 0 && MarkGeometry::nearSegment(vertices_[count_ - 1], vertices_[0], p);
}

QList<QPointF> PolygonMark::handlePoints(double, double) const {
    return QList<QPointF>(vertices_.begin(), vertices_.begin() + count_);
}

std::optional<std::array<int, 4>> PolygonMark::rowCoordinates() const {
    return std::nullopt;
}

void PolygonMark::pushStatistics() const {
    const double f = factor();
    markScene()->pushStatistics(kPolygon, 0, 0, 0, 0, 0, pixelArea() * f * f);
}

Mark* PolygonMark::fromRecord(const MarkRecord& record, InteractiveScene* scene) {
    const int n = record.pointCount();
    if (record.keyword != QLatin1String("Polygon") || n < 2 || n > kMaxVertices)
        return nullptr;
    auto* mark = new PolygonMark(scene);
    mark->applyRecordCommon(record);
    for (int i = 0; i < n; ++i)
        mark->append(QPointF(record.x(i), record.y(i)));
    mark->state_ = 2;
    return mark;
}
