// SPDX-License-Identifier: MIT
// The recording thread: AVI files of the live stream, and the in-memory sequence store.
#include "AviThread.h"

#include <pthread.h>

#include <QDateTime>
#include <QFile>
#include <ctime>

#include "AviWriter.h"
#include "FrameImage.h"
#include "SequenceExport.h"
#include "base/LogCategory.h"
#include "base/ThreadHandOver.h"

namespace {
VIDSCOPE_LOG_CATEGORY(recordLog, "record.thread")
constexpr qint64 kDoNotFree = 1;  // bit 0 of `meta`
}  // namespace

using vidscope::record::AviWriter;

AviThread::AviThread(QObject* parent) : QObject(parent) {
    thread_ = std::thread([this] { run(); });
}

AviThread::~AviThread() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
        cancelSave_.store(true);
    }
    wake_.notify_all();
    thread_.join();
}

bool AviThread::startFile(const QString& path, const QImage& first, int fps) {
    {
        std::lock_guard lock(mutex_);
        if (recording_ || saving_ || !frames_.empty() || first.isNull())
            return false;
        recording_ = true;
        keepRecording_ = true;
        total_ = 0;
        dropped_ = 0;
        fileSize_ = first.size();
        fileGrey_ = vidscope::record::isGreyFrame(first);
        pendingStart_ = Start{path, first, std::max(fps, 1)};
    }
    wake_.notify_all();
    return true;
}

AviThread::Offer AviThread::pushFrame(const QImage& frame, double /*fps*/) {
    {
        std::lock_guard lock(mutex_);
        if (!recording_ || !keepRecording_)
            return Offer::kNotRecording;
        if (frame.size() != fileSize_ || vidscope::record::isGreyFrame(frame) != fileGrey_) {
            keepRecording_ = false;  // a file holds one frame size: this one ends here
            return Offer::kSizeChanged;
        }
        ++total_;
        if (int(frames_.size()) >= maxFrames_) {
            ++dropped_;
            return Offer::kDropped;
        }
        frames_.push_front({frame, 0});
    }
    wake_.notify_all();
    return Offer::kQueued;
}

void AviThread::requestStop() {
    {
        std::lock_guard lock(mutex_);
        keepRecording_ = false;
    }
    wake_.notify_all();
}

bool AviThread::isRecording() const {
    std::lock_guard lock(mutex_);
    return recording_;
}

bool AviThread::storeFrame(const QImage& frame, qint64 timestamp, double fps) {
    std::lock_guard lock(mutex_);
    if (recording_ || saving_ || int(frames_.size()) >= maxFrames_)
        return false;
    frames_.push_front({frame, timestamp});
    storeFps_ = fps;
    return true;
}

int AviThread::frameCount() const {
    std::lock_guard lock(mutex_);
    return int(frames_.size());
}

AviThread::StoredFrame AviThread::frameAt(int k) const {
    std::lock_guard lock(mutex_);
    const int count = int(frames_.size());
    if (k < 0 || k >= count)
        return {};
    return frames_[std::size_t(count - 1 - k)];
}

void AviThread::showFrame(int k) {
    // Copied out under the lock and emitted after it: the receiver may call back in.
    const StoredFrame frame = frameAt(k);
    if (frame.image.isNull())
        return;
    emit captured(frame.image, const_cast<unsigned char*>(frame.image.constBits()),
                  QDateTime::currentMSecsSinceEpoch(), kDoNotFree);
}

void AviThread::clearFrames() {
    std::deque<StoredFrame> released;
    {
        std::lock_guard lock(mutex_);
        if (recording_ || saving_)
            return;
        released.swap(frames_);
        total_ = 0;
        dropped_ = 0;
    }
    // The images, and so the pool references, go here, outside the lock.
}

int AviThread::maxFrames() const {
    std::lock_guard lock(mutex_);
    return maxFrames_;
}

void AviThread::setMaxFrames(int n) {
    std::lock_guard lock(mutex_);
    maxFrames_ = std::max(n, 1);
}

int AviThread::total() const {
    std::lock_guard lock(mutex_);
    return total_;
}

int AviThread::dropped() const {
    std::lock_guard lock(mutex_);
    return dropped_;
}

double AviThread::writerCpuSeconds() const {
    clockid_t clock{};
    timespec used{};
    if (pthread_getcpuclockid(const_cast<std::thread&>(thread_).native_handle(), &clock) != 0 ||
        clock_gettime(clock, &used) != 0)
        return 0;
    return double(used.tv_sec) + double(used.tv_nsec) * 1e-9;
}

bool AviThread::saveSequence(const QString& folder, int type, int quality) {
    {
        std::lock_guard lock(mutex_);
        if (recording_ || saving_)
            return false;
        saving_ = true;
        cancelSave_.store(false);
        pendingSave_ = SaveJob{false, folder, type, quality};
    }
    wake_.notify_all();
    return true;
}

bool AviThread::saveAvi(const QString& path) {
    {
        std::lock_guard lock(mutex_);
        if (recording_ || saving_)
            return false;
        saving_ = true;
        cancelSave_.store(false);
        pendingSave_ = SaveJob{true, path, 0, 0};
    }
    wake_.notify_all();
    return true;
}

