// SPDX-License-Identifier: MIT
// The ring of bulk-in transfers a camera keeps queued: sizing, arming, waiting, re-queueing.
#include "cameraapi/device/TransferRing.h"

#include <array>
#include <chrono>
#include <memory>
#include <mutex>
#include <span>

#include "cameraapi/ApiLog.h"
#include "cameraapi/device/CameraContext.h"
#include "cameraapi/model/ModelTable.h"
#include "usb/TransferRequest.h"
#include "usb/UsbDevice.h"
#include "usb/host/SystemError.h"

namespace vidscope::api {
namespace {

constexpr int32_t kUsb3Buffers = 20;
constexpr int32_t kUsb3BufferSize = 1048576;
constexpr int32_t kUsb3TransferSize = 32768;
constexpr int32_t kUsb2BufferSize = 307200;

size_t position(const CameraContext& context) {
    return static_cast<size_t>(context.ringIndex);
}

bool isPending(const host::Overlapped& overlapped) {
    return overlapped.status.load() == host::kErrorIoPending;
}

}  // namespace

TransferPlan TransferPlan::forDeviceCode(uint16_t deviceCode) {
    if (ModelTable::usesUsb3Buffers(deviceCode))
        return {kUsb3Buffers, kUsb3BufferSize, kUsb3TransferSize};
    if (deviceCode == 0x0E00)
        return {50, kUsb2BufferSize, kUsb2BufferSize};
    if (deviceCode == 0x0A00 || deviceCode == 0x0A0B)
        return {30, kUsb2BufferSize, kUsb2BufferSize};
    return {20, kUsb2BufferSize, kUsb2BufferSize};
}

bool TransferRing::arm(CameraContext& context, const TransferPlan& plan) {
    usb::BulkEndpoint* bulkIn = context.device ? context.device->bulkInEndPoint() : nullptr;
    if (bulkIn == nullptr || plan.bufferCount <= 0 ||
        plan.bufferCount > static_cast<int32_t>(CameraContext::kMaxBuffers)) {
        return false;
    }
    context.bufferCount = plan.bufferCount;
    context.bufferSize = plan.bufferSize;
    context.transferSize = plan.transferSize;
    const auto size = static_cast<size_t>(plan.bufferSize);
    for (int32_t i = 0; i < plan.bufferCount; ++i)
        context.buffers[static_cast<size_t>(i)] = std::make_unique_for_overwrite<uint8_t[]>(size);
    // The virtual port ignores the size, a real one splits the buffer into such transfers; a
    // refusal leaves the driver's default, which still carries the data.
    if (!bulkIn->SetTransferSize(static_cast<uint32_t>(plan.transferSize))) {
        VS_LOG(apiLog(), Warning) << "bulk-in endpoint refused transfer size " << plan.transferSize;
    }
    context.ringIndex = 0;
    bool allQueued = true;
    for (int32_t i = 0; i < plan.bufferCount; ++i)
        allQueued = requeue(context) && allQueued;
    context.ringIndex = 0;
    return allQueued;
}

void TransferRing::disarm(CameraContext& context) {
    for (size_t i = 0; i < CameraContext::kMaxBuffers; ++i) {
        context.pendingTransfers[i].reset();
        context.buffers[i].reset();
    }
    context.bufferCount = 0;
    context.ringIndex = 0;
}

TransferRing::Wait TransferRing::wait(CameraContext& context, uint32_t timeoutMs,
                                      bool wakeOnAbort) {
    const size_t i = position(context);
    const std::unique_ptr<usb::TransferRequest>& request = context.pendingTransfers[i];
    if (!request || !request->reachedDriver())
        return Wait::NotQueued;
    host::Overlapped& overlapped = context.overlapped[i];
    host::Event* events[2] = {context.overlappedEvents[i].get(), &context.abortEvent};
    const std::span<host::Event* const> watched(events, wakeOnAbort ? 2 : 1);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    // The completion status decides, not the event: an auto-reset event may still carry the
    // signal of an earlier completion that nobody waited for.
    for (;;) {
        if (!isPending(overlapped))
            return Wait::Completed;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return Wait::TimedOut;
        const int signalled = host::Event::waitAny(watched, static_cast<uint32_t>(left.count()));
        if (signalled == 1 && isPending(overlapped))
            return Wait::Aborted;
    }
}

TransferRing::Finished TransferRing::finish(CameraContext& context) {
    const size_t i = position(context);
    Finished result;
    usb::BulkEndpoint* bulkIn = context.device ? context.device->bulkInEndPoint() : nullptr;
    if (bulkIn == nullptr) {
        context.pendingTransfers[i].reset();
        return result;
    }
    uint32_t length = static_cast<uint32_t>(context.bufferSize);
    result.ok = bulkIn->FinishTransfer(context.buffers[i].get(), length, context.overlapped[i],
                                       context.pendingTransfers[i]);
    // Only a pending request is left with the caller, and wait() rules that out; dropping it
    // here would let the driver write into a freed block, so keep the invariant loud.
    if (context.pendingTransfers[i]) {
        VS_LOG(apiLog(), Error) << "ring transfer " << i << " finished while still pending";
        result.ok = false;
        return result;
    }
    result.length = length;
    result.usbdStatus = bulkIn->usbdStatus();
    return result;
}

bool TransferRing::requeue(CameraContext& context) {
    const size_t i = position(context);
    context.ringIndex = (context.ringIndex + 1) % context.bufferCount;
    if (context.pendingTransfers[i])
        return true;  // still outstanding: queueing it twice would corrupt its record
    usb::BulkEndpoint* bulkIn = context.device ? context.device->bulkInEndPoint() : nullptr;
    if (bulkIn == nullptr)
        return false;
    context.overlappedEvents[i]->reset();
    context.pendingTransfers[i] = bulkIn->BeginTransfer(
        context.buffers[i].get(), static_cast<uint32_t>(context.bufferSize), context.overlapped[i]);
    const std::unique_ptr<usb::TransferRequest>& request = context.pendingTransfers[i];
    return request && request->reachedDriver();
}

int TransferRing::drain(CameraContext& context, int limit) {
    context.abortEvent.set();
    std::lock_guard stream(context.streamMutex);
    context.abortEvent.reset();
    if (context.bufferCount <= 0)
        return 0;
    int drained = 0;
    while (limit <= 0 || drained < limit) {
        if (wait(context, kDrainWaitMs, false) != Wait::Completed)
            break;
        finish(context);
        requeue(context);
        ++drained;
    }
    return drained;
}

}  // namespace vidscope::api
