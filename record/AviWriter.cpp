// SPDX-License-Identifier: MIT
// One uncompressed AVI file written with libavformat: top-down DIB frames, BGR24 or grey.
#include "AviWriter.h"

extern "C" {
#include <libavcodec/packet.h>
#include <libavformat/avformat.h>
#include <libavutil/mem.h>
}

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <mutex>

#include "base/LogCategory.h"

namespace vidscope::record {

VIDSCOPE_LOG_CATEGORY(aviLog, "record.avi")

namespace {

constexpr int kIoBufferSize = 64 * 1024;
constexpr int kPaletteEntries = 256;
// Room kept free after each frame for what close() still has to write: the index entries
// (idx1 and OpenDML ix, 16 + 8 bytes a frame), the super index and the patched headers.
constexpr std::int64_t kIndexBytesPerFrame = 32;
constexpr std::int64_t kIndexFixedBytes = 1 << 20;
// Space is reserved this far ahead, so that one fallocate serves many frames.
constexpr std::int64_t kReserveAhead = 64 << 20;
constexpr std::int64_t kChunkHeaderBytes = 8;

int paddedStride(int width, int bytesPerPixel) {
    return (width * bytesPerPixel + 3) & ~3;
}

int bytesPerPixelOf(PixelLayout layout) {
    switch (layout) {
        case PixelLayout::kBgrx32:
            return 4;
        case PixelLayout::kRgb24:
            return 3;
        case PixelLayout::kGray8:
            return 1;
    }
    return 0;
}

bool isColour(PixelLayout layout) {
    return layout != PixelLayout::kGray8;
}

std::string avError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

// A file size limit (ulimit -f) would otherwise end the whole program with SIGXFSZ at the
// write that crosses it; ignored, the write fails with EFBIG and the recording ends cleanly.
void ignoreFileSizeSignal() {
    static std::once_flag once;
    std::call_once(once, [] { std::signal(SIGXFSZ, SIG_IGN); });
}

static_assert(std::endian::native == std::endian::little, "pixel words are read little-endian");

void convertRow(const unsigned char* src, unsigned char* dst, int width, PixelLayout layout) {
    switch (layout) {
        case PixelLayout::kBgrx32: {
            // Four pixels (16 bytes) become three words: the per-byte loop was the writer's
            // main cost on large frames.
            int x = 0;
            for (; x + 4 <= width; x += 4, src += 16, dst += 12) {
                std::uint32_t p[4];
                std::memcpy(p, src, sizeof p);
                const std::uint32_t out[3] = {(p[0] & 0xFFFFFFu) | (p[1] << 24),
                                              ((p[1] >> 8) & 0xFFFFu) | (p[2] << 16),
                                              ((p[2] >> 16) & 0xFFu) | (p[3] << 8)};
                std::memcpy(dst, out, sizeof out);
            }
            for (; x < width; ++x, src += 4, dst += 3) {
                dst[0] = src[0];
                dst[1] = src[1];
                dst[2] = src[2];
            }
            break;
        }
        case PixelLayout::kRgb24:
            for (int x = 0; x < width; ++x, src += 3, dst += 3) {
                dst[0] = src[2];
                dst[1] = src[1];
                dst[2] = src[0];
            }
            break;
        case PixelLayout::kGray8:
            std::memcpy(dst, src, std::size_t(width));
            break;
    }
}

}  // namespace

std::unique_ptr<AviWriter> AviWriter::open(const std::string& path, int fps, std::string* error) {
    ignoreFileSizeSignal();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        const int code = errno;
        if (error)
            *error = "cannot create " + path + ": " + std::strerror(code);
        VS_LOG(aviLog(), Warning) << "cannot create " << path << ": " << std::strerror(code);
        return nullptr;
    }
    return std::unique_ptr<AviWriter>(new AviWriter(fd, path, std::max(fps, 1)));
}

AviWriter::AviWriter(int fd, std::string path, int fps)
    : fd_(fd), path_(std::move(path)), fps_(fps) {}

AviWriter::~AviWriter() {
    close();
}

const char* AviWriter::statusText(Status status) {
    switch (status) {
        case Status::kOk:
            return "ok";
        case Status::kNoFile:
            return "no open file";
        case Status::kBadFrame:
            return "not a usable frame";
        case Status::kSizeMismatch:
            return "frame size differs from the file's";
        case Status::kFailedBefore:
            return "an earlier write failed";
        case Status::kWriteFailed:
            return "write failed";
        case Status::kMuxerFailed:
            return "the AVI muxer refused the stream";
    }
    return "unknown";
}

