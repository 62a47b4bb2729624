// SPDX-License-Identifier: MIT
// The scene of the main view: the picture, the measurement marks drawn over it, and the tools.
#pragma once

#include <QGraphicsScene>
#include <QList>
#include <QPointF>
#include <QString>
#include <functional>

class Mark;
class QGraphicsEllipseItem;

// Turns presses, moves and keys into marks: creates the mark of the current tool, feeds it
// clicks until it is complete, selects, moves and deletes marks, and picks a region for the
// settings dialog. Finished marks are kept in creation order; entry i of marks() and row i of
// the statistics table always name the same mark, which is why every change of the list
// announces the matching row change.
//
// Ownership: every mark and handle is a scene item owned by this scene from the moment it is
// added; the picture item is added and owned by the video side. The scene reports to its
// window through signals only.
class InteractiveScene : public QGraphicsScene {
    Q_OBJECT

public:
    enum ToolMode {
        kNone = 0,
        kLine = 1,
        kCircle = 2,
        kRectangle = 3,
        kArc = 4,
        kAxisY = 5,
        kAxisX = 6,
        kSelect = 7,
        kCoordinates = 8,
        kPolygon = 9,
    };
    static constexpr double kMarkZ = 5.0;
    static constexpr double kZoomStep = 1.2;

    explicit InteractiveScene(QObject* parent = nullptr);
    ~InteractiveScene() override;

    int toolMode() const { return toolMode_; }
    void setToolMode(int mode);
    Mark* currentMark() const { return currentMark_; }
    void clearCurrentMark();
    void clearHandles();
    // Removes every finished mark and handle; the statistics rows are the caller's.
    void clearAllMarks();
    void removeMarkAt(int index);

    const QList<Mark*>& marks() const { return marks_; }
    int markCount() const { return static_cast<int>(marks_.size()); }
    Mark* selectedMark() const { return selectedMark_; }
    int selectedIndex() const { return selectedIndex_; }
    // Selects the mark at `index` as the select tool would and shows its handles.
    void selectMarkAt(int index);
    const QList<QGraphicsEllipseItem*>& handles() const { return handles_; }

    double calibrationFactor() const { return calibrationFactor_; }
    void setCalibrationFactor(double factor);
    // 0 centimetre, 1 millimetre, anything else micrometre.
    int unit() const { return unit_; }
    void setUnit(int unit);
    QString unitText() const;
    QString areaUnitText() const;
    double zoomFactor() const { return zoomFactor_; }
    void setZoomFactor(double zoom) { zoomFactor_ = zoom; }

    // Region-pick mode as the window holds it; read into roiPick() at every press.
    void setDrawRoiState(bool draw) { drawRoiState_ = draw; }
    bool drawRoiState() const { return drawRoiState_; }
    bool roiPick() const { return roiPick_; }

    // Marks report their row on completion; the values are physical already.
    void pushStatistics(int type, double baseX, double baseY, double secondX, double secondY,
                        double result1, double result2);
    // Rewrites the coordinate cells of a row from pixel values.
    void updateStatistics(int row, int type, int a, int b, int c, int d);

    // The mark file "./mark.txt" (or another path, for tests). Saving skips disabled marks;
    // loading replaces every mark and asks the window to clear every row first. Returns false
    // with a reason in `error` when the file cannot be written or is refused.
    bool saveMarks(QString* error = nullptr) const;
    bool loadMarks(QString* error = nullptr);
    void setMarkFileName(const QString& fileName) { markFileName_ = fileName; }
    QString markFileName() const { return markFileName_; }

signals:
    void pixelPressed(QPointF scenePos);
    void statisticsRowAdded(int type, double baseX, double baseY, double secondX, double secondY,
                            double result1, double result2);
    void statisticsRowUpdated(int row, int type, double a, double b, double c, double d);
    void statisticsRowRemoved(int row);
    void statisticsCleared();
    void markSelected();
    void coordinatePointPlaced();
    void regionPicked(int x, int y, int width, int height);
    void zoomInRequested();
    void zoomOutRequested();

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool pressInRegionPick(QGraphicsSceneMouseEvent* event);
    void pressWithTool(QGraphicsSceneMouseEvent* event);
    void startOrFeed(QGraphicsSceneMouseEvent* event, bool repaintAll);
    void placeOneClickMark(QGraphicsSceneMouseEvent* event);
    void selectAt(QPointF point);
    void showHandles(const Mark& mark);
    void moveSelected(int key);
    void deleteSelected();
    Mark* createMark(int mode);
    void adoptMark(Mark* mark);
    void destroy(QGraphicsItem* item);
    void repaintAll();

    int toolMode_ = kNone;
    Mark* currentMark_ = nullptr;
    QList<QGraphicsEllipseItem*> handles_;
    double calibrationFactor_ = 1.0;
    int unit_ = 0;
    double zoomFactor_ = 1.0;
    int selectedIndex_ = -1;
    bool roiPick_ = false;
    bool drawRoiState_ = false;
    Mark* selectedMark_ = nullptr;
    QList<Mark*> marks_;
    QString markFileName_ = QStringLiteral("./mark.txt");
};
