// SPDX-License-Identifier: MIT
// Start-up enumeration and hot-plug handling of the cameras reached through libusb.
#include "usb/host/LibusbDevices.h"

#include <libusb.h>

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "usb/host/HostLog.h"
#include "usb/host/LibusbPort.h"

namespace vidscope::host {
namespace {

// Bus number, then the port path: the order in which cameras appear at start-up.
std::vector<int> busOrder(libusb_device* device) {
    std::vector<int> order{libusb_get_bus_number(device)};
    uint8_t ports[8];
    const int depth = libusb_get_port_numbers(device, ports, sizeof ports);
    for (int i = 0; i < depth; ++i)
        order.push_back(ports[i]);
    order.push_back(libusb_get_device_address(device));
    return order;
}

}  // namespace

size_t LibusbDevices::start(Driver& driver) {
    if (const char* setting = std::getenv("VIDSCOPE_LIBUSB");
        setting != nullptr && std::string_view(setting) == "0") {
        VS_LOG(hostLog(), Info) << "USB cameras not looked for (VIDSCOPE_LIBUSB=0)";
        return 0;
    }
    std::shared_ptr<LibusbContext> context = LibusbContext::create();
    if (!context)
        return 0;
    // Lives as long as the driver, which is never destroyed.
    static LibusbDevices* const devices = new LibusbDevices(driver, std::move(context));
    return devices->attachPresent();
}

LibusbDevices::LibusbDevices(Driver& driver, std::shared_ptr<LibusbContext> context)
    : driver_(driver), context_(std::move(context)) {}

size_t LibusbDevices::attachPresent() {
    // Watching first, listing second: a camera plugged in between shows up twice, which
    // arrived() shrugs off, rather than not at all.
    const bool watching =
        context_->watchHotplug(kCameraVendorId, [this](libusb_device* device, bool arrived) {
            {
                std::lock_guard lock(mutex_);
                events_.push_back({LibusbDeviceRef(device), arrived});
            }
            wake_.notify_one();
        });
    if (!watching) {
        VS_LOG(hostLog(), Info) << "USB hot-plug not available; cameras are found at start-up";
    }
    std::vector<LibusbDeviceRef> present = context_->devices(kCameraVendorId);
    std::sort(present.begin(), present.end(),
              [](const auto& a, const auto& b) { return busOrder(a.get()) < busOrder(b.get()); });
    for (const LibusbDeviceRef& device : present)
        arrived(device);
    const size_t count = attached_.size();
    dispatcher_ = std::jthread([this](std::stop_token stop) { dispatch(stop); });
    return count;
}

void LibusbDevices::dispatch(std::stop_token stop) {
    while (true) {
        Event event;
        {
            std::unique_lock lock(mutex_);
            if (!wake_.wait(lock, stop, [&] { return !events_.empty(); }))
                return;
            event = std::move(events_.front());
            events_.pop_front();
        }
        if (event.arrived)
            arrived(event.device);
        else
            left(event.device);
    }
}

void LibusbDevices::arrived(const LibusbDeviceRef& device) {
    const std::string key = LibusbPort::keyOf(device.get());
    auto it = attached_.find(key);
    if (it != attached_.end()) {
        const LibusbPort& attached = *it->second.port;
        // Reported twice, or the device a reset of that port re-enumerated: it finds it.
        if (attached.device().get() == device.get() || attached.reenumerating())
            return;
        // A new device in the same place: the old one left without a word.
        driver_.detach(it->second.id);
        attached_.erase(it);
    }
    auto port = std::make_shared<LibusbPort>(context_, device);
    attached_[key] = {port, driver_.attach(port)};
}

void LibusbDevices::left(const LibusbDeviceRef& device) {
    auto it = std::find_if(attached_.begin(), attached_.end(), [&](const auto& entry) {
        return entry.second.port->device().get() == device.get();
    });
    // A device whose port is re-enumerating it leaves to come back: the port stays.
    if (it == attached_.end() || it->second.port->reenumerating())
        return;
    driver_.detach(it->second.id);
    attached_.erase(it);
}

}  // namespace vidscope::host
