// SPDX-License-Identifier: MIT
// The scene item that shows the live picture, painting the frame's image as it is.
#pragma once

#include <QGraphicsObject>
#include <QImage>

// Behaves like a pixmap item at the scene origin, but keeps the frame's QImage: turning a
// large frame into a pixmap costs a conversion into a fresh block on every frame, while
// painting an RGB32 or grey image is cheap. Only the exposed part is drawn. Holding the image
// keeps its pool buffer alive until the next frame replaces it. A QGraphicsObject so that its
// owner notices when the scene deletes it (clearing a scene deletes every item).
class LiveImageItem : public QGraphicsObject {
    Q_OBJECT

public:
    explicit LiveImageItem(QGraphicsItem* parent = nullptr);

    void setImage(const QImage& image);
    const QImage& image() const { return image_; }

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    bool contains(const QPointF& point) const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

    enum { Type = UserType + 1 };
    int type() const override { return Type; }

private:
    QImage image_;
};
