// SPDX-License-Identifier: MIT
// A distance between two clicked points, labelled with its calibrated length.
#pragma once

#include "Mark.h"

class LineMark : public Mark {
public:
    explicit LineMark(InteractiveScene* scene);

    QPointF p1() const { return p1_; }
    QPointF p2() const { return p2_; }
    int state() const { return state_; }
    // The pixel length computed by the last paint.
    double paintedLength() const { return length_; }

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
    double length_ = 0;
    int state_ = 0;
};
