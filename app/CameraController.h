// SPDX-License-Identifier: MIT
// The main window's control of the camera: selection, opening, start and pause, hot-plug, close.
#pragma once

#include <QObject>
#include <QString>
#include <cstdint>

class QAction;
class QComboBox;
class VideoPipeline;

// The widgets the controller drives; all owned by the main window.
struct CameraWidgets {
    QComboBox* cameraBox = nullptr;
    QComboBox* resolutionBox = nullptr;
    QAction* pauseAction = nullptr;          // "Pa&use"
    QAction* singleCaptureAction = nullptr;  // "Single Capture"
    QAction* openAction = nullptr;           // "Open"
};

// Runs on the GUI thread. Every failing API call becomes a toTable report (function name and
// last error) and the sequence goes on; events are reported with their numbers 18 to 22.
// Connects the camera box to deviceChange and the resolution box to resolutionChange itself,
// and listens to the driver's device-change notification for cameras plugged in and out.
class CameraController : public QObject {
    Q_OBJECT

public:
    CameraController(VideoPipeline& pipeline, const CameraWidgets& widgets,
                     QObject* parent = nullptr);
    ~CameraController() override;

    int cameraCount() const { return cameraCount_; }
    int currentResolutionIndex() const { return currentResolutionIndex_; }

    // The window's close: stops and joins every worker and frees the camera.
    void shutdown();

public slots:
    // Fills the camera box; true when at least one camera is attached.
    bool enumerateDevice();
    void deviceChange(int index);
    void resolutionChange(int index);
    void returnMaxReso();
    void streamVideo();
    void pauseVideo();
    // The reaction to a device change: compares the camera count with the last one.
    void devicesChanged();

signals:
    void toTable(QString type, int num_error);
    // A camera was opened: the dialogs that show camera state refresh themselves.
    void cameraOpened();
    // The current camera changed: its index once it is open, -1 while none is. Windows that
    // show camera values refresh on the index and disable their camera controls on -1.
    void cameraChanged(int index);
    // Video started or paused (timed shots follow these).
    void videoStarted();
    void videoPaused();
    // A resolution was set: the IO control re-applies the stored trigger mode.
    void resolutionApplied();
    // "ROI" was chosen: the settings dialog opens on its ROI page.
    void roiPageRequested();
    // The stored region of interest was applied at opening: the settings dialog shows it.
    void roiTakenOver(int x, int y, int width, int height);

private:
    void logFailure(const char* function);
    void logEvent(const char* text, int number);
    void connectResolutionBox();
    void disconnectResolutionBox();
    void clearQueueAndFree(bool logFreeFailure);
    void openCamera(int index);
    unsigned int storedParam(const char* key) const;
    void fillResolutionBox(int count);
    // Applies the stored ROI or resolution; returns the resolution box entry to select.
    int applyStoredResolution(int count);
    void setResolution(int index);

    VideoPipeline& pipeline_;
    CameraWidgets widgets_;
    int cameraCount_ = 0;
    int currentResolutionIndex_ = 0;
    bool shutDown_ = false;
    QMetaObject::Connection resolutionConnection_;
    uint64_t hotplugListener_ = 0;
};
