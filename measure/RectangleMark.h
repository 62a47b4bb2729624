// SPDX-License-Identifier: MIT
// An axis-aligned rectangle between two clicked corners: width, height and area.
#pragma once

#include "TwoPointMark.h"

class RectangleMark : public TwoPointMark {
public:
    explicit RectangleMark(InteractiveScene* scene);
    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;
    QList<Label> labels() const override;
    QString toRecord() const override;
    bool hitTest(QPointF p, double w, double h) const override;
    QList<QPointF> handlePoints(double w, double h) const override;
    void pushStatistics() const override;

    static Mark* fromRecord(const MarkRecord& record, InteractiveScene* scene);

protected:
    void completed() override;

private:
};
