// SPDX-License-Identifier: MIT
// A polygon of up to 50 clicked vertices, closed with the middle button, and its area.
#pragma once

#include <array>

#include "Mark.h"

// Left clicks add vertices, the middle button adds the last one and closes the polygon; the
// 50th vertex closes it as well, since the array has no room for more. While drawing, the slot
// after the last vertex holds the mouse position for the rubber band.
class PolygonMark : public Mark {
public:
    static constexpr int kMaxVertices = 50;

    explicit PolygonMark(InteractiveScene* scene);

    int vertexCount() const { return count_; }
    QPointF vertex(int i) const { return vertices_[i]; }
    int state() const { return state_; }
    // Area in pixels squared.
    double pixelArea() const;

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;
    QList<Label> labels() const override;
    bool addPoint(QGraphicsSceneMouseEvent* event) override;
    void trackMouse(QGraphicsSceneMouseEvent* event) override;
    void translate(double dx, double dy) override;
    QString toRecord() const override;
    bool hitTest(QPointF p, double w, double h) const override;
    QList<QPointF> handlePoints(double w, double h) const override;
    std::optional<std::array<int, 4>> rowCoordinates() const override;
    void pushStatistics() const override;

    static Mark* fromRecord(const MarkRecord& record, InteractiveScene* scene);

private:
    void append(QPointF p);
    void close();

    std::array<QPointF, kMaxVertices> vertices_{};
    int count_ = 0;
    bool rubberBand_ = false;
    int state_ = 0;
};
