// SPDX-License-Identifier: MIT
// The "Measurement" table: one row per finished mark, CSV export, and Delete.
#include "Statistics.h"

#include <QFileInfo>
#include <QLoggingCategory>
#include <QSaveFile>
#include <QTableWidget>

#include "InteractiveScene.h"
#include "Mark.h"
#include "TranslatableWindows.h"
#include "UserPrompts.h"
#include "ui_Statistics.h"

Q_LOGGING_CATEGORY(lcStatistics, "vidscope.measure.statistics")

namespace {

constexpr int kColumns = 8;
constexpr int kColumnWidths[kColumns] = {70, 70, 70, 70, 70, 60, 60, 100};
constexpr double kPi = 3.1415926;

QString fixed3(double value) {
    return QString::number(value, 'f', 3);
}

QString typeName(int type) {
    switch (type) {
        case Mark::kLine:
            return QStringLiteral("Line");
        case Mark::kVLine:
            return QStringLiteral("VLine");
        case Mark::kHLine:
            return QStringLiteral("HLine");
        case Mark::kRectangle:
            return QStringLiteral("Rectangle");
        case Mark::kArc:
            return QStringLiteral("Arc");
        case Mark::kCircle:
            return QStringLiteral("Circle");
        case Mark::kCoordinates:
            return QStringLiteral("Cross");
        case Mark::kPolygon:
            return QStringLiteral("Polygon");
        default:
            return QString();
    }
}

}  // namespace

Statistics::Statistics(InteractiveScene* scene, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::Statistics>()), scene_(scene) {
    ui_->setupUi(this);
    for (int column = 0; column < kColumns; ++column)
        ui_->tableWidget->setColumnWidth(column, kColumnWidths[column]);
    TranslatableWindows::instance().add(this, [this] { retranslate(); });
}

Statistics::~Statistics() = default;

void Statistics::retranslate() {
    // The form rebuilds the header items; widths are set on the view and survive.
    ui_->retranslateUi(this);
}

QTableWidget* Statistics::table() const {
    return ui_->tableWidget;
}

int Statistics::rowCount() const {
    return ui_->tableWidget->rowCount();
}

QString Statistics::cellText(int row, int column) const {
    const QTableWidgetItem* item = ui_->tableWidget->item(row, column);
    return item != nullptr ? item->text() : QString();
}

void Statistics::setCell(int row, int column, const QString& text) {
    QTableWidgetItem* item = ui_->tableWidget->item(row, column);
    if (item == nullptr) {
        item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        ui_->tableWidget->setItem(row, column, item);
    }
    item->setText(text);
}

void Statistics::addRow(int type, double bx, double by, double sx, double sy, double r1,
                        double r2) {
    const int row = ui_->tableWidget->rowCount();
    ui_->tableWidget->insertRow(row);
    for (int column = 0; column < kColumns; ++column)
        setCell(row, column, QString());
    const QString values[kColumns - 1] = {fixed3(bx), fixed3(by), fixed3(sx), fixed3(sy),
                                          fixed3(r1), fixed3(r2), QString()};
    // Which of base.X ... area each type fills, in column order after "Type".
    auto fill = [&](std::initializer_list<std::pair<int, QString>> cells) {
        setCell(row, 0, typeName(type));
        for (const auto& [column, text] : cells)
            setCell(row, column, text);
    };
    switch (type) {
        case Mark::kLine:
            fill({{1, values[0]}, {2, values[1]}, {3, values[2]}, {4, values[3]}, {5, values[4]}});
            break;
        case Mark::kVLine:
            fill({{1, values[0]}, {2, values[1]}, {5, values[0]}});
            break;
        case Mark::kHLine:
            fill({{1, values[0]}, {2, values[1]}, {5, values[1]}});
            break;
        case Mark::kRectangle:
            fill({{1, values[0]},
                  {2, values[1]},
                  {3, values[2]},
                  {4, values[3]},
                  {5, values[4]},
                  {6, values[5]},
                  {7, fixed3(r1 * r2)}});
            break;
        case Mark::kArc:
            fill({{1, values[0]}, {2, values[1]}, {5, values[4]}});
            break;
        case Mark::kCircle:
            fill({{1, values[0]}, {2, values[1]}, {5, values[4]}, {7, fixed3(kPi * r1 * r1)}});
            break;
        case Mark::kCoordinates:
            fill({{1, values[0]}, {2, values[1]}, {5, values[0]}, {6, values[1]}});
            break;
        case Mark::kPolygon:
            fill({{7, values[5]}});
            break;
        default:
            break;
    }
}

