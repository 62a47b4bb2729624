// SPDX-License-Identifier: MIT
// The message log dock: one row per failed camera call or window event, newest first.
#include "DockMessage.h"

#include <QAction>
#include <QCloseEvent>
#include <QCursor>
#include <QDateTime>
#include <QHeaderView>
#include <QMenu>
#include <QTableWidget>

#include "ui_DockMessage.h"
#include "vidscope/camera_api.h"

namespace {

// The error texts are the camera API's own error names.
constexpr int kFirstErrorCode = CAMERA_ERROR_INDEX_OUT_OF_RANGE;
constexpr int kLastErrorCode = CAMERA_ERROR_DATA_TIMEOUT;
constexpr int kFirstEvent = DockMessage::kStartVideo;
constexpr int kLastEvent = DockMessage::kNoCameraFound;

}  // namespace

DockMessage::DockMessage(QWidget* parent)
    : QDockWidget(parent), ui_(std::make_unique<Ui::DockMessage>()) {
    ui_->setupUi(this);
    QTableWidget* table = ui_->twMessage;
    table->setColumnCount(3);
    table->setColumnWidth(0, 250);
    table->setColumnWidth(1, 400);
    table->setColumnWidth(2, 200);
    table->horizontalHeader()->setVisible(false);
    table->verticalHeader()->setVisible(false);
    // The header's font-based minimum would otherwise make rows taller than the log's 15 px.
    table->verticalHeader()->setMinimumSectionSize(kRowHeight);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setShowGrid(false);
}

DockMessage::~DockMessage() = default;

QTableWidget* DockMessage::table() const {
    return ui_->twMessage;
}

QString DockMessage::errorText(int code) {
    if (code < kFirstErrorCode || code > kLastErrorCode) {
        return {};
    }
    return QStringLiteral("API error (code: %1)").arg(QLatin1String(CameraGetErrorName(code)));
}

void DockMessage::logMessage(QString function, int num_error) {
    QString message;
    QString reporter;
    if (num_error >= 1 && num_error <= kLastErrorCode) {
        message = errorText(num_error);
        reporter = function;
    } else if (num_error >= kFirstEvent && num_error <= kLastEvent) {
        message = function;
    } else {
        return;
    }
    logText(message, reporter);
}

void DockMessage::logText(QString message, QString reporter) {
    const QString time =
        QStringLiteral("%1").arg(QDateTime::currentDateTime().toString(QLatin1String(kTimeFormat)));
    QTableWidget* table = ui_->twMessage;
    table->insertRow(0);
    table->setRowHeight(0, kRowHeight);
    table->setItem(0, 0, new QTableWidgetItem(time));
    table->setItem(0, 1, new QTableWidgetItem(message));
    table->setItem(0, 2, new QTableWidgetItem(reporter));
}

void DockMessage::on_twMessage_customContextMenuRequested(QPoint /*pos*/) {
    delete menu_;
    menu_ = new QMenu(this);
    QAction* clear = menu_->addAction(tr("Clear all messages"));
    connect(clear, &QAction::triggered, this, &DockMessage::clearAllMessage);
    menu_->popup(QCursor::pos());
}

void DockMessage::clearAllMessage() {
    QTableWidget* table = ui_->twMessage;
    for (int row = table->rowCount() - 1; row >= 0; --row) {
        table->removeRow(row);
    }
}

void DockMessage::closeEvent(QCloseEvent* event) {
    emit CloseDockMessage(2);
    QDockWidget::closeEvent(event);
}
