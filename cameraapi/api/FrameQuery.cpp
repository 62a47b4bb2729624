// SPDX-License-Identifier: MIT
// Public frame acquisition: the frame query, the stream reset and the image size queries.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <limits>
#include <mutex>
#include <thread>
#include <vector>

#include "base/Tick.h"
#include "cameraapi/ApiLog.h"
#include "cameraapi/api/ApiCall.h"
#include "cameraapi/api/CameraIspRunner.h"
#include "cameraapi/api/LastError.h"
#include "cameraapi/device/FrameAssembler.h"
#include "cameraapi/device/OutputSize.h"
#include "cameraapi/device/TransferRing.h"
#include "cameraapi/device/VendorRequest.h"
#include "usb/UsbDevice.h"
#include "vidscope/camera_api.h"

namespace vidscope::api {
namespace {

constexpr int32_t kTriggerMode = 2;
constexpr double kMaxFrameRate = 200.0;
constexpr uint16_t kSoftwareTriggerBit = 0x08;
constexpr std::chrono::microseconds kResetPollInterval{200};

// Smoothed frame rate from the interval since the previous frame; a zero interval counts as
// the maximum rate rather than a division by zero.
void countFrame(CameraContext& context, uint32_t previousTick) {
    const uint32_t now = base::tickCountMs();
    context.lastFrameTick = now;
    if (previousTick > 0) {
        const uint32_t interval = now - previousTick;
        const double rate =
            interval == 0 ? kMaxFrameRate : std::min(kMaxFrameRate, 1000.0 / interval);
        context.frameRate = context.frameRate * 0.5 + rate * 0.5;
    }
    ++context.frameCount;
}

int errorFor(FrameAssembler::Outcome outcome) {
    using enum FrameAssembler::Outcome;
    switch (outcome) {
        case Complete:
            break;
        case BadFrame:
            return CAMERA_ERROR_BAD_FRAME;
        case WrongSize:
            return CAMERA_ERROR_PARAMETER_UNREASONABLE;
        case NoDataPipe:
            return CAMERA_ERROR_DATA_PIPE;
        case TimedOut:
            return CAMERA_ERROR_DATA_TIMEOUT;
        case Aborted:
            return CAMERA_ERROR_USER_ABORT;
        case TooManyFailures:
            return CAMERA_ERROR_DATA_XFER;
    }
    return 0;
}

// A wait that ended without data resets the camera, unless it only waits for a trigger.
// (Failed transfers have had their pipe reset one by one already.)
void recoverFrom(int index, CameraContext& context, FrameAssembler::Outcome outcome) {
    if (outcome == FrameAssembler::Outcome::TimedOut && context.snapMode != kTriggerMode)
        CameraReset(index);
}

// The raw frame of a processed query, reused by the calling thread from frame to frame: a
// fresh block of this size would cost page faults on every frame. Per thread, because the
// conversion runs after the stream is released and another thread may collect meanwhile.
uint8_t* processingBuffer(uint64_t frameBytes) {
    thread_local std::vector<uint8_t> buffer;
    if (buffer.size() < frameBytes)
        buffer.resize(frameBytes);
    return buffer.data();
}

bool fireSoftwareTrigger(CameraContext& context) {
    usb::ControlEndpoint* control = context.device->controlEndPoint();
    if (control == nullptr)
        return ApiCall::fail(CAMERA_ERROR_CONTROL_PIPE);
    const VendorRequest::Reply reply = VendorRequest::in(*control, VendorRequest::kSetGpio,
                                                         kSoftwareTriggerBit, kSoftwareTriggerBit);
    return reply.ok || ApiCall::fail(CAMERA_ERROR_READ_PIPE);
}

// A stream reset in another thread has signalled the abort and waits for the stream: let it
// have the stream first rather than take it and fail, which would make a capture loop spin
// on failed queries. It clears the signal as soon as it holds the stream. False when the
// signal stays (the camera is closing) for longer than the frame timeout.
bool waitOutStreamReset(const CameraContext& context) {
    if (!context.abortEvent.isSet())
        return true;
    if (context.closing)
        return false;
    const int32_t timeoutMs =
        context.pipeline.read([](const ImageSettings& s) { return s.timeoutMs; });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (context.abortEvent.isSet()) {
        if (context.closing || std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(kResetPollInterval);
    }
    return true;
}

}  // namespace
}  // namespace vidscope::api

using namespace vidscope::api;

extern "C" bool CameraQueryImageEx(int index, unsigned char* image, unsigned int size,
                                   unsigned int* reserved, unsigned int flags) {
    ApiCall call(index, LockMode::Shared, Needs::Device);
    if (!call)
        return false;
    CameraContext& context = call.context();
    if (!waitOutStreamReset(context))
        return ApiCall::fail(CAMERA_ERROR_USER_ABORT);
    std::unique_lock stream(context.streamMutex);
    // Signalled after the check above, before this query got the stream: meant for this
    // query as much as for one that held the stream, and the signalling thread waits for it.
    if (context.abortEvent.isSet())
        return ApiCall::fail(CAMERA_ERROR_USER_ABORT);
    const FrameShape shape = OutputSize::shapeOf(context);
    const uint64_t frameBytes = shape.frameBytes();
    if (frameBytes == 0 || frameBytes > std::numeric_limits<uint32_t>::max())
        return ApiCall::fail(CAMERA_ERROR_IMAGE_SIZE);
    if (image == nullptr)
        return ApiCall::fail(CAMERA_ERROR_PARAMETER_UNREASONABLE);
    const uint32_t previousTick = context.lastFrameTick;
    if ((flags & kQueryResetStream) && context.snapMode != kTriggerMode)
        CameraResetStream(index);
    if ((flags & kQueryTrigger) && context.snapMode == kTriggerMode &&
        !fireSoftwareTrigger(context)) {
        return false;
    }
    if (reserved != nullptr)
        *reserved = 0;

    const bool raw = (flags & kFormatRaw) != 0;
    // A frame that came short still goes to the conversion, which reads what the pixel
    // format needs rather than what the camera sent.
    uint8_t* frame =
        raw ? image : processingBuffer(std::max(frameBytes, shape.conversionInputBytes()));
    FrameAssembler assembler(context, shape, frame, size, flags);
    const FrameAssembler::Outcome outcome = assembler.collect();
    const bool delivered = outcome == FrameAssembler::Outcome::Complete ||
                           outcome == FrameAssembler::Outcome::BadFrame;
    if (delivered) {
        countFrame(context, previousTick);
    } else {
        recoverFrom(index, context, outcome);
    }
    if (delivered && !raw) {
        // Another query may take transfers off the ring while this frame is converted.
        stream.unlock();
        // The conversion's own failures (an exposure write that failed) do not fail a query
        // that delivered its frame, so they must not leave an error behind. The shape is the
        // one the caller's size was checked against: a resolution changed meanwhile makes the
        // pipeline refuse the frame rather than write past the caller's image.
        const int lastError = CameraGetLastError();
        const IspPipeline::Result converted = CameraIspRunner::run(
            index, context,
            IspFrame{frame, image, shape.outputWidth(), shape.outputHeight(), flags});
        LastError::set(lastError);
        if (converted == IspPipeline::Result::Refused)
            return ApiCall::fail(CAMERA_ERROR_PARAMETER_UNREASONABLE);
    }
    if (outcome == FrameAssembler::Outcome::Complete)
        return true;
    const int code = errorFor(outcome);
    if (outcome != FrameAssembler::Outcome::WrongSize) {
        VS_LOG(apiLog(), Debug) << "frame query on camera " << index << ": "
                                << CameraGetErrorName(code);
    }
    return ApiCall::fail(code);
}

extern "C" bool CameraQueryImage(int index, unsigned char* image, unsigned int size,
                                 unsigned int flags) {
    return CameraQueryImageEx(index, image, size, nullptr, flags);
}

extern "C" bool CameraResetStream(int index) {
    ApiCall call(index, LockMode::Shared);
    if (!call)
        return false;
    CameraContext& context = call.context();
    int limit = context.bufferCount;
    if (context.bufferSize > 0) {
        const uint64_t bufferSize = static_cast<uint64_t>(context.bufferSize);
        const uint64_t buffersPerFrame =
            (OutputSize::frameBytes(context) + bufferSize - 1) / bufferSize;
        // One more when a frame could end exactly on a buffer boundary and so be followed by
        // a zero-length transfer.
        if (buffersPerFrame > 0 && bufferSize % buffersPerFrame == 0)
            ++limit;
    }
    TransferRing::drain(context, limit);
    return true;
}

extern "C" bool CameraGetImageSize(int index, unsigned int* width, unsigned int* height) {
    ApiCall call(index, LockMode::Shared);
    if (!call)
        return false;
    if (width == nullptr || height == nullptr)
        return ApiCall::fail(CAMERA_ERROR_PARAMETER_UNREASONABLE);
    *width = call.context().outputWidth();
    *height = call.context().outputHeight();
    return true;
}

namespace {

bool reportSize(uint64_t bytes, unsigned int* size) {
    if (size == nullptr || bytes > std::numeric_limits<unsigned int>::max())
        return ApiCall::fail(CAMERA_ERROR_PARAMETER_UNREASONABLE);
    *size = static_cast<unsigned int>(bytes);
    return true;
}

}  // namespace

// No lock: the answer is advisory, and the query checks the size again under its own.
extern "C" bool CameraGetImageBufferSize(int index, unsigned int* size, unsigned int flags) {
    ApiCall call(index, LockMode::None);
    if (!call)
        return false;
    return reportSize(OutputSize::forQuery(call.context(), flags), size);
}

extern "C" bool CameraGetImageBufferSizeFor(int index, unsigned int* size, unsigned int width,
                                            unsigned int height, unsigned int flags) {
    ApiCall call(index, LockMode::None);
    if (!call)
        return false;
    return reportSize(OutputSize::forImage(OutputSize::isYuv(call.context()), width, height, flags),
                      size);
}