void Statistics::rewriteRow(int row, int type, double a, double b, double c, double d) {
    if (row < 0 || row >= rowCount())
        return;
    switch (type) {
        case Mark::kLine:
        case Mark::kRectangle:
            setCell(row, 1, fixed3(a));
            setCell(row, 2, fixed3(b));
            setCell(row, 3, fixed3(c));
            setCell(row, 4, fixed3(d));
            break;
        case Mark::kVLine:
            setCell(row, 1, fixed3(a));
            setCell(row, 5, fixed3(a));
            break;
        case Mark::kHLine:
            setCell(row, 2, fixed3(b));
            setCell(row, 5, fixed3(b));
            break;
        case Mark::kArc:
        case Mark::kCircle:
            setCell(row, 1, fixed3(a));
            setCell(row, 2, fixed3(b));
            break;
        case Mark::kCoordinates:
            setCell(row, 1, fixed3(a));
            setCell(row, 2, fixed3(b));
            setCell(row, 5, fixed3(a));
            setCell(row, 6, fixed3(b));
            break;
        default:
            break;
    }
}

void Statistics::removeRow(int row) {
    if (row >= 0 && row < rowCount())
        ui_->tableWidget->removeRow(row);
}

void Statistics::clearRows() {
    for (int row = rowCount() - 1; row >= 0; --row)
        ui_->tableWidget->removeRow(row);
}

void Statistics::on_tableWidget_clicked(const QModelIndex& index) {
    scene_->clearHandles();
    const QTableWidgetItem* item = ui_->tableWidget->item(index.row(), index.column());
    if (item == nullptr || !item->isSelected())
        return;
    scene_->selectMarkAt(index.row());
}

void Statistics::on_btnDelete_clicked() {
    const QTableWidgetItem* item = ui_->tableWidget->currentItem();
    if (item == nullptr || !item->isSelected())
        return;
    const int row = item->row();
    scene_->removeMarkAt(row);
    removeRow(row);
}

bool Statistics::exportCsv(const QString& fileName, QString* error) const {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error != nullptr)
            *error = file.errorString();
        return false;
    }
    QByteArray text = "Type,base.X,base.Y,second.X,second.Y,result1,result2,erea\r\n";
    for (int row = 0; row < rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < kColumns; ++column)
            cells << cellText(row, column);
        text += cells.join(QLatin1Char(',')).toUtf8() + "\r\n";
    }
    file.write(text);
    if (!file.commit()) {
        if (error != nullptr)
            *error = file.errorString();
        return false;
    }
    return true;
}

void Statistics::on_btnExportCSV_clicked() {
    QString fileName = UserPrompts::instance().saveFileName(this, tr("Save file"), QString(),
                                                            tr("CSV File (*.csv)"));
    if (fileName.isEmpty())
        return;
    // A name typed without a suffix gets the one the filter promised.
    if (QFileInfo(fileName).suffix().isEmpty())
        fileName += QLatin1String(".csv");
    QString reason;
    if (!exportCsv(fileName, &reason)) {
        qCWarning(lcStatistics) << "CSV export to" << fileName << "failed:" << reason;
        UserPrompts::instance().warning(
            this, tr("Error"),
            tr("Failed to open the file.") + QLatin1Char('\n') +
                tr("%1: %2. Choose a folder you can write to.").arg(fileName, reason));
    }
}
