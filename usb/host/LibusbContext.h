// SPDX-License-Identifier: MIT
// One libusb context with its event-handling thread and hot-plug registration.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

struct libusb_context;
struct libusb_device;

namespace vidscope::host {

// A counted reference to a libusb_device.
class LibusbDeviceRef {
public:
    LibusbDeviceRef() = default;
    explicit LibusbDeviceRef(libusb_device* device);  // takes a new reference
    ~LibusbDeviceRef();
    LibusbDeviceRef(const LibusbDeviceRef& other);
    LibusbDeviceRef& operator=(LibusbDeviceRef other) noexcept;
    libusb_device* get() const { return device_; }
    explicit operator bool() const { return device_ != nullptr; }

private:
    libusb_device* device_ = nullptr;
};

// Every transfer of every LibusbPort completes on this context's one event thread; ports
// keep the context alive while they exist. Hot-plug callbacks also run on that thread, so a
// hot-plug handler must hand its work to another thread instead of doing I/O.
class LibusbContext {
public:
    // Null when libusb cannot start here (no usbfs, no permission to read the bus); the
    // reason is logged.
    static std::shared_ptr<LibusbContext> create();
    ~LibusbContext();
    LibusbContext(const LibusbContext&) = delete;
    LibusbContext& operator=(const LibusbContext&) = delete;

    libusb_context* get() const { return context_; }
    bool isEventThread() const { return std::this_thread::get_id() == eventThread_.get_id(); }

    // The attached devices with this vendor id, in libusb's order.
    std::vector<LibusbDeviceRef> devices(uint16_t vendorId) const;

    // Calls `handler` for each arrival and departure of a device with this vendor id, on the
    // event thread, until the context is destroyed. False when the platform lacks hot-plug
    // support (or registration failed); then only start-up enumeration finds devices.
    using HotplugHandler = std::function<void(libusb_device* device, bool arrived)>;
    bool watchHotplug(uint16_t vendorId, HotplugHandler handler);

private:
    explicit LibusbContext(libusb_context* context);
    void runEvents();

    struct Watch {
        HotplugHandler handler;
        int registration = 0;
    };

    libusb_context* const context_;
    std::vector<std::unique_ptr<Watch>> watches_;
    std::atomic<int> stop_{0};
    std::thread eventThread_;  // last: runs over the members above
};

}  // namespace vidscope::host
