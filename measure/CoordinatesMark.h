// SPDX-License-Identifier: MIT
// A cross-hair through the whole picture at a clicked point, labelled with its coordinates.
#pragma once

#include "Mark.h"

// Created by the scene as soon as its tool is chosen, so that the cross follows the mouse
// before the click that places it.
class CoordinatesMark : public Mark {
public:
    explicit CoordinatesMark(InteractiveScene* scene);

    QPointF point() const { return point_; }

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;
    QList<Label> labels() const override;
    bool addPoint(QGraphicsSceneMouseEvent* event) override;
    void trackMouse(QGraphicsSceneMouseEvent* event) override;
    QList<QRectF> trackingArea() const override;
    void translate(double dx, double dy) override;
    QString toRecord() const override;
    bool hitTest(QPointF p, double w, double h) const override;
    QList<QPointF> handlePoints(double w, double h) const override;
    std::optional<std::array<int, 4>> rowCoordinates() const override;
    void pushStatistics() const override;

    static Mark* fromRecord(const MarkRecord& record, InteractiveScene* scene);

private:
    QPointF point_;
};
