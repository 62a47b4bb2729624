// SPDX-License-Identifier: MIT
// "Image Histogram": statistics of a still of the live picture, the pixel inspector, dead pixels.
#pragma once

#include <QDialog>
#include <QImage>
#include <QModelIndex>
#include <QPoint>
#include <QString>
#include <memory>

#include "GrayStatistics.h"

class AppSettings;
class DeadPixelEditor;
class QKeyEvent;
class QMouseEvent;

namespace Ui {
class Histogram;
}

// Created once by the main window and shown on demand. setImage() takes a private copy of the
// displayed picture, so the live video goes on while the still is inspected. The inspected
// position is kept one-based: a press on image pixel (x, y) inspects (x - 1, y - 1), and the
// arrow keys move that position one pixel at a time.
class Histogram : public QDialog {
    Q_OBJECT

public:
    Histogram(AppSettings& settings, QWidget* parent = nullptr);
    ~Histogram() override;

    void setImage(const QImage& image);
    // Fills the statistics and the histogram picture, then shows the dialog.
    void computeHistogram();

    const QImage& image() const { return image_; }
    const GrayStatistics& statistics() const { return statistics_; }
    QPoint position() const { return position_; }
    DeadPixelEditor& deadPixels() const { return *editor_; }
    // Shows pixel (x, y) in the inspector: texts and magnifier.
    void showPixel(int x, int y);

signals:
    void toTable(QString type, int num_error);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private slots:
    void on_btnSaveDeadPixel_clicked();
    void on_btnWEEPROM_clicked();
    void on_btnClearEEPROM_clicked();
    void on_btnAutoFound_clicked();
    void on_ClearDeadPixel_clicked();
    void on_listWidget_clicked(QModelIndex index);

private:
    void inspectAt(QPoint dialogPos);
    void showPosition();
    bool inImage(QPoint pixel) const { return image_.valid(pixel); }

    std::unique_ptr<Ui::Histogram> ui_;
    std::unique_ptr<DeadPixelEditor> editor_;
    QImage image_;
    GrayStatistics statistics_;
    QPoint position_{0, 0};
    // "Save Position" takes only a pixel picked on the image, not one shown from the list.
    bool pickedOnImage_ = false;
};
