// SPDX-License-Identifier: MIT
// The recording thread: AVI files of the live stream, and the in-memory sequence store.
#pragma once

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace vidscope::record {
class AviWriter;
}

// One list of frames, newest first, serves two uses that never run at once:
// - while an AVI file is recorded it is the writer's queue: pushFrame() adds at the front,
//   the writer thread takes from the back, converts and writes, and the GUI thread never
//   waits for the disk (the file is opened and its first frame written on this thread too);
// - otherwise it is the sequence store: storeFrame() adds, and the frames stay until
//   clearFrames(), to be browsed, saved as pictures or as one AVI file.
// At most maxFrames() frames are held; a frame beyond that is refused, and during a
// recording counted in `dropped`.
//
// Frames are QImages laid over pooled buffers: a held image is the list's reference to its
// buffer, and dropping the image gives the reference back. Held images are only read.
//
// Thread-safety: all public functions may be called from any thread; signals are emitted
// from the writer thread (queued to receivers elsewhere), except captured(), which
// showFrame() emits on the caller's thread.
class AviThread : public QObject {
    Q_OBJECT

public:
    static constexpr int kDefaultMaxFrames = 100;

    enum class Offer {
        kQueued,
        kDropped,      // the queue held maxFrames frames; counted in `dropped`
        kSizeChanged,  // not the file's frame size or kind: the file is being finished
        kNotRecording,
    };

    struct StoredFrame {
        QImage image;
        qint64 timestamp = 0;  // ms since the epoch, when it was displayed
    };

    explicit AviThread(QObject* parent = nullptr);
    // Closing while a file is recorded ends it at once: frames still queued are dropped (and
    // counted), the index is written, and the file stays playable.
    ~AviThread() override;

    // Starts a file with `first` as its first frame (not counted in `total`). Refused (false)
    // while a recording runs or frames are stored. Opening and writing happen on the writer
    // thread; a failure there is reported by failed() and finished().
    bool startFile(const QString& path, const QImage& first, int fps);
    Offer pushFrame(const QImage& frame, double fps);
    // The file is finished once the queue is empty; finished() follows.
    void requestStop();
    // From startFile() until finished() has been emitted.
    bool isRecording() const;

    // The sequence store: false (frame not taken) when full or while a recording runs.
    bool storeFrame(const QImage& frame, qint64 timestamp, double fps);
    int frameCount() const;
    // Frame k, k = 0 the oldest; an empty frame outside the list.
    StoredFrame frameAt(int k) const;
    // Emits captured() with frame k (meta 1: the receiver must not give the buffer back).
    // Nothing outside 0 to frameCount() - 1.
    void showFrame(int k);
    void clearFrames();
    int maxFrames() const;
    void setMaxFrames(int n);

    // Saving the store, on the writer thread; progress() reports, and one of the saves runs
    // at a time (false when busy). Pictures are named 0, 1, ... oldest first, with the
    // extension of `type` (0 BMP, 1 JPEG, 2 PNG); sequenceSaved() follows. saveAvi() ends with
    // finished(frames written, frames refused) and, on an error, failed() before it.
    bool saveSequence(const QString& folder, int type, int quality);
    bool saveAvi(const QString& path);
    void cancelSave();
    bool isSaving() const;

    // CPU time the writer thread has used so far, in seconds (for measurements).
    double writerCpuSeconds() const;

    // Counters of the current (or last) recording.
    int total() const;
    int dropped() const;

signals:
    void finished(int total, int dropped);
    void captured(QImage img, unsigned char* buffer, qint64 timestamp, qint64 meta);
    // A recording or a save ended because of an error, in words for the message log.
    void failed(QString message);
    void progress(int done, int count);
    void sequenceSaved(int saved, QString error);

private:
    struct Start {
        QString path;
        QImage first;
        int fps = 1;
    };
    struct SaveJob {
        bool avi = false;
        QString target;
        int type = 0;
        int quality = 0;
    };

    void run();
    void beginFile(const Start& start);
    void writeQueued(std::unique_lock<std::mutex>& lock);
    void finishFile(std::unique_lock<std::mutex>& lock);
    void runSave(const SaveJob& job);
    std::vector<QImage> snapshotOldestFirst() const;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<StoredFrame> frames_;  // newest first
    int maxFrames_ = kDefaultMaxFrames;
    int total_ = 0;
    int dropped_ = 0;
    bool keepRecording_ = true;
    bool recording_ = false;  // startFile() until finished()
    bool quit_ = false;
    QSize fileSize_;  // of the file being recorded, and whether it is grey
    bool fileGrey_ = false;
    double storeFps_ = 1;
    std::optional<Start> pendingStart_;
    std::optional<SaveJob> pendingSave_;
    bool saving_ = false;
    std::atomic<bool> cancelSave_{false};

    // Writer thread only.
    std::unique_ptr<vidscope::record::AviWriter> writer_;

    std::thread thread_;  // last: started once everything above exists
};
