// SPDX-License-Identifier: MIT
// The checkable measurement tool actions and the scene tool mode each one selects.
#pragma once

#include <QList>
#include <utility>

class QAction;
class MeasureScene;

// At most one tool action is checked at a time and the scene's mode always matches it: 0
// when none is checked.
class MeasureTools {
public:
    explicit MeasureTools(MeasureScene& scene);

    // Registers a checkable action that selects the given tool mode.
    void addTool(QAction* action, int mode);

    // Reacts to a tool action having been toggled by the user: drops any unfinished mark,
    // unchecks every other tool, and sets the mode (or 0 if the action is now unchecked).
    void toolTriggered(QAction* action);
    // Drops any unfinished mark, unchecks every tool and sets the given mode.
    void selectMode(int mode);
    // Unchecks every tool, mode 0, and deletes all marks of the scene.
    void clearMeasurements();

private:
    void uncheckAllExcept(const QAction* keep);

    MeasureScene& scene_;
    QList<std::pair<QAction*, int>> tools_;
};
