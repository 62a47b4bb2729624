// SPDX-License-Identifier: MIT
// The scene of the main view: the picture, the measurement marks drawn over it, and the tools.
#include "InteractiveScene.h"

#include <QGraphicsEllipseItem>
#include <QGraphicsSceneMouseEvent>
#include <QKeyEvent>
#include <QPen>
#include <algorithm>
#include <cmath>

#include "ArcMark.h"
#include "CircleMark.h"
#include "CoordinatesMark.h"
#include "HLineMark.h"
#include "LineMark.h"
#include "MarkFile.h"
#include "MarkGeometry.h"
#include "PolygonMark.h"
#include "RectangleMark.h"
#include "VLineMark.h"

InteractiveScene::InteractiveScene(QObject* parent) : QGraphicsScene(parent) {
    // Marks change their extent with the zoom and the picture is replaced many times a
    // second; a spatial index would be rebuilt more often than it is queried.
    setItemIndexMethod(NoIndex);
}

// The base destructor deletes every item still in the scene: marks, handles and the picture.
InteractiveScene::~InteractiveScene() = default;

void InteractiveScene::setToolMode(int mode) {
    toolMode_ = mode;
    if (mode == kCoordinates && currentMark_ == nullptr) {
        currentMark_ = new CoordinatesMark(this);
        addItem(currentMark_);
    }
}

void InteractiveScene::destroy(QGraphicsItem* item) {
    removeItem(item);
    delete item;
}

void InteractiveScene::clearCurrentMark() {
    if (currentMark_ != nullptr) {
        destroy(currentMark_);
        currentMark_ = nullptr;
    }
}

void InteractiveScene::clearHandles() {
    for (QGraphicsEllipseItem* handle : std::as_const(handles_))
        destroy(handle);
    handles_.clear();
}

void InteractiveScene::clearAllMarks() {
    for (Mark* mark : std::as_const(marks_))
        destroy(mark);
    marks_.clear();
    clearHandles();
    selectedMark_ = nullptr;
    selectedIndex_ = -1;
}

void InteractiveScene::removeMarkAt(int index) {
    if (index >= 0 && index < marks_.size()) {
        destroy(marks_.takeAt(index));
    }
    clearHandles();
    selectedMark_ = nullptr;
    // The row under the selection moved or went: a later Delete must not remove another one.
    selectedIndex_ = -1;
    repaintAll();
}

void InteractiveScene::selectMarkAt(int index) {
    clearHandles();
    if (index < 0 || index >= marks_.size())
        return;
    selectedIndex_ = index;
    selectedMark_ = marks_[index];
    if (selectedMark_->isEnabled())
        showHandles(*selectedMark_);
}

void InteractiveScene::setCalibrationFactor(double factor) {
    calibrationFactor_ = factor;
    update();
}

void InteractiveScene::setUnit(int unit) {
    unit_ = unit;
    update();
}

QString InteractiveScene::unitText() const {
    return unit_ == 0   ? QStringLiteral("cm")
           : unit_ == 1 ? QStringLiteral("mm")
                        : QStringLiteral("um");
}

QString InteractiveScene::areaUnitText() const {
    return unitText() + QStringLiteral("^2");
}

void InteractiveScene::pushStatistics(int type, double baseX, double baseY, double secondX,
                                      double secondY, double result1, double result2) {
    emit statisticsRowAdded(type, baseX, baseY, secondX, secondY, result1, result2);
}

void InteractiveScene::updateStatistics(int row, int type, int a, int b, int c, int d) {
    const double f = calibrationFactor_;
    emit statisticsRowUpdated(row, type, a * f, b * f, c * f, d * f);
}

bool InteractiveScene::saveMarks(QString* error) const {
    if (items().isEmpty())
        return true;
    return MarkFile(markFileName_).save(marks_, error);
}

