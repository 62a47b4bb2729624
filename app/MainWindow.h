// SPDX-License-Identifier: MIT
// The top-level window: form, settings, view and scene, docks, and the controllers behind them.
#pragma once

#include <QImage>
#include <QMainWindow>
#include <QString>
#include <memory>

class QAction;
class QCloseEvent;
class QComboBox;
class QLabel;
class QTimer;

class AboutDialog;
class AppSettings;
class AviThread;
class CameraController;
class DiagnosticWindows;
class DockMessage;
class DockPreview;
class LanguageController;
class SingleCapture;
class SnapshotController;
class ImageView;
class SettingDialog;
class RecorderDlg;
class RecordingController;
class InteractiveScene;
class MeasureController;
class VideoPipeline;

namespace Ui {
class MainWindow;
}

// Owns every window, the settings file, the scene and the worker machinery. The camera side
// (enumeration, opening, start and pause, hot-plug, close) lives in CameraController and the
// road of a frame (queue, capture and processing threads, display, statistics) in
// VideoPipeline; both reach the widgets through the accessors below and report failures
// through toTable, which ends in the message log.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Widgets and objects the controllers drive.
    QComboBox* cameraBox() const { return cameraBox_; }
    QComboBox* resolutionBox() const { return resolutionBox_; }
    QAction* playAction() const;           // "&Play"
    QAction* pauseAction() const;          // "Pa&use"
    QAction* singleCaptureAction() const;  // "Single Capture"
    QAction* openAction() const;           // "Open"
    QLabel* usbLabel() const { return lblUsb_; }
    QLabel* statisticsLabel() const { return lblStatistics_; }
    QLabel* pixelLabel() const { return lblPixel_; }
    QLabel* captureLabel() const { return lblCapture_; }
    InteractiveScene* scene() const { return scene_; }
    MeasureController* measureController() const { return measure_; }
    ImageView* view() const;
    AppSettings& settings() const { return *settings_; }
    DockMessage* dockMessage() const { return dockMessage_; }
    DockPreview* dockPreview() const { return dockPreview_; }
    AboutDialog* aboutDialog() const { return aboutDialog_; }
    SnapshotController* snapshots() const { return snapshots_.get(); }
    CameraController* cameraController() const { return cameraController_.get(); }
    SettingDialog* settingDialog() const { return settingDialog_; }
    VideoPipeline* videoPipeline() const { return videoPipeline_.get(); }
    DiagnosticWindows* diagnostics() const { return diagnostics_; }
    AviThread* aviThread() const { return aviThread_.get(); }
    RecordingController* recordingController() const { return recordingController_.get(); }
    RecorderDlg* recorderDlg() const { return recorderDlg_; }

    // Current view scale; mirrored into the scene after every change.
    double zoomFactor() const;
    bool drawRoiState() const { return drawRoiState_; }
    // 2 while the Chinese translation is loaded, 1 for English.
    int languageState() const;

signals:
    // One line of the message log: an API function's name and the caller's last error, or an
    // event text with its number 18 to 22.
    void toTable(QString type, int num_error);
    // A region was picked on the image in region-pick mode (x, y even; width, height multiples
    // of 4): the settings dialog takes it into its ROI fields and applies it.
    void regionPicked(int x, int y, int width, int height);

public slots:
    void pauseVideo();
    void streamVideo();
    void setDrawROIState(bool draw);
    // Timed shots, switched by the settings dialog's "On Time Shot" group.
    void createShotTimer(int time, int unit, double scale);
    void shutdownShotTimer();
    void zoomIn();
    void zoomOut();
    void resetView();
    void switchLanguage();
    // Snapshots: "&Save", one given picture (listed in the preview dock), one timed shot.
    void saveImage();
    void saveImage(QImage& image);
    void saveImageDay(QImage& image);
    void onTimeSave();
    void aboutMe();
    void vidScopeHelp();

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void on_actionFit_Screen_triggered();
    void on_actionMeasure_On_Off_triggered();
    void on_actionLine_triggered();
    void on_actionArc_triggered();
    void on_actionRectangle_triggered();
    void on_actionCircle_triggered();
    void on_actionAxesX_X_triggered();
    void on_actionAxesY_Y_triggered();
    void on_actionSelect_triggered();
    void on_actionCoordinates_triggered();
    void on_actionPolygon_triggered();
    void on_actionCalibration_B_triggered();
    void on_actionProperty_triggered();
    void on_actionDetails_triggered();
    void on_actionLoad_triggered();
    void on_actionSave_triggered();
    void on_actionReconnect_triggered();
    void on_actionErase_U3_Firmware_triggered();
    void on_actionReset_Camera_triggered();
    void on_actionMessage_triggered(bool checked);
    void on_actionPreview_triggered(bool checked);
    void on_actionSingle_Capture_triggered();
    void on_actionOpen_triggered();
    void closeInterface(int object);

private:
    void buildStatusBar();
    void buildToolBarBoxes();
    void buildDocks();
    void buildSettingDialog();
    void connectSettingDialogToCamera();
    void connectActions();
    void connectPipeline();
    void buildPictureParts();
    void startTimedShots();
    void buildRecording();
    void connectMeasurement();
    void applyFeatureSwitches();
    void logFailure(const char* function);

    std::unique_ptr<Ui::MainWindow> ui_;
    std::unique_ptr<AppSettings> settings_;
    InteractiveScene* scene_ = nullptr;     // owned by this window (QObject parent)
    MeasureController* measure_ = nullptr;  // owned by this window (QObject parent)
    DockMessage* dockMessage_ = nullptr;
    SettingDialog* settingDialog_ = nullptr;  // owned by this window (QObject parent)
    QComboBox* cameraBox_ = nullptr;
    QComboBox* resolutionBox_ = nullptr;
    QLabel* lblUsb_ = nullptr;
    QLabel* lblStatistics_ = nullptr;
    QLabel* lblPixel_ = nullptr;
    QLabel* lblCapture_ = nullptr;
    RecorderDlg* recorderDlg_ = nullptr;  // owned by this window (QObject parent)
    bool drawRoiState_ = false;
    DockPreview* dockPreview_ = nullptr;
    AboutDialog* aboutDialog_ = nullptr;
    std::unique_ptr<LanguageController> language_;

    // Outlives the pipeline that hands it frames; its destruction ends a file in progress.
    std::unique_ptr<AviThread> aviThread_;
    // Declared last so that they are destroyed first, while the widgets they drive still exist.
    std::unique_ptr<VideoPipeline> videoPipeline_;
    std::unique_ptr<CameraController> cameraController_;
    DiagnosticWindows* diagnostics_ = nullptr;  // owned by this window (QObject parent)
    // After the pipeline, so that they go before it: both hand pictures to it.
    std::unique_ptr<SnapshotController> snapshots_;
    std::unique_ptr<SingleCapture> singleCapture_;
    std::unique_ptr<RecordingController> recordingController_;
};
