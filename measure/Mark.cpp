// SPDX-License-Identifier: MIT
// The base of every measurement drawn over the picture: pen, labels, and the mark protocol.
#include "Mark.h"

#include <QPainter>
#include <QPen>

#include "ArcMark.h"
#include "CircleMark.h"
#include "CoordinatesMark.h"
#include "HLineMark.h"
#include "InteractiveScene.h"
#include "LineMark.h"
#include "MarkRecord.h"
#include "PolygonMark.h"
#include "RectangleMark.h"
#include "VLineMark.h"

Mark::Mark(int markType, const QColor& colour, const QString& toolTip, InteractiveScene* scene)
    : markType_(markType), colour_(colour), scene_(scene) {
    setAcceptedMouseButtons(Qt::LeftButton);
    setAcceptHoverEvents(true);
    setToolTip(toolTip);
    setZValue(InteractiveScene::kMarkZ);
}

void Mark::trackMouse(QGraphicsSceneMouseEvent* /*event*/) {}

Mark* Mark::fromRecord(const MarkRecord& record, InteractiveScene* scene) {
    using Factory = Mark* (*)(const MarkRecord&, InteractiveScene*);
    static const Factory factories[] = {
        &HLineMark::fromRecord,       &VLineMark::fromRecord,     &LineMark::fromRecord,
        &ArcMark::fromRecord,         &RectangleMark::fromRecord, &CircleMark::fromRecord,
        &CoordinatesMark::fromRecord, &PolygonMark::fromRecord,
    };
    for (Factory factory : factories) {
        if (Mark* mark = factory(record, scene))
            return mark;
    }
    return nullptr;
}

double Mark::factor() const {
    return scene_->calibrationFactor();
}

double Mark::zoom() const {
    return scene_->zoomFactor();
}

double Mark::sceneWidth() const {
    return scene_->sceneRect().width();
}

double Mark::sceneHeight() const {
    return scene_->sceneRect().height();
}

QString Mark::unitText() const {
    return scene_->unitText();
}

QString Mark::areaUnitText() const {
    return scene_->areaUnitText();
}

QString Mark::fixed3(double value) {
    return QString::number(value, 'f', 3);
}

QString Mark::recordHead(const char* keyword) const {
    return QStringLiteral("%1 %2 %3 %4 |")
        .arg(QLatin1String(keyword), colour_.name())
        .arg(width_)
        .arg(show_ ? 1 : 0);
}

void Mark::applyRecordCommon(const MarkRecord& record) {
    colour_ = QColor(record.colourName);
    width_ = record.width;
    show_ = record.show;
}

void Mark::usePen(QPainter* painter) const {
    painter->setPen(QPen(colour_, width_));
    painter->setBrush(Qt::NoBrush);
}

Mark::Label Mark::label(QPointF corner1, QPointF corner2, const QString& text, int flags) {
    return Label{QRectF(corner1, corner2).normalized(), text, flags};
}

void Mark::drawLabels(QPainter* painter) const {
    const QList<Label> texts = labels();
    if (texts.isEmpty())
        return;
    const double z = zoom();
    painter->save();
    painter->scale(1.0 / z, 1.0 / z);
    painter->setPen(QPen(colour_, 1));
    for (const Label& text : texts)
        painter->drawText(text.box, text.flags | Qt::TextDontClip, text.text);
    painter->restore();
}

QRectF Mark::boundsAround(std::initializer_list<QPointF> points, double labelPixels) const {
    QRectF box(*points.begin(), QSizeF(0, 0));
    for (const QPointF& p : points)
        box = box.united(QRectF(p, QSizeF(0, 0)));
    const double margin = labelPixels / zoom() + width_;
    return box.adjusted(-margin, -margin, margin, margin);
}

QRectF Mark::wholeScene() const {
    return scene_->sceneRect();
}