bool InteractiveScene::loadMarks(QString* error) {
    if (items().isEmpty())
        return true;
    clearCurrentMark();
    clearAllMarks();
    emit statisticsCleared();
    QString reason;
    const QList<MarkRecord> records = MarkFile(markFileName_).load(&reason);
    if (error != nullptr)
        *error = reason;
    for (const MarkRecord& record : records) {
        Mark* mark = Mark::fromRecord(record, this);
        if (mark == nullptr)
            continue;
        mark->pushStatistics();
        marks_.append(mark);
        addItem(mark);
    }
    if (toolMode_ == kCoordinates)
        setToolMode(kCoordinates);  // the cross that follows the mouse was dropped above
    repaintAll();
    return reason.isEmpty();
}

Mark* InteractiveScene::createMark(int mode) {
    switch (mode) {
        case kLine:
            return new LineMark(this);
        case kCircle:
            return new CircleMark(this);
        case kRectangle:
            return new RectangleMark(this);
        case kArc:
            return new ArcMark(this);
        case kAxisY:
            return new VLineMark(this);
        case kAxisX:
            return new HLineMark(this);
        case kCoordinates:
            return new CoordinatesMark(this);
        case kPolygon:
            return new PolygonMark(this);
        default:
            return nullptr;
    }
}

void InteractiveScene::adoptMark(Mark* mark) {
    mark->setZValue(kMarkZ);
    if (mark->scene() != this)
        addItem(mark);
    marks_.append(mark);
}

void InteractiveScene::repaintAll() {
    update(QRectF(0, 0, sceneRect().width(), sceneRect().height()));
}

void InteractiveScene::mousePressEvent(QGraphicsSceneMouseEvent* event) {
    emit pixelPressed(event->scenePos());
    if (items().isEmpty())
        return;
    clearHandles();
    if (event->button() == Qt::RightButton) {
        if (currentMark_ != nullptr && toolMode_ != kCoordinates)
            clearCurrentMark();
        return;
    }
    roiPick_ = drawRoiState_;
    if (roiPick_) {
        if (pressInRegionPick(event))
            QGraphicsScene::mousePressEvent(event);
        return;
    }
    pressWithTool(event);
    QGraphicsScene::mousePressEvent(event);
}

// Returns whether the base handler is still to run.
bool InteractiveScene::pressInRegionPick(QGraphicsSceneMouseEvent* event) {
    if (toolMode_ != kRectangle)
        return true;
    if (currentMark_ == nullptr) {
        currentMark_ = new RectangleMark(this);
        currentMark_->addPoint(event);
        addItem(currentMark_);
        return true;
    }
    if (!currentMark_->addPoint(event))
        return true;
    auto* rectangle = static_cast<RectangleMark*>(currentMark_);
    const QPointF a = rectangle->p1(), b = rectangle->p2();
    using MarkGeometry::trunc;
    const int x = std::min(trunc(a.x()), trunc(b.x()));
    const int y = std::min(trunc(a.y()), trunc(b.y()));
    const int w = trunc(std::fabs(a.x() - b.x()));
    const int h = trunc(std::fabs(a.y() - b.y()));
    // Even origin and widths in whole groups of 4: what the sensor's window accepts.
    emit regionPicked(x / 2 * 2, y / 2 * 2, w / 4 * 4, h / 4 * 4);
    clearAllMarks();
    clearCurrentMark();
    return true;
}

void InteractiveScene::pressWithTool(QGraphicsSceneMouseEvent* event) {
    switch (toolMode_) {
        case kLine:
        case kCircle:
        case kPolygon:
            startOrFeed(event, true);
            break;
        case kRectangle:
        case kArc:
            startOrFeed(event, false);
            break;
        case kAxisY:
        case kAxisX:
            if (currentMark_ == nullptr)
                placeOneClickMark(event);
            break;
        case kCoordinates:
            if (currentMark_ != nullptr && event->button() == Qt::LeftButton) {
                Mark* cross = currentMark_;
                currentMark_ = nullptr;
                cross->addPoint(event);
                adoptMark(cross);
                emit coordinatePointPlaced();
            }
            break;
        case kSelect:
            if (event->button() == Qt::LeftButton)
                selectAt(event->buttonDownScenePos(Qt::LeftButton));
            break;
        default:
            break;
    }
}

