// SPDX-License-Identifier: MIT
// The queue of bulk-in transfers of one virtual port, served in order by one worker thread.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <stop_token>
#include <thread>

#include "usb/host/Port.h"

namespace vidscope::host {

struct BulkReadResult {
    TransferStatus status = TransferStatus::Cancelled;
    uint32_t length = 0;
};

// The worker takes the oldest transfer, lets the reader fill it (the reader may block for as
// long as the device has no data) and completes it; then the next. Ending transfers early
// (cancel, unplug) stops the read in progress through its stop token and completes the
// queued ones without reading, oldest first, after the one in progress.
class VirtualBulkQueue {
public:
    using Reader = std::function<BulkReadResult(std::span<uint8_t>, std::stop_token)>;

    explicit VirtualBulkQueue(Reader reader);
    // Ends every transfer with NoDevice and joins the worker.
    ~VirtualBulkQueue();
    VirtualBulkQueue(const VirtualBulkQueue&) = delete;
    VirtualBulkQueue& operator=(const VirtualBulkQueue&) = delete;

    // Queues a transfer; false (and the transfer untouched) while not accepting.
    bool push(std::shared_ptr<PortTransfer> transfer);
    void setAccepting(bool accepting);

    // Ends every transfer of `endpoint` (of all endpoints when nullopt) with `status`, and
    // returns once each has completed, including the one being read. Called from the worker
    // itself (a completion callback), it cannot wait for the callback it is part of.
    void end(std::optional<uint8_t> endpoint, TransferStatus status);

    size_t pendingCount() const;

private:
    void run(std::stop_token stop);

    struct Item {
        std::shared_ptr<PortTransfer> transfer;
        uint64_t serial = 0;
    };

    const Reader reader_;
    mutable std::mutex mutex_;
    std::condition_variable_any wake_;
    std::condition_variable_any finished_;
    std::deque<Item> queue_;
    bool accepting_ = false;
    uint64_t nextSerial_ = 1;
    // The transfer being read or completed (serial 0: none) and how an early end wants it
    // reported while it is still being read.
    uint64_t busySerial_ = 0;
    uint8_t busyEndpoint_ = 0;
    bool busyReading_ = false;
    std::optional<TransferStatus> busyOverride_;
    std::stop_source busyStop_;
    uint64_t lastFinishedSerial_ = 0;
    std::jthread worker_;  // last: starts after everything it uses exists
};

}  // namespace vidscope::host
