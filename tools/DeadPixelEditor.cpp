// SPDX-License-Identifier: MIT
// The "Dead Pixel" group of the histogram dialog: the list, its camera storage and Auto Find.
#include "DeadPixelEditor.h"

#include <QLabel>
#include <QListWidget>
#include <QSpinBox>
#include <array>

#include "AppGlobals.h"
#include "AppSettings.h"
#include "DeadPixelFinder.h"
#include "UserPrompts.h"
#include "vidscope/camera_api.h"

DeadPixelEditor::DeadPixelEditor(const DeadPixelWidgets& widgets, AppSettings& settings,
                                 QObject* parent)
    : QObject(parent), widgets_(widgets), settings_(settings) {
    widgets_.threshold->setRange(1, 255);
}

void DeadPixelEditor::report(const char* function) {
    emit toTable(QString::fromLatin1(function), CameraGetLastError());
}

int DeadPixelEditor::storedThreshold() const {
    bool ok = false;
    const int value = settings_.qsettings().value(kThresholdKey, kDefaultThreshold).toInt(&ok);
    // A hand-edited value outside the box's range falls back to the default rather than being
    // clamped to an edge that would mark every pixel, or none.
    return ok && value >= 1 && value <= 255 ? value : kDefaultThreshold;
}

void DeadPixelEditor::showCount() {
    widgets_.count->setText(QStringLiteral("(%1)").arg(list_.count()));
}

void DeadPixelEditor::appendLine(const DeadPixelEntry& entry) {
    widgets_.list->addItem(QStringLiteral("(%1,%2)").arg(entry.x).arg(entry.y));
}

void DeadPixelEditor::rebuildLines() {
    widgets_.list->clear();
    for (int i = 0; i < list_.count(); ++i)
        appendLine(list_.at(i));
    showCount();
}

bool DeadPixelEditor::refuseUnlessFullFrame() {
    if (fullFrame_)
        return false;
    UserPrompts::instance().notice(
        widgets_.dialog, tr("notice"),
        tr("The camera keeps dead pixels in full-sensor positions, which this picture does not "
           "show one to one. Select the largest resolution without ROI, play the video and open "
           "the histogram again."));
    return true;
}

void DeadPixelEditor::load(QSize still) {
    const int camera = currentCamera.load();
    geometry_ = SensorGeometry::ofCamera(camera);
    fullFrame_ = geometry_ && geometry_->fits(still);
    std::array<unsigned int, 128> buffer{};
    if (!CameraLoadDeadpixel(camera, buffer.data()))
        report("CameraLoadDeadpixel");
    const unsigned int n = buffer[0];
    const bool stored = n >= 1 && n <= unsigned(DeadPixelList::kCameraLimit);
    if (stored) {
        list_.clear();
        for (unsigned int i = 0; i < n; ++i) {
            QPoint at(int(buffer[1 + 2 * i]), int(buffer[2 + 2 * i]));
            // A still that is not the full frame shows the stored sensor positions as they are.
            if (fullFrame_)
                at = geometry_->toDisplay(at);
            list_.append({at.x(), at.y(), 0});
        }
        rebuildLines();
    }
    widgets_.threshold->setValue(stored ? storedThreshold() : kThresholdWithoutList);
}

bool DeadPixelEditor::savePosition(QPoint pixel, QSize still) {
    bool added = false;
    if (QRect(QPoint(0, 0), still).contains(pixel) && !list_.contains(pixel.x(), pixel.y())) {
        if (list_.isFull()) {
            UserPrompts::instance().notice(
                widgets_.dialog, tr("notice"),
                tr("The list holds %1 pixels already. Delete some before adding more.")
                    .arg(DeadPixelList::kSlots));
        } else if (!refuseUnlessFullFrame()) {
            list_.append({pixel.x(), pixel.y(), 0});
            appendLine(list_.at(list_.count() - 1));
            added = true;
        }
    }
    showCount();
    return added;
}

void DeadPixelEditor::writeToCamera() {
    if (list_.count() > DeadPixelList::kCameraLimit) {
        UserPrompts::instance().notice(widgets_.dialog, tr("notice"),
                                       tr("You just can add 63 points dead pixels."));
        return;
    }
    if (refuseUnlessFullFrame())
        return;
    std::vector<unsigned int> buffer = list_.exchangeBuffer();
    for (int i = 0; i < list_.count(); ++i) {
        const QPoint sensor = geometry_->toSensor(QPoint(list_.at(i).x, list_.at(i).y));
        buffer[1 + 2 * size_t(i)] = unsigned(sensor.x());
        buffer[2 + 2 * size_t(i)] = unsigned(sensor.y());
    }
    if (!CameraSaveDeadpixel(currentCamera.load(), buffer.data()))
        report("CameraSaveDeadpixel");
}

void DeadPixelEditor::clearAll() {
    widgets_.list->clear();
    list_.clear();
    showCount();
    const std::vector<unsigned int> empty = list_.exchangeBuffer();
    if (!CameraSaveDeadpixel(currentCamera.load(), empty.data()))
        report("CameraSaveDeadpixel");
}

void DeadPixelEditor::autoFind(const QImage& still) {
    // Refused before anything is cleared: the camera's list must survive a refused search.
    if (refuseUnlessFullFrame())
        return;
    clearAll();
    const int threshold = widgets_.threshold->value();
    settings_.qsettings().setValue(kThresholdKey, threshold);
    settings_.sync();
    DeadPixelFinder::find(still, threshold, list_);
    rebuildLines();
}

std::optional<QPoint> DeadPixelEditor::selectedPosition() const {
    const QListWidgetItem* item = widgets_.list->currentItem();
    const int row = widgets_.list->currentRow();
    if (item == nullptr || !item->isSelected() || row < 0 || row >= list_.count())
        return std::nullopt;
    return QPoint(list_.at(row).x, list_.at(row).y);
}

std::optional<QPoint> DeadPixelEditor::deleteSelected() {
    if (!selectedPosition())
        return std::nullopt;
    const int row = widgets_.list->currentRow();
    list_.removeAt(row);
    delete widgets_.list->takeItem(row);
    showCount();
    if (list_.count() == 0)
        return std::nullopt;
    const int next = std::min(row, list_.count() - 1);
    return QPoint(list_.at(next).x, list_.at(next).y);
}
