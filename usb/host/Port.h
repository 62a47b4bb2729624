// SPDX-License-Identifier: MIT
// The port interface: one attached USB device as the driver sees it (libusb or virtual).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

namespace vidscope::host {

enum class EndpointType : uint8_t { Control = 0, Isochronous = 1, Bulk = 2, Interrupt = 3 };

enum class TransferStatus : uint8_t {
    Completed,     // the whole request or a short/zero-length packet ended it; see actualLength
    Stall,         // the device answered with STALL
    Timeout,       // the port's own timeout (control requests) expired
    Cancelled,     // Port::cancel ended it
    NoDevice,      // the device is gone
    Error,         // any other transfer failure
    Overflow,      // the device sent more than the buffer holds
    NotSupported,  // the port cannot carry this kind of transfer (e.g. isochronous)
};

enum class UsbSpeed : uint8_t { Unknown = 0, Full = 1, High = 2, Super = 4 };

struct SetupPacket {
    uint8_t bmRequestType = 0;
    uint8_t bRequest = 0;
    uint16_t wValue = 0;
    uint16_t wIndex = 0;
    uint16_t wLength = 0;
};

// One request handed to a port. The driver keeps it alive (shared ownership) until onComplete
// has run; `buffer` points into memory the driver's caller owns and must stay valid as long.
struct PortTransfer {
    EndpointType type = EndpointType::Bulk;
    uint8_t endpoint = 0;       // address with direction bit; 0 for control requests
    SetupPacket setup;          // control requests only
    std::span<uint8_t> buffer;  // control data stage, or the bulk/interrupt/isoc data
    uint32_t timeoutMs = 0;     // 0: no time limit (bulk waits until cancelled)
    // Called exactly once, from any thread, possibly from inside Port::submit.
    std::function<void(TransferStatus status, uint32_t actualLength)> onComplete;
};

struct PortDescription {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    UsbSpeed speed = UsbSpeed::Unknown;
    uint8_t address = 0;
    // Stable, unique among attached ports: "bus-port.path" for real devices or "virtual-N";
    // the driver lists real ports before virtual ones by this prefix.
    std::string key;
    std::string deviceName;    // what the device-name request returns
    std::string friendlyName;  // what the friendly-name request returns
};

// A port carries out requests for one device. Implementations must be thread-safe: the
// driver submits from API threads while completions arrive on the port's own thread.
class Port {
public:
    virtual ~Port() = default;

    virtual PortDescription description() const = 0;

    // Claims the device for I/O. Returns a system error code (0 on success; kErrorAccessDenied
    // when the user lacks permission, kErrorBusy when claimed elsewhere). The driver opens a
    // port when its first handle opens and closes it when its last handle closes or the port
    // is detached.
    virtual uint32_t open() = 0;
    // Releases the device: every pending transfer completes with NoDevice before this returns,
    // and later submissions complete with NoDevice until the port is opened again.
    virtual void close() = 0;

    virtual void submit(std::shared_ptr<PortTransfer> transfer) = 0;
    // Ends every pending transfer of `endpoint` with Cancelled; returns once all have completed.
    virtual void cancel(uint8_t endpoint) = 0;
    virtual bool clearHalt(uint8_t endpoint) = 0;
    virtual bool setTransferSize(uint8_t endpoint, uint32_t size) = 0;
    virtual bool cyclePort() = 0;
    virtual bool resetParentPort() = 0;
    // The interface's current alternate setting, or -1 when it cannot be read.
    virtual int alternateSetting() = 0;
};

}  // namespace vidscope::host
