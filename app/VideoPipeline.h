// SPDX-License-Identifier: MIT
// The road of a frame: frame queue, capture and processing threads, display and statistics.
#pragma once

#include <QDateTime>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <memory>

#include "FrameQueue.h"

class AppSettings;
class CaptureThread;
class FrameBufferPool;
class IspThread;
class LiveImageItem;
class QGraphicsScene;

// Owns the queue and the three worker threads. The processing threads start at construction,
// the capture thread at the first startStreaming(). process() shows each fresh frame in the
// scene (under the marks) and counts it; a one-second timer turns the counts into the status
// texts. Everything here runs on the GUI thread except the workers themselves.
class VideoPipeline : public QObject {
    Q_OBJECT

public:
    static constexpr qint64 kStaleAfterMs = 500;

    VideoPipeline(AppSettings& settings, QGraphicsScene& scene, QObject* parent = nullptr);
    // Stops and joins every thread still running and gives back every queued buffer.
    ~VideoPipeline() override;

    // Starts the capture thread if needed and resumes all three workers.
    void startStreaming();
    // Pauses all three; returns only when no conversion is running. Queued frames stay.
    void pauseStreaming();
    // Gives back the buffer of every frame still waiting.
    void clearQueue();
    // Call after pauseStreaming() and before the camera is freed: ends a frame wait of the
    // capture thread and returns once that thread is outside the camera API, so that freeing
    // the camera never overlaps one of its calls.
    void releaseCamera();
    // The start of a new run: rate and counters from zero, elapsed time from now.
    void restartStatistics();
    // Closing: every worker told to quit; the processing threads are joined, and the capture
    // thread, whose frame wait is ended, too. The camera may be freed afterwards.
    void stopWorkers();

    // The next captured raw frame goes to "File/Path" as a ".raw" file.
    void saveNextRawFrame();

    // The item showing the live picture, null before the first frame.
    LiveImageItem* liveItem() const;
    QImage displayedImage() const;
    bool isCaptureStarted() const;
    // Whether any of the three worker threads still runs.
    bool anyWorkerRunning() const;

    // Totals since construction, for measurements.
    long long capturedFrames() const;
    long long displayedFrames() const { return displayedTotal_; }
    long long queueDrops() const { return queue_.droppedTotal(); }
    long long staleDrops() const { return staleTotal_; }
    double averageFps() const { return averageFps_; }
    FrameQueue& queue() { return queue_; }

public slots:
    void process(QImage img, unsigned char* buffer, qint64 timestamp, qint64 meta);
    void updateFps();
    // The readout of the pixel under a mouse press at scene position (x, y).
    void readPixel(double x, double y);

signals:
    void usbTextChanged(QString text);
    void statisticsTextChanged(QString text);
    void pixelTextChanged(QString text);
    // A failed API call (function name, last error), for the message log.
    void toTable(QString type, int num_error);
    // The first picture is in the scene: the place to load the saved marks over it.
    void firstImageShown();
    // A frame was shown while the camera is in trigger mode and trigger snapshots are on.
    void triggerFrameShown(QImage img);
    // Every frame shown, with its `meta`, before the pipeline gives its buffer reference
    // back: a receiver that keeps the image (recording) keeps the buffer alive through it.
    void frameShown(QImage img, qint64 meta);

private:
    void show(const QImage& img);
    void release(unsigned char* buffer, qint64 meta);

    AppSettings& settings_;
    QGraphicsScene& scene_;
    FrameBufferPool& pool_;
    FrameQueue queue_;
    std::unique_ptr<CaptureThread> capture_;
    std::unique_ptr<IspThread> isp1_;
    std::unique_ptr<IspThread> isp2_;
    QPointer<LiveImageItem> item_;
    QTimer fpsTimer_;

    int framesThisSecond_ = 0;
    double averageFps_ = 0;
    QDateTime startTime_ = QDateTime::currentDateTime();
    long long displayedTotal_ = 0;
    long long staleTotal_ = 0;
};
