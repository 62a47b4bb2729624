// SPDX-License-Identifier: MIT
// The graphics view "gvMain": zoom in and out, reset and fit-to-image scaling.
#pragma once

#include <QGraphicsView>
#include <QSizeF>

// Keeps the total scale it has applied (zoomFactor) so that callers never have to read it
// back out of the transform, and announces every change so the scene can mirror it.
class ImageView : public QGraphicsView {
    Q_OBJECT

public:
    static constexpr double kZoomStep = 1.2;

    explicit ImageView(QWidget* parent = nullptr);

    double zoomFactor() const { return zoomFactor_; }

    void zoomIn();
    void zoomOut();
    // As zoomIn / zoomOut, but keeping the scene point under the mouse where it is.
    void zoomInUnderMouse();
    void zoomOutUnderMouse();
    void resetView();
    // Scales so that an image of this size fits the view (less a one-pixel border on each
    // side). An empty size leaves the view as it is.
    void fitScreen(const QSizeF& imageSize);

signals:
    void zoomChanged(double zoomFactor);

private:
    void scaleBy(double factor, double newZoom);
    void scaleUnderMouse(double factor, double newZoom);

    double zoomFactor_ = 1.0;
};
