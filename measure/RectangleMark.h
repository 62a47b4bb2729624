// SPDX-License-Identifier: MIT
// An axis-aligned rectangle between two clicked corners: width, height and area.
#pragma once

#include "Mark.h"

class RectangleMark : public Mark {
public:
    explicit RectangleMark(InteractiveScene* scene);
    QPointF p1() const { return p1_; }
    QPointF p2() const { return p2_; }
    int state() const { return state_; }

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
    QPointF p1_;
    QPointF p2_;
    int state_ = 0;
};
