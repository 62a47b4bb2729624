// SPDX-License-Identifier: MIT
// The "Measurement" table: one row per finished mark, CSV export, and Delete.
#pragma once

#include <QDialog>
#include <QModelIndex>
#include <QString>
#include <memory>

class InteractiveScene;
class QTableWidget;

namespace Ui {
class Statistics;
}

// Row i belongs to entry i of the scene's marks: the scene announces every change of its
// list and this table follows it. Cells hold text, numbers with 3 decimals; values arrive
// physical already, areas are computed here.
class Statistics : public QDialog {
    Q_OBJECT

public:
    Statistics(InteractiveScene* scene, QWidget* parent = nullptr);
    ~Statistics() override;

    QTableWidget* table() const;
    int rowCount() const;
    QString cellText(int row, int column) const;

    // Writes the header and every row as CSV (CR LF line ends). False with a reason when the
    // file cannot be written.
    bool exportCsv(const QString& fileName, QString* error) const;

public slots:
    void addRow(int type, double bx, double by, double sx, double sy, double r1, double r2);
    void rewriteRow(int row, int type, double a, double b, double c, double d);
    void removeRow(int row);
    void clearRows();

private slots:
    void on_tableWidget_clicked(const QModelIndex& index);
    void on_btnDelete_clicked();
    void on_btnExportCSV_clicked();

private:
    void setCell(int row, int column, const QString& text);
    void retranslate();

    std::unique_ptr<Ui::Statistics> ui_;
    InteractiveScene* scene_;  // not owned; outlives the dialog (both belong to the window)
};
