// SPDX-License-Identifier: MIT
// The per-camera record of the API: frame geometry, settings, device, locks and transfer ring.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "cameraapi/device/RWLockImpl.h"
#include "cameraapi/isp/ImageSettings.h"
#include "cameraapi/isp/IspPipeline.h"
#include "usb/host/Event.h"
#include "usb/host/Overlapped.h"

namespace vidscope::usb {
class UsbDevice;
class TransferRequest;
}  // namespace vidscope::usb

namespace vidscope::api {

// Owned by its camera slot. Everything but the lock itself is read and written under `lock`
// (shared or exclusive); the transfer ring additionally under streamMutex and the register
// and EEPROM requests under controlMutex.
struct CameraContext {
    // Upper bound of the transfer ring; bufferCount says how many entries are in use.
    static constexpr size_t kMaxBuffers = 50;

    CameraContext();
    ~CameraContext();
    CameraContext(const CameraContext&) = delete;
    CameraContext& operator=(const CameraContext&) = delete;

    // Frame geometry as transferred. Written under the exclusive or shared lock by the
    // resolution controls, read without a lock by the buffer-size queries: atomic so that a
    // size asked for during a change is one or the other, never a torn value.
    std::atomic<uint32_t> width = 640;
    std::atomic<uint32_t> height = 480;
    std::atomic<uint32_t> bytesPerPixel = 1;
    // Row of ModelTable. Atomic: opening sets it once the slot already holds the context,
    // and the buffer-size functions read it without a lock.
    std::atomic<uint32_t> modelIndex = 0;
    uint32_t firmwareVersion = 0;
    ImageSettings image;
    // Guards `image` against the conversions and holds the table set they use.
    IspPipeline pipeline{image};

    std::unique_ptr<usb::UsbDevice> device;
    RWLockImpl lock;
    // Re-entrant for the owning thread: a frame query resets the stream under its own hold.
    std::recursive_mutex streamMutex;
    std::recursive_mutex controlMutex;
    host::Event abortEvent{host::Event::Reset::Manual};  // makes a waiting frame query give up
    // Set by CameraFree before it signals abortEvent. A call that gets the lock afterwards
    // (it pinned the context before the slot was emptied) finds the camera closed, not gone.
    std::atomic<bool> closing{false};

    // --- transfer ring ---
    int32_t bufferCount = 0;
    int32_t transferSize = 0;
    int32_t bufferSize = 0;
    std::array<std::unique_ptr<uint8_t[]>, kMaxBuffers> buffers;
    // One record per buffer, each signalling its own auto-reset event in overlappedEvents.
    std::array<host::Overlapped, kMaxBuffers> overlapped;
    std::array<std::unique_ptr<host::Event>, kMaxBuffers> overlappedEvents;
    // The request queued on each buffer; null when none is outstanding.
    std::array<std::unique_ptr<usb::TransferRequest>, kMaxBuffers> pendingTransfers;
    int32_t ringIndex = 0;  // position of the next transfer to complete

    // --- frame counters ---
    // Atomic: advanced by the capture thread, read by the processing threads and re-phased by
    // the exposure loop switch on the user-interface thread.
    std::atomic<uint32_t> frameCount{0};
    uint32_t lastFrameTick = 0;  // millisecond tick of the last completed frame
    double frameRate = 0.0;      // smoothed
    // Sensor line time in milliseconds; atomic so that a timing update and an exposure time
    // query on different threads need no further lock.
    std::atomic<double> lineTime{1.0};
    // 1 continuous, 2 trigger. Atomic: the trigger functions change it under the shared lock
    // while a frame query on the capture thread reads it under its own shared hold.
    std::atomic<int32_t> snapMode{1};

    // Width and height as the API reports and delivers them: swapped under quarter-turn
    // rotation.
    uint32_t outputWidth() const;
    uint32_t outputHeight() const;
};

}  // namespace vidscope::api
