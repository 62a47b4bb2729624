// SPDX-License-Identifier: MIT
// The checkable measurement tool actions and the scene tool mode each one selects.
#include "MeasureTools.h"

#include <QAction>

#include "MeasureScene.h"

MeasureTools::MeasureTools(MeasureScene& scene) : scene_(scene) {}

void MeasureTools::addTool(QAction* action, int mode) {
    tools_.append({action, mode});
}

void MeasureTools::uncheckAllExcept(const QAction* keep) {
    for (const auto& [action, mode] : std::as_const(tools_)) {
        if (action != keep) {
            action->setChecked(false);
        }
    }
}

void MeasureTools::toolTriggered(QAction* action) {
    scene_.finishDrawing();
    uncheckAllExcept(action);
    int newMode = MeasureScene::kNone;
    for (const auto& [tool, mode] : std::as_const(tools_)) {
        if (tool == action && action->isChecked()) {
            newMode = mode;
        }
    }
    scene_.setToolMode(newMode);
}

void MeasureTools::selectMode(int mode) {
    scene_.finishDrawing();
    uncheckAllExcept(nullptr);
    scene_.setToolMode(mode);
}

void MeasureTools::clearMeasurements() {
    uncheckAllExcept(nullptr);
    scene_.setToolMode(MeasureScene::kNone);
    scene_.clearAllMarks();
    scene_.update();
}