AviWriter::Status AviWriter::fail(Status status, const std::string& text) {
    if (!failed_) {
        failed_ = true;
        errorText_ = text;
        VS_LOG(aviLog(), Warning) << path_ << ": " << text;
    }
    return status;
}

AviWriter::Status AviWriter::begin(const FrameView& frame) {
    width_ = frame.width;
    height_ = frame.height;
    colour_ = isColour(frame.layout);
    stride_ = paddedStride(width_, colour_ ? 3 : 1);
    packed_.assign(frameBytes(), 0);  // padding bytes stay zero for good

    if (avformat_alloc_output_context2(&format_, nullptr, "avi", nullptr) < 0 || !format_)
        return fail(Status::kMuxerFailed, "no AVI muxer in libavformat");
    auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBufferSize));
    io_ = buffer ? avio_alloc_context(buffer, kIoBufferSize, 1, this, nullptr,
                                      &AviWriter::writePacket, &AviWriter::seek)
                 : nullptr;
    if (!io_) {
        av_free(buffer);
        return fail(Status::kMuxerFailed, "out of memory for the file buffer");
    }
    // Seekable output is what lets the muxer patch sizes, write the index and go OpenDML.
    io_->seekable = AVIO_SEEKABLE_NORMAL;
    io_->direct = 1;  // frame data goes straight to the file, not through the 64 KiB buffer
    format_->pb = io_;
    // Each frame is flushed whole, so a failing write is reported for that frame.
    format_->flags |= AVFMT_FLAG_CUSTOM_IO | AVFMT_FLAG_FLUSH_PACKETS;

    stream_ = avformat_new_stream(format_, nullptr);
    if (!stream_)
        return fail(Status::kMuxerFailed, "cannot create the video stream");
    AVCodecParameters* par = stream_->codecpar;
    par->codec_type = AVMEDIA_TYPE_VIDEO;
    par->codec_id = AV_CODEC_ID_RAWVIDEO;
    par->codec_tag = 0;  // BI_RGB: the muxer then stores a negative height (top-down rows)
    par->width = width_;
    par->height = height_;
    // Grey needs a palette: an 8-bit DIB without one is not a grey image to any reader.
    par->format = colour_ ? AV_PIX_FMT_BGR24 : AV_PIX_FMT_PAL8;
    par->bits_per_coded_sample = colour_ ? 24 : 8;
    stream_->time_base = AVRational{1, fps_};
    stream_->avg_frame_rate = AVRational{fps_, 1};
    stream_->r_frame_rate = AVRational{fps_, 1};

    if (!reserve(position_ + kIndexFixedBytes))
        return Status::kWriteFailed;
    const int ret = avformat_write_header(format_, nullptr);
    if (ret < 0) {
        if (failed_)
            return Status::kWriteFailed;
        return fail(Status::kMuxerFailed, "cannot write the AVI header: " + avError(ret));
    }
    headerWritten_ = true;
    return Status::kOk;
}

bool AviWriter::reserve(std::size_t bytes) {
    const auto needed = std::int64_t(bytes);
    if (!reserveSupported_ || needed <= reservedEnd_)
        return true;
    // Generously first; on a nearly full disk just what this frame and the index need.
    int code = 0;
    for (const std::int64_t end : {needed + kReserveAhead, needed}) {
        if (::fallocate(fd_, 0, reservedEnd_, end - reservedEnd_) == 0) {
            reservedEnd_ = end;
            return true;
        }
        code = errno;
        if (code == EOPNOTSUPP || code == ENOSYS) {
            reserveSupported_ = false;  // the file system cannot reserve: plain writes only
            return true;
        }
    }
    fail(Status::kWriteFailed,
         "no room for frame " + std::to_string(framesWritten_ + 1) + ": " + std::strerror(code));
    return false;
}

void AviWriter::convert(const FrameView& frame) {
    const auto* src = frame.pixels;
    unsigned char* dst = packed_.data();
    for (int y = 0; y < height_; ++y, src += frame.bytesPerLine, dst += stride_)
        convertRow(src, dst, width_, frame.layout);
}

