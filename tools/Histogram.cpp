// SPDX-License-Identifier: MIT
// "Image Histogram": statistics of a still of the live picture, the pixel inspector, dead pixels.
#include "Histogram.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QScrollBar>

#include "AppSettings.h"
#include "DeadPixelEditor.h"
#include "TranslatableWindows.h"
#include "ui_Histogram.h"

namespace {
// A pixel picked from the list is brought this far from the view's top-left corner.
constexpr int kListScrollMargin = 200;
}  // namespace

Histogram::Histogram(AppSettings& settings, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::Histogram>()) {
    ui_->setupUi(this);
    editor_ = std::make_unique<DeadPixelEditor>(
        DeadPixelWidgets{ui_->listWidget, ui_->lbNumber, ui_->spinBox, this}, settings);
    connect(editor_.get(), &DeadPixelEditor::toTable, this, &Histogram::toTable);
    TranslatableWindows::instance().add(this, [this] { ui_->retranslateUi(this); });
}

Histogram::~Histogram() = default;

void Histogram::setImage(const QImage& image) {
    // A deep copy: the live item's picture lies over a frame buffer that goes back to the pool.
    image_ = image.copy();
    ui_->lbImage->setPixmap(QPixmap::fromImage(image_));
    ui_->lbImage->resize(image_.size());
    editor_->load(image_.size());
}

void Histogram::computeHistogram() {
    statistics_ = GrayLevels::compute(image_);
    ui_->lbMax->setText(QString::number(statistics_.max));
    ui_->lbMin->setText(QString::number(statistics_.min));
    ui_->lbWidth->setText(QString::number(statistics_.width));
    ui_->lbHeight->setText(QString::number(statistics_.height));
    ui_->lbDepth->setText(QString::number(statistics_.depth));
    ui_->lbAverage->setText(QString::number(statistics_.average));
    ui_->lbHistogram->setPicture(GrayLevels::histogramPicture(statistics_.bins));
    show();
}

void Histogram::showPixel(int x, int y) {
    if (!image_.valid(x, y))
        return;
    const QRgb pixel = image_.pixel(x, y);
    ui_->lbPosition->setText(QStringLiteral("(%1,%2)").arg(x).arg(y));
    ui_->lbGray->setText(QString::number(GrayLevels::gray(pixel)));
    ui_->lbRGB->setText(
        QStringLiteral("(R:%1,G:%2,B:%3)").arg(qRed(pixel)).arg(qGreen(pixel)).arg(qBlue(pixel)));
    ui_->lbPick->setPicture(GrayLevels::magnifierPicture(image_, x, y));
}

void Histogram::showPosition() {
    if (position_.x() >= 0 && position_.y() >= 0)
        showPixel(position_.x() - 1, position_.y() - 1);
}

void Histogram::inspectAt(QPoint dialogPos) {
    ui_->btnSaveDeadPixel->setEnabled(true);
    setFocus(Qt::MouseFocusReason);
    pickedOnImage_ = true;
    // The label sits in the scroll area, so mapping through it accounts for the scrolling and
    // the frame; its top-left pixel is image pixel (0, 0).
    position_ = ui_->lbImage->mapFrom(this, dialogPos);
    showPosition();
}

void Histogram::mousePressEvent(QMouseEvent* event) {
    inspectAt(event->position().toPoint());
}

void Histogram::mouseMoveEvent(QMouseEvent* event) {
    inspectAt(event->position().toPoint());
}

void Histogram::keyPressEvent(QKeyEvent* event) {
    // Keys never reach the dialog's own handling: Escape does not close the inspector.
    switch (event->key()) {
        case Qt::Key_Up:
            position_.ry() -= 1;
            break;
        case Qt::Key_Down:
            position_.ry() += 1;
            break;
        case Qt::Key_Left:
            position_.rx() -= 1;
            break;
        case Qt::Key_Right:
            position_.rx() += 1;
            break;
        default:
            return;
    }
    showPosition();
}

void Histogram::on_btnSaveDeadPixel_clicked() {
    if (pickedOnImage_)
        editor_->savePosition(position_ - QPoint(1, 1), image_.size());
}

void Histogram::on_btnWEEPROM_clicked() {
    editor_->writeToCamera();
}

void Histogram::on_btnClearEEPROM_clicked() {
    editor_->clearAll();
}

void Histogram::on_btnAutoFound_clicked() {
    ui_->btnSaveDeadPixel->setEnabled(false);
    editor_->autoFind(image_);
}

void Histogram::on_ClearDeadPixel_clicked() {
    if (const std::optional<QPoint> next = editor_->deleteSelected())
        showPixel(next->x(), next->y());
}

void Histogram::on_listWidget_clicked(QModelIndex /*index*/) {
    const std::optional<QPoint> at = editor_->selectedPosition();
    if (!at)
        return;
    pickedOnImage_ = false;
    showPixel(at->x(), at->y());
    ui_->saImage->horizontalScrollBar()->setValue(at->x() - kListScrollMargin);
    ui_->saImage->verticalScrollBar()->setValue(at->y() - kListScrollMargin);
}
