// SPDX-License-Identifier: MIT
// The --measure run: counts a stretch of live video and prints where the frames went.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class VideoPipeline;

// Counts from construction for `seconds`, then prints one report line to standard output and
// quits the application. The camera-side counts come from the open camera's virtual firmware
// (the only place that knows what the camera sent); with real cameras they read 0. Construct
// it while the video is paused and its frames given back, then start: every frame counted is
// then one the camera made after the count began.
class LiveMeasurement : public QObject {
    Q_OBJECT

public:
    struct Counts {
        long long cameraSent = 0;    // frames the camera put on the bus in full
        long long cameraUnread = 0;  // frames it made while the host queued no transfer
        long long captured = 0;      // frames the API delivered to the capture thread
        long long displayed = 0;
        long long queueDrops = 0;
        long long staleDrops = 0;
        long long buffersAllocated = 0;  // fresh frame buffers; reuse keeps this flat
    };

    LiveMeasurement(VideoPipeline& pipeline, int seconds, QObject* parent = nullptr);

    Counts elapsedCounts() const;
    static QString report(int seconds, const Counts& counts);

private:
    Counts now() const;
    void finish();

    VideoPipeline& pipeline_;
    const int seconds_;
    Counts start_;
    QTimer timer_;
};