void AviThread::cancelSave() {
    cancelSave_.store(true);
}

bool AviThread::isSaving() const {
    std::lock_guard lock(mutex_);
    return saving_;
}

std::vector<QImage> AviThread::snapshotOldestFirst() const {
    std::lock_guard lock(mutex_);
    std::vector<QImage> images;
    images.reserve(frames_.size());
    for (auto it = frames_.rbegin(); it != frames_.rend(); ++it)
        images.push_back(it->image);
    return images;
}

void AviThread::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] {
            return quit_ || pendingStart_ || pendingSave_ ||
                   (writer_ && (!frames_.empty() || !keepRecording_));
        });
        if (quit_)
            break;
        if (pendingStart_) {
            const Start start = std::move(*pendingStart_);
            pendingStart_.reset();
            lock.unlock();
            beginFile(start);
            lock.lock();
        } else if (pendingSave_) {
            const SaveJob job = *pendingSave_;
            pendingSave_.reset();
            lock.unlock();
            runSave(job);
            lock.lock();
            saving_ = false;
        } else if (!frames_.empty()) {
            writeQueued(lock);
        } else {
            finishFile(lock);
        }
    }
    if (writer_) {
        dropped_ += int(frames_.size());
        VS_LOG(recordLog(), Warning) << "closing during a recording: " << frames_.size()
                                     << " queued frames dropped, file ended";
        frames_.clear();
        lock.unlock();
        writer_->close();
        writer_.reset();
    }
}

void AviThread::beginFile(const Start& start) {
    std::string error;
    writer_ = AviWriter::open(QFile::encodeName(start.path).toStdString(), start.fps, &error);
    if (writer_) {
        QImage scratch;
        const auto status =
            writer_->writeFrame(vidscope::record::frameViewOf(start.first, scratch));
        vidscope::base::handOver(start.first.constBits());
        if (status != AviWriter::Status::kOk) {
            error =
                writer_->errorText().empty() ? AviWriter::statusText(status) : writer_->errorText();
            writer_->close();  // leaves no file: it holds no frame
            writer_.reset();
        }
    }
    if (writer_)
        return;
    std::unique_lock lock(mutex_);
    dropped_ += int(frames_.size());  // queued meanwhile, never to be written
    frames_.clear();
    const int total = total_;
    const int dropped = dropped_;
    recording_ = false;
    keepRecording_ = true;
    total_ = dropped_ = 0;
    lock.unlock();
    emit failed(tr("Recording not started: %1").arg(QString::fromLocal8Bit(error.c_str())));
    emit finished(total, dropped);
}

void AviThread::writeQueued(std::unique_lock<std::mutex>& lock) {
    const QImage frame = std::move(frames_.back().image);
    frames_.pop_back();
    lock.unlock();
    QImage scratch;
    const auto status = writer_->writeFrame(vidscope::record::frameViewOf(frame, scratch));
    // This copy may be the last of a pooled frame, whose buffer is then written again.
    vidscope::base::handOver(frame.constBits());
    lock.lock();
    if (status == AviWriter::Status::kOk)
        return;
    // The file ends at the last good frame; everything not in it counts as dropped, so that
    // total - dropped + 1 is still the number of frames in the file.
    dropped_ += 1 + int(frames_.size());
    frames_.clear();
    keepRecording_ = false;
    const std::string reason =
        writer_->errorText().empty() ? AviWriter::statusText(status) : writer_->errorText();
    lock.unlock();
    emit failed(tr("Recording stopped: %1").arg(QString::fromLocal8Bit(reason.c_str())));
    lock.lock();
}

void AviThread::finishFile(std::unique_lock<std::mutex>& lock) {
    lock.unlock();
    const bool closed = writer_->close();
    const std::string reason = writer_->errorText();
    const bool failedBefore = writer_->failed();
    writer_.reset();
    lock.lock();
    const int total = total_;
    const int dropped = dropped_;
    total_ = dropped_ = 0;
    keepRecording_ = true;
    recording_ = false;
    lock.unlock();
    if (!closed && !failedBefore)
        emit failed(tr("Recording not finished: %1").arg(QString::fromLocal8Bit(reason.c_str())));
    emit finished(total, dropped);
    lock.lock();
}

void AviThread::runSave(const SaveJob& job) {
    const std::vector<QImage> images = snapshotOldestFirst();
    auto onProgress = [this](int done, int count) { emit progress(done, count); };
    if (job.avi) {
        double fps = 1;
        {
            std::lock_guard lock(mutex_);
            fps = storeFps_;
        }
        const SequenceExport::AviResult result =
            SequenceExport::writeAvi(job.target, images, int(fps), onProgress, cancelSave_);
        if (!result.error.isEmpty())
            emit failed(result.error);
        emit finished(result.written, result.refused);
    } else {
        const SequenceExport::PictureResult result = SequenceExport::writePictures(
            job.target, images, job.type, job.quality, onProgress, cancelSave_);
        emit sequenceSaved(result.saved, result.error);
    }
    for (const QImage& image : images)
        vidscope::base::handOver(image.constBits());
}
