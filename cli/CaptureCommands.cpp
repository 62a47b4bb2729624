// SPDX-License-Identifier: MIT
// The verbs that stream frames: grab, record and stream.
#include "cli/CaptureCommands.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>

#include "AviWriter.h"
#include "base/TerminalText.h"
#include "cli/CameraSession.h"
#include "cli/CliArgs.h"
#include "cli/CliError.h"
#include "cli/ControlTable.h"
#include "cli/FrameSource.h"
#include "cli/JsonWriter.h"
#include "cli/PictureFile.h"
#include "cli/TextEscape.h"
#include "vidscope/camera_api.h"

namespace vidscope::cli {
namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The CONTROL=VALUE words after the fixed ones, checked before the camera is opened.
std::vector<std::string> assignmentsFrom(const CliArgs& args, size_t fixed) {
    std::vector<std::string> words(args.positional().begin() + long(fixed),
                                   args.positional().end());
    for (const std::string& word : words)
        ControlTable::parseAssignment(word);
    return words;
}

// A name with a printf-style %d gets one file per frame.
std::string numberedName(const std::string& pattern, long long number) {
    if (pattern.find('%') == std::string::npos)
        return pattern;
    const size_t percent = pattern.find('%');
    const size_t d = pattern.find('d', percent);
    const std::string conversion = pattern.substr(percent, d - percent + 1);
    char digits[64];
    std::snprintf(digits, sizeof digits,
                  ("%" + conversion.substr(1, conversion.size() - 2) + "lld").c_str(), number);
    return pattern.substr(0, percent) + digits + pattern.substr(d + 1);
}

// Only "%d" and "%0Nd" are taken: anything else would reach snprintf as a format.
void checkPattern(const std::string& file) {
    const size_t percent = file.find('%');
    if (percent == std::string::npos)
        return;
    size_t i = percent + 1;
    if (i < file.size() && file[i] == '0')
        ++i;
    while (i < file.size() && std::isdigit(static_cast<unsigned char>(file[i])) && i < percent + 4)
        ++i;
    if (i >= file.size() || file[i] != 'd' || file.find('%', i) != std::string::npos)
        throw UsageError("the only pattern a file name takes is %d or %0Nd, as in frame-%03d.png");
}

}  // namespace

int CaptureCommands::grab(const std::vector<std::string>& words) {
    const CliArgs args(words, {"--count", "--format"}, {});
    args.expectCount(2, 1000,
                     "grab INDEX FILE [--count N] [--format raw|gray|rgb] [CONTROL=VALUE...]");
    const int index = CameraSession::parseIndex(args.positional()[0]);
    const std::string file = args.positional()[1];
    checkPattern(file);
    const long long count = args.hasValue("--count")
                                ? CliArgs::integer(args.value("--count"), 1, 1000000, "--count")
                                : 1;
    const bool picture = PictureFile::isPictureName(file);
    FrameSource::Format format = picture ? FrameSource::Format::kRgb : FrameSource::Format::kRaw;
    if (args.hasValue("--format"))
        format = FrameSource::parseFormat(args.value("--format"));
    if (picture && format == FrameSource::Format::kRaw)
        throw UsageError("a raw frame is no picture: give the file another extension than " +
                         base::printableText(file.substr(file.rfind('.'))));
    const std::vector<std::string> assignments = assignmentsFrom(args, 2);
    const bool everyFrame = file.find('%') != std::string::npos;

    PictureFile::checkWritable(file);
    const CameraSession camera(index);
    ControlTable::apply(camera.index(), assignments);
    FrameSource source(camera.index(), format);
    const StopSignal stop;
    // A few timeouts in a row are tolerated; a camera that sends nothing at all is a failure.
    long long attempts = 0;
    while (source.delivered() < count && !StopSignal::raised()) {
        if (++attempts > count + 10)
            throw RunError("only " + std::to_string(source.delivered()) + " of " +
                           std::to_string(count) + " frames arrived (" + source.lastDrop() + ")");
        if (!source.next() || (!everyFrame && source.delivered() < count))
            continue;
        const std::string name = numberedName(file, source.delivered() - 1);
        if (picture)
            PictureFile::writePicture(name, source.frame(), source.width(), source.height(),
                                      format == FrameSource::Format::kGray);
        else
            PictureFile::writeBytes(name, source.frame());
        std::printf("wrote %s (%ux%u, %zu bytes of frame)\n", base::printableText(name).c_str(),
                    source.width(), source.height(), source.frame().size());
    }
    if (source.delivered() < count)
        throw RunError("interrupted after " + std::to_string(source.delivered()) + " frames");
    return 0;
}