AviWriter::Status AviWriter::writeFrame(const FrameView& frame) {
    if (closed_ || fd_ < 0)
        return Status::kNoFile;
    if (failed_)
        return Status::kFailedBefore;
    const int bpp = bytesPerPixelOf(frame.layout);
    if (!frame.pixels || frame.width < 1 || frame.height < 1 || bpp == 0 ||
        frame.bytesPerLine < std::ptrdiff_t(frame.width) * bpp)
        return Status::kBadFrame;
    if (!format_) {
        const Status started = begin(frame);
        if (started != Status::kOk)
            return started;
    } else if (frame.width != width_ || frame.height != height_ ||
               isColour(frame.layout) != colour_) {
        return Status::kSizeMismatch;
    }
    const std::int64_t room = kChunkHeaderBytes + std::int64_t(frameBytes()) + kIndexFixedBytes +
                              kIndexBytesPerFrame * (framesWritten_ + 1);
    if (!reserve(std::size_t(fileEnd_ + room)))
        return Status::kWriteFailed;
    convert(frame);

    AVPacket* packet = av_packet_alloc();
    if (!packet)
        return fail(Status::kWriteFailed, "out of memory for a packet");
    packet->data = packed_.data();
    packet->size = int(frameBytes());
    packet->stream_index = stream_->index;
    packet->pts = packet->dts =
        av_rescale_q(framesWritten_, AVRational{1, fps_}, stream_->time_base);
    packet->duration = av_rescale_q(1, AVRational{1, fps_}, stream_->time_base);
    packet->flags = AV_PKT_FLAG_KEY;
    if (!colour_ && framesWritten_ == 0) {
        // The muxer takes the palette from the first packet into the stream's header.
        auto* palette = reinterpret_cast<std::uint32_t*>(
            av_packet_new_side_data(packet, AV_PKT_DATA_PALETTE, kPaletteEntries * 4));
        if (palette) {
            for (std::uint32_t i = 0; i < kPaletteEntries; ++i)
                palette[i] = 0xFF000000u | (i << 16) | (i << 8) | i;
        }
    }
    const int ret = av_write_frame(format_, packet);
    av_packet_free(&packet);
    if (ret < 0) {
        return fail(Status::kWriteFailed, "writing frame " + std::to_string(framesWritten_ + 1) +
                                              " failed: " + avError(ret));
    }
    ++framesWritten_;
    return Status::kOk;
}

bool AviWriter::close() {
    if (closed_)
        return closeResult_;
    closed_ = true;
    bool ok = true;
    const bool hadFrames = framesWritten_ > 0;
    if (headerWritten_) {
        // Even after a refused frame the muxer's state is that of the last good frame, so
        // the index written here describes exactly the frames in the file.
        const int ret = av_write_trailer(format_);
        if (ret < 0) {
            ok = false;
            fail(Status::kWriteFailed, "cannot write the index: " + avError(ret));
        }
        avio_flush(io_);
        if (io_->error < 0)
            ok = false;
    }
    releaseMuxer();
    if (fd_ >= 0) {
        // The reservation ran ahead of the data; the file ends where the data ends.
        if (::ftruncate(fd_, fileEnd_) != 0)
            ok = false;
        if (::close(fd_) != 0)
            ok = false;
        fd_ = -1;
    }
    // A file without a single frame is not a video anyone can play: nothing is left behind.
    if (!hadFrames)
        ::unlink(path_.c_str());
    closeResult_ = ok && !failed_;
    return closeResult_;
}

void AviWriter::releaseMuxer() {
    if (format_) {
        format_->pb = nullptr;
        avformat_free_context(format_);
        format_ = nullptr;
        stream_ = nullptr;
    }
    if (io_) {
        av_freep(&io_->buffer);
        avio_context_free(&io_);
    }
}

int AviWriter::writePacket(void* opaque, std::uint8_t* data, int size) {
    auto* self = static_cast<AviWriter*>(opaque);
    int done = 0;
    while (done < size) {
        const ssize_t n =
            ::pwrite(self->fd_, data + done, std::size_t(size - done), self->position_ + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int code = n < 0 ? errno : ENOSPC;
            self->fail(Status::kWriteFailed, std::string("write failed at byte ") +
                                                 std::to_string(self->position_ + done) + ": " +
                                                 std::strerror(code));
            return AVERROR(code);
        }
        done += int(n);
    }
    self->position_ += size;
    self->fileEnd_ = std::max(self->fileEnd_, self->position_);
    return size;
}

std::int64_t AviWriter::seek(void* opaque, std::int64_t offset, int whence) {
    auto* self = static_cast<AviWriter*>(opaque);
    std::int64_t target = 0;
    switch (whence & ~AVSEEK_FORCE) {
        case AVSEEK_SIZE:
            return self->fileEnd_;
        case SEEK_SET:
            target = offset;
            break;
        case SEEK_CUR:
            target = self->position_ + offset;
            break;
        case SEEK_END:
            target = self->fileEnd_ + offset;
            break;
        default:
            return AVERROR(EINVAL);
    }
    if (target < 0)
        return AVERROR(EINVAL);
    self->position_ = target;
    return target;
}

}  // namespace vidscope::record
