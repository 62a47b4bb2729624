// SPDX-License-Identifier: MIT
// Keeps the driver's libusb ports in step with the cameras on the bus.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "usb/host/Driver.h"
#include "usb/host/LibusbContext.h"

namespace vidscope::host {

class LibusbPort;

// Attaches a LibusbPort for every camera present at start-up (in bus order), and from then
// on one for each camera plugged in, detaching those pulled out. libusb may report a device
// more than once (start-up listing racing its hot-plug event, repeated udev events); a device
// already attached under its bus key is not attached again, and a departure of a device not
// attached is ignored. Hot-plug events are handled on a thread of their own: the event
// thread that reports them must stay free to complete the transfers that detaching waits for.
class LibusbDevices {
public:
    static constexpr uint16_t kCameraVendorId = 0xA7B7;

    // Called once, by the driver as it comes up. Returns how many cameras it attached. With
    // VIDSCOPE_LIBUSB=0 in the environment, or when libusb cannot start, attaches nothing.
    static size_t start(Driver& driver);

    LibusbDevices(const LibusbDevices&) = delete;
    LibusbDevices& operator=(const LibusbDevices&) = delete;

private:
    LibusbDevices(Driver& driver, std::shared_ptr<LibusbContext> context);
    size_t attachPresent();
    void arrived(const LibusbDeviceRef& device);
    void left(const LibusbDeviceRef& device);
    void dispatch(std::stop_token stop);

    struct Event {
        LibusbDeviceRef device;
        bool arrived = false;
    };
    // The port, not the device: a reset that re-enumerates a camera gives the port a new
    // device at the same place.
    struct Attached {
        std::shared_ptr<LibusbPort> port;
        Driver::PortId id = 0;
    };

    Driver& driver_;
    const std::shared_ptr<LibusbContext> context_;
    std::mutex mutex_;
    std::condition_variable_any wake_;
    std::deque<Event> events_;
    std::map<std::string, Attached> attached_;  // by bus key; touched by one thread at a time
    std::jthread dispatcher_;
};

}  // namespace vidscope::host
