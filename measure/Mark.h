// SPDX-License-Identifier: MIT
// The base of every measurement drawn over the picture: pen, labels, and the mark protocol.
#pragma once

#include <QColor>
#include <QGraphicsItem>
#include <QList>
#include <QPointF>
#include <QString>
#include <array>
#include <optional>

class InteractiveScene;
class QGraphicsSceneMouseEvent;
class QPainter;
struct MarkRecord;

// A mark is fed presses (addPoint) and moves (trackMouse) by its scene until it reports
// completion; on completion it pushes its statistics row through the scene. Points are kept
// in scene (picture pixel) coordinates; labels are drawn at a fixed size on screen whatever
// the zoom. The scene pointer is never null and outlives the mark (the scene owns it).
class Mark : public QGraphicsItem {
public:
    enum Type { kLine = 1, kVLine, kHLine, kRectangle, kArc, kCircle, kCoordinates, kPolygon };

    Mark(int markType, const QColor& colour, const QString& toolTip, InteractiveScene* scene);

    int markType() const { return markType_; }
    QColor colour() const { return colour_; }
    void setColour(const QColor& colour) { colour_ = colour; }
    int width() const { return width_; }
    void setWidth(int width) {
        prepareGeometryChange();
        width_ = width;
    }
    bool showLabels() const { return show_; }
    void setShowLabels(bool show) { show_ = show; }

    // A press; true when it completed the mark (its statistics row is then pushed).
    virtual bool addPoint(QGraphicsSceneMouseEvent* event) = 0;
    // A move while the mark is being drawn.
    virtual void trackMouse(QGraphicsSceneMouseEvent* event);
    virtual void translate(double dx, double dy) = 0;
    // The mark-file record, without line end.
    virtual QString toRecord() const = 0;

    // The scene area a move of the mouse can change while the mark is drawn: repainting it
    // before and after the move is enough, which keeps moves from redrawing the whole picture.
    virtual QList<QRectF> trackingArea() const { return {sceneBoundingRect()}; }

    // What the select tool needs: whether p picks the mark, and where its handles go
    // (w, h: the scene rectangle's size).
    virtual bool hitTest(QPointF p, double w, double h) const = 0;
    virtual QList<QPointF> handlePoints(double w, double h) const = 0;
    // The pixel values written back to the statistics row after a key move; empty when the
    // row does not follow moves.
    virtual std::optional<std::array<int, 4>> rowCoordinates() const = 0;
    // Pushes the row of a complete mark, as its completion by the mouse does.
    virtual void pushStatistics() const = 0;

    // A value label: its box in screen pixels (painter scaled by 1/zoom), text and alignment.
    struct Label {
        QRectF box;
        QString text;
        int flags = Qt::AlignCenter;
    };
    // The labels the mark shows now; none while show is off.
    virtual QList<Label> labels() const = 0;

    // Builds the complete mark a record describes, or nothing when the record is not of a
    // mark or describes none (a circle through collinear points, an arc without rays).
    static Mark* fromRecord(const MarkRecord& record, InteractiveScene* scene);

protected:
    InteractiveScene* markScene() const { return scene_; }
    double factor() const;
    double zoom() const;
    double sceneWidth() const;
    double sceneHeight() const;
    QString unitText() const;
    QString areaUnitText() const;
    static QString fixed3(double value);
    // The keyword and common fields up to and including the "|".
    QString recordHead(const char* keyword) const;
    void applyRecordCommon(const MarkRecord& record);
    void usePen(QPainter* painter) const;
    // A label in the box between two screen-pixel corners (either order).
    static Label label(QPointF corner1, QPointF corner2, const QString& text,
                       int flags = Qt::AlignCenter);
    // Draws labels() with the painter scaled so that text keeps its size at every zoom; a
    // value longer than its box runs over rather than being cut.
    void drawLabels(QPainter* painter) const;
    // A rectangle around the given scene points wide enough for labels of `labelPixels`
    // screen pixels, at the current zoom.
    QRectF boundsAround(std::initializer_list<QPointF> points, double labelPixels) const;
    QRectF wholeScene() const;

private:
    int markType_;
    QColor colour_;
    int width_ = 1;
    bool show_ = true;
    InteractiveScene* scene_;
};
