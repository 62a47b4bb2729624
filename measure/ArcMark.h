// SPDX-License-Identifier: MIT
// The angle between two rays from a clicked vertex, drawn with its arc.
#pragma once

#include <utility>

#include "ThreePointMark.h"

class ArcMark : public ThreePointMark {
public:
    explicit ArcMark(InteractiveScene* scene);
    QPointF vertex() const { return p1_; }
    QPointF end1() const { return p2_; }
    QPointF end2() const { return p3_; }
    // The arc as the painter takes it, in sixteenths of a degree (start, span).
    std::pair<int, int> arcAngles() const;

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;
    QList<Label> labels() const override;
    void trackMouse(QGraphicsSceneMouseEvent* event) override;
    QString toRecord() const override;
    bool hitTest(QPointF p, double w, double h) const override;
    QList<QPointF> handlePoints(double w, double h) const override;
    std::optional<std::array<int, 4>> rowCoordinates() const override;
    void pushStatistics() const override;

    static Mark* fromRecord(const MarkRecord& record, InteractiveScene* scene);

private:
    bool acceptsThirdPoint(QPointF at) const override;
};
