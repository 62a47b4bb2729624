// SPDX-License-Identifier: MIT
// Snapshots on demand, in trigger mode and on a schedule: what is saved, where it is listed.
#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <functional>

#include "Clock.h"
#include "ShotScheduler.h"
#include "SnapshotWriter.h"

class AppSettings;
class DockPreview;
class QGraphicsScene;
class QWidget;
class VideoPipeline;

// Takes the pictures out of the live view. A snapshot is listed in the preview dock; a timed
// shot goes to its day folder unlisted. An empty target folder asks the operator to choose
// one; any other failed write becomes one line of the message log (through logNote), never a
// box, because it may happen at every frame in trigger mode.
class SnapshotController : public QObject {
    Q_OBJECT

public:
    using MarkCount = std::function<int()>;

    SnapshotController(AppSettings& settings, VideoPipeline& pipeline, QGraphicsScene& scene,
                       MarkCount markCount, DockPreview& preview, QWidget* promptParent,
                       Clock clock = systemNow);

    // "&Save": the scene rendered with its marks when there are any, else the displayed
    // picture (8-bit indexed grey for the RAW8 and GRAY8 formats). Nothing before a first frame.
    void saveDisplayed();
    // The picture saveDisplayed() would write; null before a first frame.
    QImage displayedSnapshot() const;
    // One snapshot: written under the current time and listed in the preview dock.
    void saveSnapshot(const QImage& image);
    // One timed shot into the day folder.
    void saveTimedShot(const QImage& image);

    ShotScheduler& scheduler() { return scheduler_; }

public slots:
    // A mark of the schedule came: the displayed picture, scaled to `scale` of its width.
    void takeTimedShot(double scale);

signals:
    // A picture that was not saved, with the reason (text, reporting function).
    void logNote(QString text, QString source);

private:
    bool report(const SnapshotWriter::Result& result, const char* source);
    QImage renderScene(const QImage& picture) const;

    AppSettings& settings_;
    VideoPipeline& pipeline_;
    QGraphicsScene& scene_;
    MarkCount markCount_;
    DockPreview& preview_;
    QWidget* promptParent_;
    SnapshotWriter writer_;
    ShotScheduler scheduler_;
};
