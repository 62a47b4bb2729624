// SPDX-License-Identifier: MIT
// The commands of vidscope-cli.
#include "cli/CliCommands.h"

#include <chrono>
#include <cstdio>
#include <fstream>

#include "base/DeviceCodeList.h"
#include "base/TerminalText.h"
#include "vidscope/camera_api.h"

namespace vidscope::cli {
namespace {

constexpr unsigned kRawFlag = 0x1;
constexpr unsigned kResetStreamFlag = 0x10000;
// Used when nothing at all is attached, so that a newcomer sees a camera stream at once.
constexpr const char* kFallbackVirtualCamera = "3E00";

constexpr int kHighestCameraIndex = 255;
constexpr int kFrameTimeoutMs = 5000;
// Enough for any soak from the command line, small enough that a typing slip cannot stream
// for days.
constexpr int kMostFrames = 1000000;

bool parseNumber(const std::string& text, int& value) {
    try {
        size_t used = 0;
        value = std::stoi(text, &used);
        return used == text.size();
    } catch (...) {
        return false;
    }
}

// Parses `text` as a whole number in [low, high]; otherwise prints one usage line naming
// `what` and the range, and returns false.
bool parseInRange(const std::string& text, int low, int high, const char* what, int& value) {
    if (parseNumber(text, value) && value >= low && value <= high)
        return true;
    std::fprintf(stderr, "vidscope-cli: %s must be a number from %d to %d, not \"%s\"\n", what, low,
                 high, base::printableText(text).c_str());
    return false;
}

const char* speedName(unsigned speed) {
    switch (speed) {
        case 3:
            return "super speed";
        case 2:
            return "high speed";
        default:
            return "full speed";
    }
}

}  // namespace

void CliCommands::reportFailure(const char* what) {
    const int code = CameraGetLastError();
    std::fprintf(stderr, "%s failed: %s (%d)\n", what, CameraGetErrorName(code), code);
}

bool CliCommands::attachVirtual(const std::string& codes) {
    const base::DeviceCodeList list = base::DeviceCodeList::parse(codes);
    if (!list.valid() || list.codes.empty()) {
        std::fprintf(stderr, "vidscope-cli: --virtual-camera: %s\n",
                     list.valid() ? "no device code given" : list.problem().c_str());
        return false;
    }
    if (CameraAttachVirtual(codes.c_str()) < 0) {
        reportFailure("attaching virtual cameras");
        return false;
    }
    return true;
}

int CliCommands::run(const std::vector<std::string>& args) {
    const std::string& command = args[0];
    const size_t n = args.size();
    int index = 0;
    int frames = 0;
    if (command == "list" && n == 1)
        return list();
    if (command == "info" && n == 2) {
        if (!parseInRange(args[1], 0, kHighestCameraIndex, "the camera index", index))
            return 2;
        return info(index);
    }
    if (command == "grab" && (n == 3 || n == 4)) {
        frames = 1;
        if (!parseInRange(args[1], 0, kHighestCameraIndex, "the camera index", index) ||
            (n == 4 && !parseInRange(args[3], 1, kMostFrames, "the number of frames", frames)))
            return 2;
        return grab(index, args[2], frames);
    }
    if (command == "demo" && n <= 2) {
        frames = 30;
        if (n == 2 && !parseInRange(args[1], 1, kMostFrames, "the number of frames", frames))
            return 2;
        return demo(frames);
    }
    std::fprintf(stderr, "vidscope-cli: bad command line; see --help\n");
    return 2;
}

int CliCommands::list() {
    const int count = CameraGetCount();
    std::printf("%d camera(s)\n", count);
    for (int i = 0; i < count; ++i) {
        char displayName[256] = {};
        char shortName[256] = {};
        unsigned modelIndex = 0;
        unsigned deviceCode = 0;
        if (CameraGetName(i, displayName, shortName, &modelIndex, &deviceCode) < 0) {
            reportFailure("reading the camera name");
            continue;
        }
        // The names may carry a custom name the camera's owner programmed: never let it
        // reach the terminal raw.
        std::printf("%3d  %04X  %-12s %s\n", i, deviceCode, base::printableText(shortName).c_str(),
                    base::printableText(displayName).c_str());
    }
    return 0;
}

int CliCommands::info(int index) {
    if (!CameraInit(index)) {
        reportFailure("CameraInit");
        return 1;
    }
    unsigned version = 0;
    unsigned speed = 0;
    unsigned width = 0;
    unsigned height = 0;
    unsigned rawSize = 0;
    CameraSetResolution(index, 0, nullptr, nullptr, nullptr);
    CameraGetFirmVersion(index, &version);
    CameraGetUSBSpeed(index, &speed);
    CameraGetImageSize(index, &width, &height);
    CameraGetImageBufferSize(index, &rawSize, kRawFlag);
    std::printf("device code %04X, firmware %08X, %s, %ux%u, raw frame %u bytes\n",
                CameraGetID(index), version, speedName(speed), width, height, rawSize);
    CameraFree(index);
    return 0;
}

bool CliCommands::stream(int index, int frames, std::vector<unsigned char>& frame, bool quiet) {
    if (!CameraInit(index)) {
        reportFailure("CameraInit");
        return false;
    }
    // The camera streams its full sensor until told otherwise; the context starts at a
    // smaller default, so select the full-sensor resolution explicitly. A command-line run
    // waits for its frames rather than giving up at the interactive default of half a second:
    // the first frame of a large sensor, or of a slow host, takes longer.
    unsigned size = 0;
    bool ok = CameraSetTimeout(index, kFrameTimeoutMs) &&
              CameraSetResolution(index, 0, nullptr, nullptr, nullptr) &&
              CameraGetImageBufferSize(index, &size, kRawFlag) && CameraResetStream(index) &&
              CameraPlay(index);
    if (!ok)
        reportFailure("starting the stream");
    frame.resize(size);
    const auto start = std::chrono::steady_clock::now();
    int delivered = 0;
    for (int i = 0; ok && i < frames; ++i) {
        const unsigned flags = kRawFlag | (i == 0 ? kResetStreamFlag : 0);
        if (CameraQueryImage(index, frame.data(), size, flags))
            ++delivered;
        else
            reportFailure("CameraQueryImage");
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!quiet && ok) {
        std::printf("camera %d (%04X): %d of %d frames of %u bytes, %.1f frames/s\n", index,
                    CameraGetID(index), delivered, frames, size,
                    seconds > 0 ? delivered / seconds : 0.0);
    }
    CameraStop(index);
    CameraFree(index);
    return ok && delivered == frames;
}

int CliCommands::grab(int index, const std::string& file, int frames) {
    std::vector<unsigned char> frame;
    if (!stream(index, frames, frame, true))
        return 1;
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(frame.data()),
              static_cast<std::streamsize>(frame.size()));
    if (!out) {
        std::fprintf(stderr, "cannot write %s: check the folder exists and the disk has room\n",
                     base::printableText(file).c_str());
        return 1;
    }
    std::printf("wrote %zu bytes to %s\n", frame.size(), base::printableText(file).c_str());
    return 0;
}

int CliCommands::demo(int frames) {
    int count = CameraGetCount();
    if (count == 0) {
        std::printf("no camera attached: using the virtual camera %s\n", kFallbackVirtualCamera);
        if (!attachVirtual(kFallbackVirtualCamera))
            return 1;
        count = CameraGetCount();
    }
    list();
    std::vector<unsigned char> frame;
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        if (!stream(i, frames, frame, false))
            ++failures;
    }
    return failures == 0 ? 0 : 1;
}

}  // namespace vidscope::cli
