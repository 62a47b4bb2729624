// SPDX-License-Identifier: MIT
// "Single Capture": one frame taken while the video is paused, handed to the frame path.
#pragma once

#include <QObject>
#include <QString>

class FrameBufferPool;
class VideoPipeline;

// The frame is queried on the GUI thread, already converted to the application's format, into
// a pool buffer; the pipeline's process() then owns that buffer's reference (shows it, records
// it, or gives it back). A USB 3 camera stops streaming at a pause, so the stream runs for the
// one query and stops again; in trigger mode the query fires the software trigger itself.
class SingleCapture : public QObject {
    Q_OBJECT

public:
    explicit SingleCapture(VideoPipeline& pipeline, QObject* parent = nullptr);
    SingleCapture(VideoPipeline& pipeline, FrameBufferPool& pool, QObject* parent = nullptr);

    // One frame into the view; false (with the failure logged) when none came.
    bool capture();

signals:
    void toTable(QString type, int num_error);

private:
    void logFailure(const char* function);

    VideoPipeline& pipeline_;
    FrameBufferPool& pool_;
};
