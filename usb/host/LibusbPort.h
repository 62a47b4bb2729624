// SPDX-License-Identifier: MIT
// The port of a real USB device, carried out with libusb-1.0.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <vector>

#include "usb/host/LibusbContext.h"
#include "usb/host/LibusbSubmission.h"
#include "usb/host/Port.h"

struct libusb_device_handle;

namespace vidscope::host {

// Control, bulk and interrupt transfers become asynchronous libusb transfers that complete
// on the context's event thread; isochronous transfers fail with NotSupported. Bulk and
// interrupt transfers of one endpoint reach the device in submission order. When the kernel
// refuses a submission for lack of usbfs memory, the transfer waits in a backlog until
// earlier ones complete (fewer in flight), or, with nothing else in flight, travels in
// smaller pieces; the user is told once how to raise the limit.
class LibusbPort : public Port {
public:
    // Reads what it can without opening the device: ids, speed, address, topology and the
    // product name the kernel already read.
    LibusbPort(std::shared_ptr<LibusbContext> context, LibusbDeviceRef device);
    ~LibusbPort() override;
    LibusbPort(const LibusbPort&) = delete;
    LibusbPort& operator=(const LibusbPort&) = delete;

    // "bus-port.port…" from the device's place on the bus, e.g. "1-2.3".
    static std::string keyOf(libusb_device* device);
    // The device this port carries now: a reset that re-enumerated it replaces it.
    LibusbDeviceRef device() const;
    // True while a reset waits for its re-enumerated device; the departure of the old device
    // and the arrival of the new one at this place are this port's, not a new camera.
    bool reenumerating() const { return reenumerating_.load(); }

    PortDescription description() const override { return description_; }
    uint32_t open() override;
    void close() override;
    void submit(std::shared_ptr<PortTransfer> transfer) override;
    void cancel(uint8_t endpoint) override;
    bool clearHalt(uint8_t endpoint) override;
    bool setTransferSize(uint8_t endpoint, uint32_t size) override;
    bool cyclePort() override;
    bool resetParentPort() override;
    int alternateSetting() override;

private:
    struct EndpointInfo {
        uint8_t libusbType = 0;
        uint32_t maxPacket = 0;
    };
    // Transfers of one bulk or interrupt endpoint: waiting for memory, or in flight.
    struct EndpointQueue {
        std::deque<std::unique_ptr<LibusbSubmission>> backlog;
        size_t inFlight = 0;
        uint64_t bytesInFlight = 0;
        bool pieceInFlight = false;  // a transfer in pieces holds back the ones behind it
        uint32_t pieceLimit = 0;     // 0 until memory ran short with nothing else in flight
    };
    struct Ending {
        std::shared_ptr<PortTransfer> transfer;
        TransferStatus status;
        uint32_t length;
    };
    using Lock = std::unique_lock<std::mutex>;

    static void onTransfer(libusb_transfer* transfer);
    void pieceDone(LibusbSubmission* submission);
    void submitControl(std::shared_ptr<PortTransfer> transfer, std::vector<Ending>& endings);
    void pump(uint8_t endpoint, EndpointQueue& queue, std::vector<Ending>& endings);
    bool readEndpoints(libusb_device* device);
    // Ends every transfer of `endpoint` (all endpoints when `all`) with `status` and waits
    // until each has completed.
    void endTransfers(bool all, uint8_t endpoint, TransferStatus status);
    void waitFinished(Lock& lock, bool all, uint8_t endpoint, uint64_t lastSerial);
    static void deliver(std::vector<Ending>& endings);
    bool resetDevice();
    // After a reset answered that the device re-enumerated: closes the dead handle, finds the
    // device again at the same place with the same serial number and opens it. Needs
    // handleUse_ exclusively.
    bool reopenReenumerated(libusb_device_handle* dead);
    libusb_device_handle* openClaimed(const LibusbDeviceRef& device, int& error);

    const std::shared_ptr<LibusbContext> context_;
    LibusbDeviceRef device_;  // guarded by mutex_ once the port is shared
    const PortDescription description_;
    std::string serial_;  // read at open: tells the device apart from another at its place
    std::atomic<bool> reenumerating_{false};

    // Held shared by calls that use the handle outside mutex_, exclusively to close it.
    std::shared_mutex handleUse_;
    mutable std::mutex mutex_;
    std::condition_variable finished_;
    libusb_device_handle* handle_ = nullptr;
    int interfaceNumber_ = 0;
    std::map<uint8_t, EndpointInfo> endpoints_;
    std::map<uint8_t, EndpointQueue> queues_;
    std::map<LibusbSubmission*, std::unique_ptr<LibusbSubmission>> inFlight_;
    size_t completing_ = 0;  // completions being delivered outside the lock
    uint64_t nextSerial_ = 1;
    std::map<uint8_t, uint32_t> transferSizes_;
};

}  // namespace vidscope::host
