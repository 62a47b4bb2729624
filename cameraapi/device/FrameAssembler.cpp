// SPDX-License-Identifier: MIT
// Joins the ring's completed transfers into one frame of exactly the expected length.
#include "cameraapi/device/FrameAssembler.h"

#include <algorithm>
#include <cstring>

#include "cameraapi/ApiLog.h"
#include "cameraapi/device/CameraContext.h"
#include "cameraapi/device/OutputSize.h"
#include "cameraapi/device/TransferRing.h"
#include "usb/UsbDevice.h"

namespace vidscope::api {
namespace {

// Status words of a transfer that ended because we or the unplug ended it: the pipe is not
// halted, and resetting it would only cost a control request.
constexpr uint32_t kUsbdCanceled = 0xC0010000;
constexpr uint32_t kUsbdDeviceGone = 0xC0007000;

constexpr int32_t kTriggerMode = 2;

}  // namespace

FrameAssembler::FrameAssembler(CameraContext& context, const FrameShape& shape, uint8_t* frame,
                               uint32_t callerSize, uint32_t flags)
    : context_(context),
      shape_(shape),
      frame_(frame),
      frameBytes_(static_cast<uint32_t>(shape.frameBytes())),
      callerSize_(callerSize),
      flags_(flags),
      triggerMode_(context.snapMode == kTriggerMode) {
    // A frame takes its full transfers plus one short (or zero-length) one; a query may have
    // to skip the rest of a frame in progress before its own begins.
    const uint64_t bufferSize = context.bufferSize > 0 ? uint64_t(context.bufferSize) : 1;
    const uint64_t perFrame = (uint64_t{frameBytes_} + bufferSize - 1) / bufferSize + 1;
    takenLimit_ = (kMaxDroppedFrames + 2) * perFrame;
}

FrameAssembler::Outcome FrameAssembler::collect() {
    Outcome outcome = Outcome::Complete;
    if (!startFrame(outcome))
        return outcome;
    for (;;) {
        switch (take(outcome)) {
            case Step::Continue:
                break;
            case Step::Restart:
                if (!startFrame(outcome))
                    return outcome;
                break;
            case Step::Done:
                return outcome;
        }
    }
}

// The geometry can change under a running query (the resolution setters share the lock), so
// it is compared again at every frame start: the frame buffer and the caller's image were
// sized for the query's shape, and a frame of another shape would not fit them.
bool FrameAssembler::startFrame(Outcome& refusal) {
    if (shape_.forQuery(flags_) != callerSize_ || OutputSize::shapeOf(context_) != shape_) {
        refusal = Outcome::WrongSize;
        return false;
    }
    if (context_.device->bulkInEndPoint() == nullptr || context_.bufferCount <= 0) {
        refusal = Outcome::NoDataPipe;
        return false;
    }
    copied_ = 0;
    failures_ = 0;
    return true;
}

FrameAssembler::Step FrameAssembler::take(Outcome& outcome) {
    // Through the pipeline's mutex: CameraSetTimeout writes it from another thread.
    const int32_t timeoutMs =
        context_.pipeline.read([](const ImageSettings& s) { return s.timeoutMs; });
    const auto timeout = static_cast<uint32_t>(std::max(timeoutMs, 0));
    switch (TransferRing::wait(context_, timeout, true)) {
        case TransferRing::Wait::Completed:
            break;
        case TransferRing::Wait::TimedOut:
            outcome = context_.abortEvent.isSet() ? Outcome::Aborted : Outcome::TimedOut;
            return Step::Done;
        case TransferRing::Wait::Aborted:
            outcome = Outcome::Aborted;
            return Step::Done;
        case TransferRing::Wait::NotQueued:
            // Refused, or failed before its submission even returned (a transfer can fail that
            // fast): a failed transfer like any other, counted against this frame. A camera
            // that is gone refuses every one, so the failures soon exceed the ring's size.
            break;
    }
    if (++taken_ > takenLimit_) {
        VS_LOG(apiLog(), Warning) << "no frame of " << frameBytes_ << " bytes in " << taken_ - 1
                                  << " transfers; the camera sends another frame size";
        outcome = Outcome::BadFrame;
        return Step::Done;
    }
    const TransferRing::Finished done = TransferRing::finish(context_);
    if (!done.ok)
        return onFailedTransfer(done.usbdStatus, outcome);
    if (done.length == static_cast<uint32_t>(context_.bufferSize))
        return onFullTransfer(done.length);
    return onShortTransfer(done.length, outcome);
}

FrameAssembler::Step FrameAssembler::onFailedTransfer(uint32_t usbdStatus, Outcome& outcome) {
    if (usbdStatus != kUsbdCanceled && usbdStatus != kUsbdDeviceGone)
        context_.device->bulkInEndPoint()->Reset();
    TransferRing::requeue(context_);
    if (++failures_ > context_.bufferCount) {
        outcome = Outcome::TooManyFailures;
        return Step::Done;
    }
    return Step::Continue;
}

FrameAssembler::Step FrameAssembler::onFullTransfer(uint32_t length) {
    if (!synced_ || length > frameBytes_ - copied_) {
        TransferRing::requeue(context_);
        synced_ = false;
        return Step::Restart;
    }
    append(length);
    return Step::Continue;
}

FrameAssembler::Step FrameAssembler::onShortTransfer(uint32_t length, Outcome& outcome) {
    synced_ = true;
    if (length == frameBytes_ - copied_) {
        append(length);
        outcome = Outcome::Complete;
        return Step::Done;
    }
    TransferRing::requeue(context_);
    if (triggerMode_) {
        outcome = Outcome::BadFrame;
        return Step::Done;
    }
    VS_LOG(apiLog(), Debug) << "dropped a frame of " << copied_ + length << " bytes, expected "
                            << frameBytes_;
    return Step::Restart;
}

void FrameAssembler::append(uint32_t length) {
    const auto i = static_cast<size_t>(context_.ringIndex);
    std::memcpy(frame_ + copied_, context_.buffers[i].get(), length);
    copied_ += length;
    TransferRing::requeue(context_);
}

}  // namespace vidscope::api
