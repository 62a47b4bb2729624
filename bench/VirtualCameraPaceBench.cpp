// SPDX-License-Identifier: MIT
// How soon a paced virtual camera shows its first frame and whether it keeps its frame rate.
//
// usage: bench_virtual_pace [DEVICE_CODE [SECONDS [raw|exposure|rgb]]]   (3E00, 10 s, raw)
//
// Opens the camera through the camera API with its own frame timeout, as the viewer does, and
// queries frames on one thread: raw; raw with the exposure changed on every fourth frame, as
// the exposure loop may (each change makes the virtual sensor expose its scene again); or
// converted to colour with the exposure loop running, which adds the conversion's cost. Built
// into the sanitizer trees as well (configure them with -DVIDSCOPE_BENCH=ON): a virtual sensor that
// renders slower than its frame timeout there never delivers, and this is where that shows.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sim/CameraFirmware.h"
#include "usb/host/Driver.h"
#include "usb/host/VirtualPort.h"
#include "vidscope/camera_api.h"

namespace {

namespace sim = vidscope::sim;
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Failures {
    std::map<std::string, int> byError;
    void note() { ++byError[CameraGetErrorName(CameraGetLastError())]; }
    std::string text() const {
        std::string out;
        for (const auto& [name, count] : byError)
            out += (out.empty() ? "" : ", ") + name + " x" + std::to_string(count);
        return out.empty() ? "none" : out;
    }
};

}  // namespace

int main(int argc, char** argv) {
    const auto code = static_cast<uint16_t>(argc > 1 ? std::strtoul(argv[1], nullptr, 16) : 0x3E00);
    const double seconds = argc > 2 ? std::atof(argv[2]) : 10.0;
    const std::string mode = argc > 3 ? argv[3] : "raw";
    const bool colour = mode == "rgb";
    const bool stepExposure = mode == "exposure";
    const unsigned int flags = colour ? CAMERA_FORMAT_RGB24 : CAMERA_FORMAT_RAW8;

    sim::FirmwareOptions options;
    options.persistEeprom = false;
    options.stateDirectory = std::filesystem::path();
    options.unpaced = false;
    auto port = vidscope::host::VirtualPort::create(code, options);
    if (!port) {
        std::fprintf(stderr, "no virtual camera with device code %04X\n", code);
        return 2;
    }
    const auto id = vidscope::host::Driver::instance().attach(port);
    const auto opened = Clock::now();
    if (!CameraInit(0) || !CameraPlay(0)) {
        std::fprintf(stderr, "the camera did not open: %s\n",
                     CameraGetErrorName(CameraGetLastError()));
        return 1;
    }
    unsigned int timeoutMs = 0;
    CameraGetTimeout(0, &timeoutMs);
    if (colour && !(CameraSetAEC(0, true) && CameraSetAGC(0, true))) {
        std::fprintf(stderr, "the exposure loop did not start: %s\n",
                     CameraGetErrorName(CameraGetLastError()));
        return 1;
    }
    unsigned int size = 0;
    CameraGetImageBufferSize(0, &size, flags);
    std::vector<unsigned char> frame(size);
    auto query = [&] { return CameraQueryImage(0, frame.data(), size, flags); };

    // The first frame, however long it takes; a viewer would keep asking too.
    Failures beforeFirst;
    while (!query()) {
        beforeFirst.note();
        if (secondsSince(opened) > 120) {
            std::fprintf(stderr, "no frame within 120 s: %s\n", beforeFirst.text().c_str());
            return 1;
        }
    }
    const double firstFrame = secondsSince(opened);

    Failures steady;
    int frames = 0;
    const int exposure = CameraGetExposure(0);
    const auto start = Clock::now();
    while (secondsSince(start) < seconds) {
        if (!query()) {
            steady.note();
            continue;
        }
        ++frames;
        if (stepExposure && frames % 4 == 0)
            CameraSetExposure(0, exposure + (frames / 4) % 2);
    }
    const double rate = frames / secondsSince(start);
    const double paced = port->firmware()->pacedFrameRate();
    const sim::FrameGeometry g = port->firmware()->geometry();

    std::printf("camera %04X, %u x %u, %s frames of %u bytes, frame timeout %u ms\n", code, g.width,
                g.height, mode.c_str(), size, timeoutMs);
    std::printf("first frame after   %.2f s (failed queries before it: %s)\n", firstFrame,
                beforeFirst.text().c_str());
    std::printf("frames per second   %.2f of %.2f paced (%.0f %%) over %.0f s\n", rate, paced,
                100.0 * rate / paced, seconds);
    std::printf("failed queries      %s\n", steady.text().c_str());
    std::printf("camera dropped      %llu frames nobody read\n",
                static_cast<unsigned long long>(port->firmware()->streamStats().framesDropped));

    CameraFree(0);
    vidscope::host::Driver::instance().detach(id);
    return 0;
}
