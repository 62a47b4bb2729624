// SPDX-License-Identifier: MIT
// What the measurement actions of the main window do: tools, docks, table, mark file.
#include "MeasureController.h"

#include <QAction>
#include <QDockWidget>
#include <QLoggingCategory>
#include <QMainWindow>

#include "DockCalibration.h"
#include "DockProperty.h"
#include "InteractiveScene.h"
#include "Statistics.h"
#include "UserPrompts.h"

Q_LOGGING_CATEGORY(lcMeasure, "vidscope.measure")

MeasureController::MeasureController(QMainWindow* window, InteractiveScene* scene,
                                     QSettings& settings)
    : QObject(window), window_(window), scene_(scene) {
    statistics_ = new Statistics(scene, window);
    statistics_->hide();
    dockCalibration_ = new DockCalibration(window, scene, settings);
    dockProperty_ = new DockProperty(window, scene);
    for (QDockWidget* dock :
         {static_cast<QDockWidget*>(dockCalibration_), static_cast<QDockWidget*>(dockProperty_)}) {
        window->addDockWidget(Qt::RightDockWidgetArea, dock);
        dock->setFloating(true);
        dock->hide();
    }

    connect(scene, &InteractiveScene::statisticsRowAdded, statistics_, &Statistics::addRow);
    connect(scene, &InteractiveScene::statisticsRowUpdated, statistics_, &Statistics::rewriteRow);
    connect(scene, &InteractiveScene::statisticsRowRemoved, statistics_, &Statistics::removeRow);
    connect(scene, &InteractiveScene::statisticsCleared, statistics_, &Statistics::clearRows);
    connect(scene, &InteractiveScene::markSelected, dockProperty_, &DockProperty::showSelectedMark);
    // A placed coordinate cross ends its tool: one cross per choice of the tool.
    connect(scene, &InteractiveScene::coordinatePointPlaced, this,
            [this] { selectMode(InteractiveScene::kNone); });
}

void MeasureController::addTool(QAction* action, int mode) {
    tools_.append({action, mode});
}

void MeasureController::uncheckAllExcept(const QAction* keep) {
    for (const auto& [action, mode] : std::as_const(tools_)) {
        if (action != keep)
            action->setChecked(false);
    }
}

void MeasureController::toolTriggered(QAction* action) {
    scene_->clearCurrentMark();
    uncheckAllExcept(action);
    int newMode = InteractiveScene::kNone;
    for (const auto& [tool, mode] : std::as_const(tools_)) {
        if (tool == action && action->isChecked())
            newMode = mode;
    }
    scene_->setToolMode(newMode);
}

void MeasureController::selectMode(int mode) {
    scene_->clearCurrentMark();
    uncheckAllExcept(nullptr);
    scene_->setToolMode(mode);
}

void MeasureController::clearMeasurements() {
    selectMode(InteractiveScene::kNone);
    scene_->clearAllMarks();
    statistics_->clearRows();
    scene_->update();
}

void MeasureController::showDetails() {
    statistics_->show();
    statistics_->raise();
}

void MeasureController::showProperty() {
    dockProperty_->show();
}

void MeasureController::showCalibration() {
    dockCalibration_->show();
}

void MeasureController::loadMarks() {
    QString error;
    scene_->loadMarks(&error);
    if (!error.isEmpty()) {
        qCWarning(lcMeasure) << error;
        UserPrompts::instance().warning(window_, tr("Load"), error);
    }
}

void MeasureController::saveMarks() {
    if (scene_->markCount() == 0) {
        const QMessageBox::StandardButton answer = UserPrompts::instance().question(
            window_, tr("Override?"), tr("No marks in the curvas, do you still want to save?"),
            QMessageBox::Save | QMessageBox::Cancel, QMessageBox::Cancel);
        if (answer != QMessageBox::Save)
            return;
    }
    QString error;
    if (!scene_->saveMarks(&error)) {
        qCWarning(lcMeasure) << error;
        UserPrompts::instance().warning(
            window_, tr("Save"), error + QLatin1Char('\n') + tr("The marks were not saved."));
    }
}
