// SPDX-License-Identifier: MIT
// The preview dock: the snapshots taken since start, newest first, with thumbnails.
#pragma once

#include <QDockWidget>
#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <memory>

class QMenu;
class QTableWidget;

namespace Ui {
class DockPreview;
}

// One row per snapshot: a thumbnail and the full file name. A click selects a row for the
// context menu ("View the picutre", "Open the file location...", "Remove"); a double click
// views it. Removing a row never touches the file. Only the thumbnail is kept, never the
// picture itself.
class DockPreview : public QDockWidget {
    Q_OBJECT

public:
    static constexpr int kRowHeight = 60;
    static constexpr int kThumbnailWidth = 70;

    explicit DockPreview(QWidget* parent = nullptr);
    ~DockPreview() override;

    // Lists a new snapshot at the top.
    void addPicture(const QString& fileName, const QImage& image);

    QTableWidget* table() const;
    int selectedRow() const { return selectedRow_; }
    QString fileName(int row) const;
    // The context menu last shown, null before the first.
    QMenu* contextMenu() const;
    void retranslate();

signals:
    void CloseDockPreview(int object);
    // A row's file is gone (deleted or moved since the snapshot): a line for the message log.
    void fileMissing(QString text);

private slots:
    void on_tablePicture_cellClicked(int row, int column);
    void openLocation();
    void deletePicture();
    void viewPicture();
    void on_tablePicture_customContextMenuRequested(QPoint pos);
    void on_tablePicture_cellDoubleClicked(int row, int column);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The selected row's file when it still exists; empty (and reported) otherwise.
    QString selectedExistingFile();

    std::unique_ptr<Ui::DockPreview> ui_;
    int selectedRow_ = -1;
    QPointer<QMenu> menu_;
};
