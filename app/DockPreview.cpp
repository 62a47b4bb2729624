// SPDX-License-Identifier: MIT
// The preview dock: the snapshots taken since start, newest first, with thumbnails.
#include "DockPreview.h"

#include <QCloseEvent>
#include <QCursor>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTableWidget>

#include "DesktopActions.h"
#include "ui_DockPreview.h"

DockPreview::DockPreview(QWidget* parent)
    : QDockWidget(parent), ui_(std::make_unique<Ui::DockPreview>()) {
    ui_->setupUi(this);
    QTableWidget* table = ui_->tablePicture;
    table->setColumnCount(2);
    table->setColumnWidth(0, kThumbnailWidth);
    table->horizontalHeader()->setVisible(false);
    table->horizontalHeader()->setStretchLastSection(true);
    table->verticalHeader()->setVisible(false);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    // A long path loses its folder rather than the time stamp that tells the pictures apart.
    table->setWordWrap(false);
    table->setTextElideMode(Qt::ElideLeft);
}

DockPreview::~DockPreview() = default;

QTableWidget* DockPreview::table() const {
    return ui_->tablePicture;
}

void DockPreview::retranslate() {
    ui_->retranslateUi(this);
}

QMenu* DockPreview::contextMenu() const {
    return menu_;
}

QString DockPreview::fileName(int row) const {
    const QTableWidgetItem* item = ui_->tablePicture->item(row, 1);
    return item ? item->text() : QString();
}

void DockPreview::addPicture(const QString& fileName, const QImage& image) {
    QTableWidget* table = ui_->tablePicture;
    table->insertRow(0);
    table->setRowHeight(0, kRowHeight);
    auto* thumbnail = new QLabel;
    // Width 70 as listed; a tall picture is kept inside the row instead of spilling over.
    thumbnail->setPixmap(QPixmap::fromImage(
        image.scaled(kThumbnailWidth, kRowHeight, Qt::KeepAspectRatio, Qt::FastTransformation)));
    thumbnail->setAlignment(Qt::AlignCenter);
    table->setCellWidget(0, 0, thumbnail);
    auto* name = new QTableWidgetItem(QStringLiteral("%1").arg(fileName));
    name->setToolTip(fileName);
    table->setItem(0, 1, name);
}

void DockPreview::on_tablePicture_cellClicked(int row, int /*column*/) {
    selectedRow_ = row;
}

void DockPreview::on_tablePicture_cellDoubleClicked(int row, int /*column*/) {
    selectedRow_ = row;
    viewPicture();
}

QString DockPreview::selectedExistingFile() {
    if (selectedRow_ < 0 || selectedRow_ >= ui_->tablePicture->rowCount())
        return {};
    const QString name = fileName(selectedRow_);
    if (!QFileInfo::exists(name)) {
        emit fileMissing(tr("The picture %1 no longer exists.").arg(name));
        return {};
    }
    return name;
}

void DockPreview::viewPicture() {
    const QString name = selectedExistingFile();
    if (!name.isEmpty() && !DesktopActions::instance().openFile(name))
        emit fileMissing(tr("No application opened %1.").arg(name));
}

void DockPreview::openLocation() {
    const QString name = selectedExistingFile();
    if (!name.isEmpty() && !DesktopActions::instance().showInFolder(name))
        emit fileMissing(tr("No file manager showed %1.").arg(name));
}

void DockPreview::deletePicture() {
    if (selectedRow_ < 0 || selectedRow_ >= ui_->tablePicture->rowCount())
        return;
    ui_->tablePicture->removeRow(selectedRow_);
    selectedRow_ = -1;
}

void DockPreview::on_tablePicture_customContextMenuRequested(QPoint /*pos*/) {
    delete menu_;
    menu_ = new QMenu(this);
    connect(menu_->addAction(tr("View the picutre")), &QAction::triggered, this,
            &DockPreview::viewPicture);
    connect(menu_->addAction(tr("Open the file location...")), &QAction::triggered, this,
            &DockPreview::openLocation);
    connect(menu_->addAction(tr("Remove")), &QAction::triggered, this, &DockPreview::deletePicture);
    menu_->popup(QCursor::pos());
}

void DockPreview::closeEvent(QCloseEvent* event) {
    emit CloseDockPreview(1);
    QDockWidget::closeEvent(event);
}
