// SPDX-License-Identifier: MIT
// The "Dead Pixel" group of the histogram dialog: the list, its camera storage and Auto Find.
#pragma once

#include <QImage>
#include <QObject>
#include <QPoint>
#include <QString>
#include <optional>

#include "DeadPixelList.h"
#include "SensorGeometry.h"

class AppSettings;
class QLabel;
class QListWidget;
class QSpinBox;
class QWidget;

// The widgets the editor drives; all belong to the histogram dialog's form.
struct DeadPixelWidgets {
    QListWidget* list = nullptr;
    QLabel* count = nullptr;
    QSpinBox* threshold = nullptr;
    QWidget* dialog = nullptr;  // parent of the notices
};

// Works on the current camera. Failed camera calls are reported through toTable and leave the
// list as it is. Positions are those of the displayed still; they are converted to sensor
// coordinates on the way to the camera and back (SensorGeometry), and every operation that
// would need a conversion the still does not allow is refused with a notice.
class DeadPixelEditor : public QObject {
    Q_OBJECT

public:
    static constexpr int kDefaultThreshold = 75;
    static constexpr int kThresholdWithoutList = 70;
    static constexpr const char* kThresholdKey = "Image/DPThreshold";

    DeadPixelEditor(const DeadPixelWidgets& widgets, AppSettings& settings,
                    QObject* parent = nullptr);

    const DeadPixelList& list() const { return list_; }
    // Whether positions of the current still can be converted for the camera.
    bool stillIsFullFrame() const { return fullFrame_; }

    // Reads the camera's list for a still of this size and sets the threshold box.
    void load(QSize still);
    // Adds the inspected pixel; true when the list changed.
    bool savePosition(QPoint pixel, QSize still);
    void writeToCamera();
    void clearAll();
    void autoFind(const QImage& still);
    // Removes the selected entry; returns the entry the inspector should show next.
    std::optional<QPoint> deleteSelected();
    // The selected entry's position, when one is selected.
    std::optional<QPoint> selectedPosition() const;

signals:
    void toTable(QString type, int num_error);

private:
    int storedThreshold() const;
    void appendLine(const DeadPixelEntry& entry);
    void showCount();
    void rebuildLines();
    bool refuseUnlessFullFrame();
    void report(const char* function);

    DeadPixelWidgets widgets_;
    AppSettings& settings_;
    DeadPixelList list_;
    std::optional<SensorGeometry> geometry_;
    bool fullFrame_ = false;
};
