// SPDX-License-Identifier: MIT
// A distance between two clicked points, labelled with its calibrated length.
#pragma once

#include "TwoPointMark.h"

class LineMark : public TwoPointMark {
public:
    explicit LineMark(InteractiveScene* scene);

    // The pixel length computed by the last paint.
    double paintedLength() const { return length_; }

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;
    QList<Label> labels() const override;
    QString toRecord() const override;
    bool hitTest(QPointF p, double w, double h) const override;
    QList<QPointF> handlePoints(double w, double h) const override;
    void pushStatistics() const override;

    static Mark* fromRecord(const MarkRecord& record, InteractiveScene* scene);

private:
    double length_ = 0;
};
