// SPDX-License-Identifier: MIT
// The scene shown in the view: the live or opened image, the measurement marks and tool mode.
#pragma once

#include <QGraphicsScene>
#include <QList>
#include <QPointF>

class QGraphicsItem;

// Holds the marks above the picture (the picture's item is added by the video side) and
// knows which drawing tool is active. Mouse presses report their position for the pixel readout;
// '+' and '-' ask for a zoom around the mouse.
class MeasureScene : public QGraphicsScene {
    Q_OBJECT

public:
    // Tool modes, numbered as the mark types and the tool actions use them.
    enum ToolMode {
        kNone = 0,
        kLine = 1,
        kCircle = 2,
        kRectangle = 3,
        kArc = 4,
        kAxisY = 5,
        kAxisX = 6,
        kSelect = 7,
        kCoordinates = 8,
        kPolygon = 9,
    };
    static constexpr double kMarkZ = 5.0;

    explicit MeasureScene(QObject* parent = nullptr);
    ~MeasureScene() override;

    int toolMode() const { return toolMode_; }
    void setToolMode(int mode);

    // A mark still being drawn; it belongs to the scene from the moment it is set.
    QGraphicsItem* currentMark() const { return currentMark_; }
    void setCurrentMark(QGraphicsItem* mark);
    // Drops the unfinished mark, if any.
    void finishDrawing();
    // Appends a completed mark above the image.
    void addMark(QGraphicsItem* mark);
    const QList<QGraphicsItem*>& marks() const { return marks_; }
    int markCount() const { return int(marks_.size()); }
    // Removes and destroys every finished and unfinished mark.
    void clearAllMarks();

    double zoomFactor() const { return zoomFactor_; }
    void setZoomFactor(double zoom) { zoomFactor_ = zoom; }

signals:
    void pixelPressed(QPointF scenePos);
    void zoomInRequested();
    void zoomOutRequested();

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void destroyItem(QGraphicsItem* item);

    int toolMode_ = kNone;
    QGraphicsItem* currentMark_ = nullptr;
    QList<QGraphicsItem*> marks_;
    double zoomFactor_ = 1.0;
};
