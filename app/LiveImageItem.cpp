// SPDX-License-Identifier: MIT
// The scene item that shows the live picture, painting the frame's image as it is.
#include "LiveImageItem.h"

#include <QPainter>
#include <QStyleOptionGraphicsItem>

LiveImageItem::LiveImageItem(QGraphicsItem* parent) : QGraphicsObject(parent) {
    // exposedRect is filled in only with this flag; it limits drawing to what is redrawn.
    setFlag(ItemUsesExtendedStyleOption);
}

void LiveImageItem::setImage(const QImage& image) {
    if (image.size() != image_.size())
        prepareGeometryChange();
    image_ = image;
    update();
}

QRectF LiveImageItem::boundingRect() const {
    return QRectF(QPointF(0, 0), image_.size());
}

QPainterPath LiveImageItem::shape() const {
    QPainterPath path;
    path.addRect(boundingRect());
    return path;
}

bool LiveImageItem::contains(const QPointF& point) const {
    return boundingRect().contains(point);
}

void LiveImageItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
                          QWidget* /*widget*/) {
    if (image_.isNull())
        return;
    const QRectF exposed = option->exposedRect.intersected(boundingRect());
    if (exposed.isEmpty())
        return;
    // Whole pixels, so that the source and target rectangles scale alike.
    const QRect source = exposed.toAlignedRect().intersected(image_.rect());
    painter->drawImage(QRectF(source), image_, QRectF(source));
}
