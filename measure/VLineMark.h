// SPDX-License-Identifier: MIT
// A vertical line through the whole picture at a clicked x, labelled with that x.
#pragma once

#include "Mark.h"

class VLineMark : public Mark {
public:
    explicit VLineMark(InteractiveScene* scene);

    QPointF point() const { return point_; }

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
    QPointF point_;  // both coordinates are kept and saved; only one places the line
};
