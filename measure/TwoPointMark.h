// SPDX-License-Identifier: MIT
// A mark drawn by two clicks (line, rectangle): its points, creation state, moves and record.
#pragma once

#include "Mark.h"

class TwoPointMark : public Mark {
public:
    using Mark::Mark;

    QPointF p1() const { return p1_; }
    QPointF p2() const { return p2_; }
    int state() const { return state_; }

    bool addPoint(QGraphicsSceneMouseEvent* event) override;
    void trackMouse(QGraphicsSceneMouseEvent* event) override;
    void translate(double dx, double dy) override;
    std::optional<std::array<int, 4>> rowCoordinates() const override;

protected:
    // The second click completed the mark; by default its row goes to the table.
    virtual void completed() { pushStatistics(); }
    QString twoPointRecord(const char* keyword) const;
    // Takes a record's two points as a finished mark; false when it has another keyword or
    // another number of points.
    bool takeRecord(const MarkRecord& record, const char* keyword);

    QPointF p1_;
    QPointF p2_;
    int state_ = 0;
};
