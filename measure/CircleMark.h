// SPDX-License-Identifier: MIT
// A circle through three clicked points: centre, radius and area.
#pragma once

#include "ThreePointMark.h"

class CircleMark : public ThreePointMark {
public:
    explicit CircleMark(InteractiveScene* scene);
    std::array<QPointF, 3> points() const { return {p1_, p2_, p3_}; }

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;
    QList<Label> labels() const override;
    QString toRecord() const override;
    bool hitTest(QPointF p, double w, double h) const override;
    QList<QPointF> handlePoints(double w, double h) const override;
    std::optional<std::array<int, 4>> rowCoordinates() const override;
    void pushStatistics() const override;

    static Mark* fromRecord(const MarkRecord& record, InteractiveScene* scene);

private:
    bool acceptsThirdPoint(QPointF at) const override;
};
