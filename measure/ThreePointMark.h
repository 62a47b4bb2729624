// SPDX-License-Identifier: MIT
// A mark drawn by three clicks (arc, circle): its points, creation state, moves and record.
#pragma once

#include "Mark.h"

class ThreePointMark : public Mark {
public:
    using Mark::Mark;

    int state() const { return state_; }

    bool addPoint(QGraphicsSceneMouseEvent* event) override;
    void translate(double dx, double dy) override;

protected:
    // Whether a third click at `at` completes the mark; a refused click leaves it waiting.
    virtual bool acceptsThirdPoint(QPointF at) const = 0;
    QString threePointRecord(const char* keyword) const;
    // Takes a record's three points as a finished mark when `defines` accepts them; false for
    // another keyword, another number of points or points that define no such mark.
    bool takeRecord(const MarkRecord& record, const char* keyword,
                    bool (*defines)(QPointF, QPointF, QPointF));

    QPointF p1_;
    QPointF p2_;
    QPointF p3_;
    int state_ = 0;
};
