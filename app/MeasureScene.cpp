// SPDX-License-Identifier: MIT
// The scene shown in the view: the live or opened image, the measurement marks and tool mode.
#include "MeasureScene.h"

#include <QGraphicsItem>
#include <QGraphicsSceneMouseEvent>
#include <QKeyEvent>

MeasureScene::MeasureScene(QObject* parent) : QGraphicsScene(parent) {}

// The base destructor deletes every item still in the scene, marks and image included.
MeasureScene::~MeasureScene() = default;

void MeasureScene::setToolMode(int mode) {
    toolMode_ = mode;
}

void MeasureScene::setCurrentMark(QGraphicsItem* mark) {
    finishDrawing();
    currentMark_ = mark;
    if (mark != nullptr) {
        mark->setZValue(kMarkZ);
        addItem(mark);
    }
}

void MeasureScene::finishDrawing() {
    if (currentMark_ != nullptr) {
        destroyItem(currentMark_);
        currentMark_ = nullptr;
    }
}

void MeasureScene::addMark(QGraphicsItem* mark) {
    if (mark == currentMark_) {
        currentMark_ = nullptr;  // a completed mark changes hands: it is no longer unfinished
    }
    mark->setZValue(kMarkZ);
    if (mark->scene() != this) {
        addItem(mark);
    }
    marks_.append(mark);
}

void MeasureScene::clearAllMarks() {
    finishDrawing();
    for (QGraphicsItem* mark : std::as_const(marks_)) {
        destroyItem(mark);
    }
    marks_.clear();
}

void MeasureScene::destroyItem(QGraphicsItem* item) {
    removeItem(item);
    delete item;
}

void MeasureScene::mousePressEvent(QGraphicsSceneMouseEvent* event) {
    emit pixelPressed(event->scenePos());
    // Before the first image there is nothing to press on; the base handler would only start a
    // rubber band selection of nothing.
    if (items().isEmpty()) {
        return;
    }
    QGraphicsScene::mousePressEvent(event);
}

void MeasureScene::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Plus) {
        emit zoomInRequested();
    } else if (event->key() == Qt::Key_Minus) {
        emit zoomOutRequested();
    }
}
