// SPDX-License-Identifier: MIT
// The main window's side of recording: the capture actions, lblCapture, and handing frames over.
#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <functional>

class AppSettings;
class AviThread;
class QAction;
class QLabel;
class QWidget;
class VideoPipeline;

struct RecordingWidgets {
    QWidget* window = nullptr;       // parent of the warning boxes
    QAction* startAction = nullptr;  // "Start Capture Video"
    QAction* stopAction = nullptr;   // "Stop Capture"
    QAction* pauseAction = nullptr;  // "Pa&use": enabled exactly while the video streams
    QLabel* captureLabel = nullptr;  // lblCapture
};

// GUI thread only. Every displayed live frame passes through frameShown(): the first frame
// after "Start Capture Video" starts a file named "File/Path"/yyyyMMddhhmmss.avi, later ones are
// queued to the writer thread, and while the sequence recorder records they go to its store.
// Played-back frames (meta bit 0) are never recorded again. AVI recording and sequence
// recording exclude each other: each refuses to start while the other holds frames.
class RecordingController : public QObject {
    Q_OBJECT

public:
    RecordingController(AviThread& thread, VideoPipeline& pipeline, AppSettings& settings,
                        const RecordingWidgets& widgets, QObject* parent = nullptr);

    // How the video is paused and resumed (the main window's pauseVideo and streamVideo).
    void setVideoControl(std::function<void()> pause, std::function<void()> stream);
    void pauseVideo();
    // Pauses only a running video, so that browsing does not log a stop per frame.
    void pauseIfStreaming();
    void streamVideo();

    AppSettings& settings() const { return settings_; }
    bool aviCapturing() const { return aviCapturing_; }
    bool newAviFile() const { return newAviFile_; }
    bool sequenceRecording() const { return sequenceRecording_; }
    void setSequenceRecording(bool on) { sequenceRecording_ = on; }
    // Whether "Feature/AviCapture" allows recording at all.
    void setCaptureAllowed(bool allowed);

public slots:
    void startCapture();  // "Start Capture Video"
    void stopCapture();   // "Stop Capture"
    void frameShown(QImage img, qint64 meta);
    void captureFinished(int total, int dropped);
    void recordingFailed(QString message);
    // The camera went away (index -1): a recording in progress ends.
    void cameraChanged(int index);

signals:
    // A line for the message log: what happened to a recording.
    void note(QString text);
    // Geometry of the displayed image (bytes per pixel 3 for colour, 1 for grey).
    void imageGeometry(int width, int height, int bytesPerPixel);
    // A frame was offered to the sequence store.
    void sequenceOffered();

private:
    void endCapture(const QString& reason);
    void setIdleActions();

    AviThread& thread_;
    VideoPipeline& pipeline_;
    AppSettings& settings_;
    RecordingWidgets widgets_;
    std::function<void()> pause_;
    std::function<void()> stream_;
    bool captureAllowed_ = true;
    bool aviCapturing_ = false;
    bool newAviFile_ = false;
    bool sequenceRecording_ = false;
    QString failure_;  // why the current recording ended early, if it did
};
