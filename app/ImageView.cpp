// SPDX-License-Identifier: MIT
// The graphics view "gvMain": zoom in and out, reset and fit-to-image scaling.
#include "ImageView.h"

#include <algorithm>

ImageView::ImageView(QWidget* parent) : QGraphicsView(parent) {}

void ImageView::scaleBy(double factor, double newZoom) {
    scale(factor, factor);
    zoomFactor_ = newZoom;
    emit zoomChanged(zoomFactor_);
}

void ImageView::scaleUnderMouse(double factor, double newZoom) {
    const ViewportAnchor previous = transformationAnchor();
    setTransformationAnchor(AnchorUnderMouse);
    scaleBy(factor, newZoom);
    setTransformationAnchor(previous);
}

void ImageView::zoomIn() {
    scaleBy(kZoomStep, zoomFactor_ * kZoomStep);
}

void ImageView::zoomOut() {
    scaleBy(1.0 / kZoomStep, zoomFactor_ / kZoomStep);
}

void ImageView::zoomInUnderMouse() {
    scaleUnderMouse(kZoomStep, zoomFactor_ * kZoomStep);
}

void ImageView::zoomOutUnderMouse() {
    scaleUnderMouse(1.0 / kZoomStep, zoomFactor_ / kZoomStep);
}

void ImageView::resetView() {
    resetTransform();
    zoomFactor_ = 1.0;
    emit zoomChanged(zoomFactor_);
}

void ImageView::fitScreen(const QSizeF& imageSize) {
    if (imageSize.isEmpty()) {
        return;
    }
    const double sx = (width() - 2) / imageSize.width();
    const double sy = (height() - 2) / imageSize.height();
    const double s = std::min(sx, sy);
    scaleBy(s / zoomFactor_, s);
}