int CaptureCommands::record(const std::vector<std::string>& words) {
    const CliArgs args(words, {"--seconds", "--frames", "--fps", "--format"}, {"--json"});
    args.expectCount(
        2, 1000, "record INDEX FILE.avi (--seconds S | --frames N) [--fps F] [--format gray|rgb]");
    const int index = CameraSession::parseIndex(args.positional()[0]);
    const std::string file = args.positional()[1];
    if (args.hasValue("--seconds") == args.hasValue("--frames"))
        throw UsageError("record needs either --seconds S or --frames N");
    const double seconds = args.hasValue("--seconds")
                               ? CliArgs::real(args.value("--seconds"), 0.001, 1e7, "--seconds")
                               : 0.0;
    const long long frames = args.hasValue("--frames") ? CliArgs::integer(args.value("--frames"), 1,
                                                                          1LL << 40, "--frames")
                                                       : 0;
    int fps = args.hasValue("--fps")
                  ? static_cast<int>(CliArgs::integer(args.value("--fps"), 1, 1000, "--fps"))
                  : 0;
    FrameSource::Format format = FrameSource::Format::kRgb;
    if (args.hasValue("--format"))
        format = FrameSource::parseFormat(args.value("--format"));
    if (format == FrameSource::Format::kRaw)
        throw UsageError("an AVI holds processed frames: --format gray or rgb");
    const std::vector<std::string> assignments = assignmentsFrom(args, 2);

    PictureFile::checkWritable(file);
    const CameraSession camera(index);
    ControlTable::apply(camera.index(), assignments);
    FrameSource source(camera.index(), format);
    const StopSignal stop;
    std::unique_ptr<record::AviWriter> writer;
    const auto start = Clock::now();
    // Until the rate is known, frames wait here; the writer fixes it in the file's header.
    std::vector<std::vector<unsigned char>> held;
    Clock::time_point firstFrame;
    long long refused = 0;
    std::string failure;
    const auto openWriter = [&] {
        if (fps == 0) {
            const double span = secondsSince(firstFrame);
            fps = held.size() > 1 && span > 0
                      ? std::max(1, int(std::lround(double(held.size() - 1) / span)))
                      : 1;
        }
        std::string error;
        writer = record::AviWriter::open(file, fps, &error);
        if (!writer)
            throw RunError("cannot write " + base::printableText(file) + ": " + error);
    };
    const auto writeFrame = [&](const std::vector<unsigned char>& pixels) {
        record::FrameView view;
        view.pixels = pixels.data();
        view.width = int(source.width());
        view.height = int(source.height());
        const bool grey = format == FrameSource::Format::kGray;
        view.bytesPerLine = view.width * (grey ? 1 : 3);
        view.layout = grey ? record::PixelLayout::kGray8 : record::PixelLayout::kRgb24;
        const auto status = writer->writeFrame(view);
        if (status != record::AviWriter::Status::kOk) {
            ++refused;
            failure = writer->errorText().empty() ? record::AviWriter::statusText(status)
                                                  : writer->errorText();
        }
    };
    const auto done = [&] {
        const long long seen = source.delivered();
        return StopSignal::raised() || (writer && writer->failed()) ||
               (frames > 0 ? seen >= frames : secondsSince(start) >= seconds);
    };
    try {
        while (!done()) {
            if (!source.next())
                continue;
            if (writer) {
                writeFrame(source.frame());
                continue;
            }
            if (held.empty())
                firstFrame = Clock::now();
            held.push_back(source.frame());
            constexpr size_t kRateFrames = 6;
            if (fps != 0 || held.size() >= kRateFrames) {
                openWriter();
                for (const auto& pixels : held)
                    writeFrame(pixels);
                held.clear();
            }
        }
        if (!writer && !held.empty()) {
            openWriter();
            for (const auto& pixels : held)
                writeFrame(pixels);
        }
    } catch (const ApiError&) {
        // Unplugged mid-recording: what arrived is kept in a file that plays, also the frames
        // still waiting for the rate to be known.
        if (!writer && !held.empty()) {
            openWriter();
            for (const auto& pixels : held)
                writeFrame(pixels);
        }
        if (writer)
            writer->close();
        std::fprintf(stderr, "vidscope-cli: recording ended early: %lld frames written to %s\n",
                     writer ? static_cast<long long>(writer->framesWritten()) : 0LL,
                     base::printableText(file).c_str());
        throw;
    }
    const bool closed = writer && writer->close();
    const long long written = writer ? writer->framesWritten() : 0;
    const long long dropped = source.dropped() + refused;
    if (args.has("--json")) {
        JsonWriter json;
        json.beginObject();
        json.key("file");
        json.value(file);
        json.key("frames");
        json.value(written);
        json.key("dropped");
        json.value(dropped);
        json.key("fps");
        json.value(fps);
        json.key("interrupted");
        json.value(StopSignal::raised());
        json.endObject();
        std::puts(json.text().c_str());
    } else {
        std::printf("%s: %lld frames, %lld dropped, %d frames/s in the file%s\n",
                    base::printableText(file).c_str(), written, dropped, fps,
                    StopSignal::raised() ? " (interrupted)" : "");
    }
    if (!failure.empty())
        throw RunError("writing " + base::printableText(file) + " failed: " + failure);
    if (!writer)
        throw RunError("no frame arrived; nothing was recorded");
    if (!closed)
        throw RunError("closing " + base::printableText(file) + " failed: " + writer->errorText());
    return 0;
}

