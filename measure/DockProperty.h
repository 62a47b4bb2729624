// SPDX-License-Identifier: MIT
// The "Property" dock: colour, pen width and label visibility of the selected mark.
#pragma once

#include <QColor>
#include <QDockWidget>
#include <memory>

class InteractiveScene;

namespace Ui {
class DockProperty;
}

class DockProperty : public QDockWidget {
    Q_OBJECT

public:
    DockProperty(QWidget* parent, InteractiveScene* scene);
    ~DockProperty() override;

    // The colour of combo index i; indexes outside the table give yellow.
    static QColor colourAt(int index);

public slots:
    // Shows the scene's selected mark, or asks the operator to select one first.
    void showSelectedMark();

private slots:
    void on_sdWidth_valueChanged(int value);
    void on_btnApply_clicked();

private:
    void askForSelection();

    std::unique_ptr<Ui::DockProperty> ui_;
    InteractiveScene* scene_;  // not owned; outlives the dock
};
