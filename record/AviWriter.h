// SPDX-License-Identifier: MIT
// One uncompressed AVI file written with libavformat: top-down DIB frames, BGR24 or grey.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct AVFormatContext;
struct AVIOContext;
struct AVStream;

namespace vidscope::record {

// How the caller's pixels lie in memory. The writer turns all of them into what the file
// holds: blue-green-red rows for colour, palette indices (a 256-grey palette) for grey.
enum class PixelLayout {
    kBgrx32,  // 4 bytes per pixel, blue first, fourth byte ignored (a 32-bit RGB image)
    kRgb24,   // 3 bytes per pixel, red first
    kGray8,   // 1 byte per pixel
};

// A frame as the caller holds it; the writer only reads it.
struct FrameView {
    const unsigned char* pixels = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t bytesPerLine = 0;
    PixelLayout layout = PixelLayout::kGray8;
};

// One open AVI file: a single "vids" stream of raw DIB frames, rows stored top to bottom
// (negative bitmap height), each row padded to a multiple of 4 bytes, one key frame per
// sample, rate = fps frames per second. The first frame fixes the frame size and whether the
// file is colour or grey; the header is written then. Past 1 GiB the file continues as
// OpenDML (AVIX parts with a super index), so recordings of any length stay readable.
//
// Errors are sticky: after the first failed write the writer refuses every further frame,
// and close() still ends the file so that it plays up to the last good frame. To make that
// possible even on a full disk, the space of each frame plus the room its index needs are
// reserved (fallocate) before the frame is handed to the muxer; a frame that does not fit is
// refused whole and the muxer never hears of it.
//
// Not thread-safe: one thread writes a file from open to close.
class AviWriter {
public:
    enum class Status {
        kOk = 0,
        kNoFile,        // open() failed or the writer is closed
        kBadFrame,      // null pixels, a size below 1, or rows shorter than the width
        kSizeMismatch,  // not the first frame's size or kind (the file holds one size)
        kFailedBefore,  // the sticky error: an earlier write failed
        kWriteFailed,   // this write failed (disk full, file size limit, I/O error)
        kMuxerFailed,   // libavformat refused the stream or its header
    };

    // Creates (or truncates) `path`, given in the file system's own encoding. `fps` below 1
    // is written as 1. Null with `error` set when the file cannot be created.
    static std::unique_ptr<AviWriter> open(const std::string& path, int fps, std::string* error);

    ~AviWriter();  // closes the file if still open
    AviWriter(const AviWriter&) = delete;
    AviWriter& operator=(const AviWriter&) = delete;

    Status writeFrame(const FrameView& frame);
    // Writes the index and closes the file; true when that succeeded. Frames already written
    // stay readable even when it fails. A second call does nothing and returns the first
    // result.
    bool close();

    bool failed() const { return failed_; }
    // What went wrong first, in words; empty while nothing did.
    const std::string& errorText() const { return errorText_; }
    int fps() const { return fps_; }
    std::int64_t framesWritten() const { return framesWritten_; }
    // Bytes of the file so far (data, headers and index).
    std::int64_t bytesWritten() const { return fileEnd_; }
    // Bytes of one frame in the file: padded rows times height.
    std::size_t frameBytes() const { return std::size_t(stride_) * std::size_t(height_); }

    static const char* statusText(Status status);

private:
    AviWriter(int fd, std::string path, int fps);

    Status begin(const FrameView& frame);
    bool reserve(std::size_t bytes);
    void convert(const FrameView& frame);
    Status fail(Status status, const std::string& text);
    void releaseMuxer();

    static int writePacket(void* opaque, std::uint8_t* data, int size);
    static std::int64_t seek(void* opaque, std::int64_t offset, int whence);

    int fd_ = -1;
    std::string path_;
    int fps_ = 1;
    int width_ = 0;
    int height_ = 0;
    bool colour_ = false;
    int stride_ = 0;
    AVFormatContext* format_ = nullptr;
    AVIOContext* io_ = nullptr;
    AVStream* stream_ = nullptr;
    std::vector<unsigned char> packed_;  // one frame as the file holds it
    std::int64_t framesWritten_ = 0;
    std::int64_t position_ = 0;  // where the next byte goes
    std::int64_t fileEnd_ = 0;   // end of the bytes written
    std::int64_t reservedEnd_ = 0;
    bool reserveSupported_ = true;
    bool headerWritten_ = false;
    bool failed_ = false;
    bool closed_ = false;
    bool closeResult_ = false;
    std::string errorText_;
};

}  // namespace vidscope::record
