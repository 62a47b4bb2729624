// SPDX-License-Identifier: MIT
// The "Property" dock: colour, pen width and label visibility of the selected mark.
#include "DockProperty.h"

#include "InteractiveScene.h"
#include "Mark.h"
#include "TranslatableWindows.h"
#include "UserPrompts.h"
#include "ui_DockProperty.h"

namespace {

// In combo order; the last entry also stands for every colour not in the table.
const Qt::GlobalColor kColours[] = {Qt::black, Qt::white, Qt::red,     Qt::green,
                                    Qt::blue,  Qt::cyan,  Qt::magenta, Qt::yellow};
constexpr int kFallbackIndex = 7;

}  // namespace

DockProperty::DockProperty(QWidget* parent, InteractiveScene* scene)
    : QDockWidget(parent), ui_(std::make_unique<Ui::DockProperty>()), scene_(scene) {
    ui_->setupUi(this);
    ui_->chkMark->setChecked(true);
    TranslatableWindows::instance().add(this, [this] { ui_->retranslateUi(this); });
}

DockProperty::~DockProperty() = default;

QColor DockProperty::colourAt(int index) {
    if (index < 0 || index >= kFallbackIndex)
        return QColor(kColours[kFallbackIndex]);
    return QColor(kColours[index]);
}

void DockProperty::askForSelection() {
    UserPrompts::instance().notice(this, tr("Info"), tr("Please select a mark first!"));
}

void DockProperty::showSelectedMark() {
    const Mark* mark = scene_->selectedMark();
    if (mark == nullptr) {
        askForSelection();
        return;
    }
    int index = kFallbackIndex;
    for (int i = 0; i < kFallbackIndex; ++i) {
        if (QColor(kColours[i]) == mark->colour()) {
            index = i;
            break;
        }
    }
    ui_->cbColor->setCurrentIndex(index);
    ui_->sdWidth->setValue(mark->width());
    ui_->chkMark->setChecked(mark->showLabels());
}

void DockProperty::on_sdWidth_valueChanged(int value) {
    ui_->lblWidth->setText(QStringLiteral("%1").arg(value));
}

void DockProperty::on_btnApply_clicked() {
    Mark* mark = scene_->selectedMark();
    if (mark == nullptr) {
        askForSelection();
        return;
    }
    mark->setShowLabels(ui_->chkMark->isChecked());
    mark->setWidth(ui_->sdWidth->value());
    mark->setColour(colourAt(ui_->cbColor->currentIndex()));
    mark->update();
    scene_->update();
}
