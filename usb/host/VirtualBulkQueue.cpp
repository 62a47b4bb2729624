// SPDX-License-Identifier: MIT
// Worker thread, ordered completion and early ending of a virtual port's bulk-in transfers.
#include "usb/host/VirtualBulkQueue.h"

#include <utility>
#include <vector>

namespace vidscope::host {

VirtualBulkQueue::VirtualBulkQueue(Reader reader)
    : reader_(std::move(reader)), worker_([this](std::stop_token stop) { run(stop); }) {}

VirtualBulkQueue::~VirtualBulkQueue() {
    setAccepting(false);
    end(std::nullopt, TransferStatus::NoDevice);
    worker_.request_stop();
    worker_.join();
}

bool VirtualBulkQueue::push(std::shared_ptr<PortTransfer> transfer) {
    {
        std::lock_guard lock(mutex_);
        if (!accepting_)
            return false;
        queue_.push_back({std::move(transfer), nextSerial_++});
    }
    wake_.notify_one();
    return true;
}

void VirtualBulkQueue::setAccepting(bool accepting) {
    std::lock_guard lock(mutex_);
    accepting_ = accepting;
}

size_t VirtualBulkQueue::pendingCount() const {
    std::lock_guard lock(mutex_);
    return queue_.size() + (busySerial_ != 0 ? 1 : 0);
}

void VirtualBulkQueue::end(std::optional<uint8_t> endpoint, TransferStatus status) {
    auto matches = [&](uint8_t address) { return !endpoint || *endpoint == address; };
    std::vector<std::shared_ptr<PortTransfer>> ended;
    std::unique_lock lock(mutex_);
    for (auto it = queue_.begin(); it != queue_.end();) {
        if (matches(it->transfer->endpoint)) {
            ended.push_back(std::move(it->transfer));
            it = queue_.erase(it);
        } else {
            ++it;
        }
    }
    if (busySerial_ != 0 && matches(busyEndpoint_)) {
        const uint64_t serial = busySerial_;
        if (busyReading_) {
            busyOverride_ = status;
            busyStop_.request_stop();
        }
        if (std::this_thread::get_id() != worker_.get_id()) {
            finished_.wait(lock, [&] { return lastFinishedSerial_ >= serial; });
        }
    }
    lock.unlock();
    for (auto& transfer : ended)
        transfer->onComplete(status, 0);
}

void VirtualBulkQueue::run(std::stop_token stop) {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, stop, [this] { return !queue_.empty(); });
        if (stop.stop_requested())
            return;
        Item item = std::move(queue_.front());
        queue_.pop_front();
        busySerial_ = item.serial;
        busyEndpoint_ = item.transfer->endpoint;
        busyReading_ = true;
        busyOverride_.reset();
        busyStop_ = std::stop_source();
        std::stop_token readStop = busyStop_.get_token();
        lock.unlock();

        BulkReadResult result = reader_(item.transfer->buffer, readStop);

        lock.lock();
        busyReading_ = false;
        if (busyOverride_)
            result.status = *busyOverride_;
        lock.unlock();
        item.transfer->onComplete(result.status, result.length);
        item.transfer.reset();
        lock.lock();
        lastFinishedSerial_ = item.serial;
        busySerial_ = 0;
        finished_.notify_all();
    }
}

}  // namespace vidscope::host
