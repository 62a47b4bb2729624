// SPDX-License-Identifier: MIT
// A circle through three clicked points: centre, radius and area.
#pragma once

#include "Mark.h"

class CircleMark : public Mark {
public:
    explicit CircleMark(InteractiveScene* scene);
    std::array<QPointF, 3> points() const { return {p1_, p2_, p3_}; }
    int state() const { return state_; }

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;
    QList<Label> labels() const override;
    bool addPoint(QGraphicsSceneMouseEvent* event) override;
    void translate(double dx, double dy) override;
    QString toRecord() const override;
    bool hitTest(QPointF p, double w, double h) const override;
    QList<QPointF> handlePoints(double w, double h) const override;
    std::optional<std::array<int, 4>> rowCoordinates() const override;
    void pushStatistics() const override;

    static Mark* fromRecord(const MarkRecord& record, InteractiveScene* scene);

private:
    QPointF p1_;
    QPointF p2_;
    QPointF p3_;
    int state_ = 0;
};