int CaptureCommands::stream(const std::vector<std::string>& words) {
    const CliArgs args(words, {"--seconds"}, {"--json"});
    args.expectCount(1, 1000, "stream INDEX [--seconds S] [--json] [CONTROL=VALUE...]");
    const int index = CameraSession::parseIndex(args.positional()[0]);
    const double seconds = args.hasValue("--seconds")
                               ? CliArgs::real(args.value("--seconds"), 0.001, 1e7, "--seconds")
                               : 5.0;
    const std::vector<std::string> assignments = assignmentsFrom(args, 1);

    const CameraSession camera(index);
    ControlTable::apply(camera.index(), assignments);
    FrameSource source(camera.index(), FrameSource::Format::kRaw);
    const StopSignal stop;
    const auto start = Clock::now();
    while (!StopSignal::raised() && secondsSince(start) < seconds)
        source.next();
    const double elapsed = secondsSince(start);
    const double rate = double(source.delivered()) / elapsed;
    const double bytesPerSecond = rate * double(source.frame().size());
    if (args.has("--json")) {
        JsonWriter json;
        json.beginObject();
        json.key("seconds");
        json.value(elapsed);
        json.key("frames");
        json.value(source.delivered());
        json.key("dropped");
        json.value(source.dropped());
        json.key("frames_per_second");
        json.value(rate);
        json.key("bytes_per_second");
        json.value(bytesPerSecond);
        json.key("frame_bytes");
        json.value(static_cast<long long>(source.frame().size()));
        json.key("last_drop");
        json.value(source.lastDrop());
        json.endObject();
        std::puts(json.text().c_str());
    } else {
        std::printf("%lld frames in %.2f s: %.1f frames/s, %.1f MB/s, %lld dropped%s\n",
                    source.delivered(), elapsed, rate, bytesPerSecond / 1e6, source.dropped(),
                    StopSignal::raised() ? " (interrupted)" : "");
    }
    if (source.delivered() == 0)
        throw RunError("no frame arrived (" + source.lastDrop() + ")");
    return 0;
}

void CaptureCommands::streamFrames(int index, int frames) {
    const CameraSession camera(index);
    FrameSource source(camera.index(), FrameSource::Format::kRaw);
    const auto start = Clock::now();
    for (int i = 0; i < frames; ++i)
        source.next();
    const double elapsed = secondsSince(start);
    std::printf("camera %d (%04X): %lld of %d frames of %zu bytes, %.1f frames/s\n", index,
                CameraGetID(index), source.delivered(), frames, source.frame().size(),
                elapsed > 0 ? double(source.delivered()) / elapsed : 0.0);
    if (source.delivered() != frames)
        throw ApiError("CameraQueryImage dropped frames: " + source.lastDrop());
}

}  // namespace vidscope::cli
