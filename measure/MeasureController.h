// SPDX-License-Identifier: MIT
// What the measurement actions of the main window do: tools, docks, table, mark file.
#pragma once

#include <QList>
#include <QObject>
#include <utility>

class DockCalibration;
class DockProperty;
class InteractiveScene;
class QAction;
class QMainWindow;
class QSettings;
class Statistics;

// Creates the statistics table and the two docks, keeps the table in step with the scene,
// and keeps at most one tool action checked with the scene's mode matching it (0 when none
// is). The window forwards its measurement actions here.
//
// Ownership: the table and docks are children of the window; the scene and the settings
// belong to the window as well and outlive this object.
class MeasureController : public QObject {
    Q_OBJECT

public:
    MeasureController(QMainWindow* window, InteractiveScene* scene, QSettings& settings);

    // Registers a checkable tool action and the scene mode it selects.
    void addTool(QAction* action, int mode);

    Statistics* statistics() const { return statistics_; }
    DockCalibration* dockCalibration() const { return dockCalibration_; }
    DockProperty* dockProperty() const { return dockProperty_; }

public slots:
    // A tool action was toggled: drop the unfinished mark, uncheck the others, set the mode.
    void toolTriggered(QAction* action);
    // Drops the unfinished mark, unchecks every tool and sets `mode`.
    void selectMode(int mode);
    // "Measure On/Off": no tool, no marks, no rows.
    void clearMeasurements();
    void showDetails();
    void showProperty();
    void showCalibration();
    // "Load" and the first picture: every mark of the mark file replaces the ones drawn.
    void loadMarks();
    // "Save": asks before emptying the file when there is nothing to save.
    void saveMarks();

private:
    void uncheckAllExcept(const QAction* keep);

    QMainWindow* window_;
    InteractiveScene* scene_;
    Statistics* statistics_ = nullptr;
    DockCalibration* dockCalibration_ = nullptr;
    DockProperty* dockProperty_ = nullptr;
    QList<std::pair<QAction*, int>> tools_;
};