void InteractiveScene::startOrFeed(QGraphicsSceneMouseEvent* event, bool repaint) {
    if (currentMark_ == nullptr) {
        // Only the polygon is closed with the middle button; no mark starts with it.
        if (event->button() != Qt::LeftButton)
            return;
        currentMark_ = createMark(toolMode_);
        currentMark_->addPoint(event);
        addItem(currentMark_);
    } else if (currentMark_->addPoint(event)) {
        Mark* done = currentMark_;
        currentMark_ = nullptr;
        adoptMark(done);
    }
    if (repaint)
        repaintAll();
}

void InteractiveScene::placeOneClickMark(QGraphicsSceneMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    Mark* mark = createMark(toolMode_);
    mark->addPoint(event);
    adoptMark(mark);
}

void InteractiveScene::selectAt(QPointF point) {
    selectedMark_ = nullptr;
    const double w = sceneRect().width(), h = sceneRect().height();
    for (int i = 0; i < marks_.size(); ++i) {
        Mark* mark = marks_[i];
        if (!mark->isEnabled() || !mark->hitTest(point, w, h))
            continue;
        selectedMark_ = mark;
        showHandles(*mark);
        selectedIndex_ = i;
        emit markSelected();
        return;
    }
}

void InteractiveScene::showHandles(const Mark& mark) {
    const QList<QPointF> points = mark.handlePoints(sceneRect().width(), sceneRect().height());
    for (const QPointF& p : points) {
        auto* handle = new QGraphicsEllipseItem(p.x() - 4, p.y() - 4, 8, 8);
        handle->setPen(QPen(Qt::red));
        handle->setBrush(Qt::NoBrush);
        handle->setZValue(kMarkZ);
        addItem(handle);
        handles_.append(handle);
    }
}

void InteractiveScene::mouseMoveEvent(QGraphicsSceneMouseEvent* event) {
    if (currentMark_ != nullptr) {
        // Only what the mark covered and covers now is redrawn: a whole-scene repaint per
        // move would redraw the full picture at mouse rate and cost live frames.
        const QList<QRectF> before = currentMark_->trackingArea();
        currentMark_->trackMouse(event);
        for (const QRectF& area : before + currentMark_->trackingArea())
            update(area);
    }
    QGraphicsScene::mouseMoveEvent(event);
}

void InteractiveScene::keyPressEvent(QKeyEvent* event) {
    if (selectedMark_ == nullptr) {
        if (event->key() == Qt::Key_Plus)
            emit zoomInRequested();
        else if (event->key() == Qt::Key_Minus)
            emit zoomOutRequested();
        return;
    }
    switch (event->key()) {
        case Qt::Key_Delete:
            deleteSelected();
            break;
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Left:
        case Qt::Key_Right:
            moveSelected(event->key());
            break;
        default:
            clearHandles();
            selectedMark_ = nullptr;
            break;
    }
}

void InteractiveScene::deleteSelected() {
    const int index = marks_.indexOf(selectedMark_);
    destroy(selectedMark_);
    selectedMark_ = nullptr;
    if (index >= 0)
        marks_.removeAt(index);
    clearHandles();
    // The row goes with the mark it belongs to, so rows and marks stay in step.
    if (selectedIndex_ != -1 && index >= 0)
        emit statisticsRowRemoved(index);
    selectedIndex_ = -1;
}

void InteractiveScene::moveSelected(int key) {
    const bool vertical = key == Qt::Key_Up || key == Qt::Key_Down;
    const int type = selectedMark_->markType();
    if ((type == Mark::kVLine && vertical) || (type == Mark::kHLine && !vertical))
        return;
    const double dx = key == Qt::Key_Left ? -1 : key == Qt::Key_Right ? 1 : 0;
    const double dy = key == Qt::Key_Up ? -1 : key == Qt::Key_Down ? 1 : 0;
    selectedMark_->translate(dx, dy);
    for (QGraphicsEllipseItem* handle : std::as_const(handles_))
        handle->moveBy(dx, dy);
    if (const auto row = selectedMark_->rowCoordinates(); row && selectedIndex_ != -1)
        updateStatistics(selectedIndex_, type, (*row)[0], (*row)[1], (*row)[2], (*row)[3]);
    repaintAll();
}
