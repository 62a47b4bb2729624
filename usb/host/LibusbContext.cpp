// SPDX-License-Identifier: MIT
// Start-up and shut-down of the libusb context, its event thread and hot-plug callbacks.
#include "usb/host/LibusbContext.h"

#include <libusb.h>

#include <utility>

#include "usb/host/HostLog.h"

namespace vidscope::host {
namespace {

int LIBUSB_CALL onHotplug(libusb_context*, libusb_device* device, libusb_hotplug_event event,
                          void* userData) {
    auto* handler = static_cast<LibusbContext::HotplugHandler*>(userData);
    (*handler)(device, event == LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED);
    return 0;  // stay registered
}

}  // namespace

LibusbDeviceRef::LibusbDeviceRef(libusb_device* device)
    : device_(device != nullptr ? libusb_ref_device(device) : nullptr) {}

LibusbDeviceRef::~LibusbDeviceRef() {
    if (device_ != nullptr)
        libusb_unref_device(device_);
}

LibusbDeviceRef::LibusbDeviceRef(const LibusbDeviceRef& other) : LibusbDeviceRef(other.device_) {}

LibusbDeviceRef& LibusbDeviceRef::operator=(LibusbDeviceRef other) noexcept {
    std::swap(device_, other.device_);
    return *this;
}

std::shared_ptr<LibusbContext> LibusbContext::create() {
    libusb_context* context = nullptr;
    if (const int error = libusb_init(&context); error != LIBUSB_SUCCESS) {
        VS_LOG(hostLog(), Info) << "USB cameras unavailable: libusb cannot start ("
                                << libusb_error_name(error) << ")";
        return nullptr;
    }
    return std::shared_ptr<LibusbContext>(new LibusbContext(context));
}

LibusbContext::LibusbContext(libusb_context* context)
    : context_(context), eventThread_([this] { runEvents(); }) {}

LibusbContext::~LibusbContext() {
    for (const auto& watch : watches_)
        libusb_hotplug_deregister_callback(context_, watch->registration);
    stop_.store(1);
    libusb_interrupt_event_handler(context_);
    eventThread_.join();
    libusb_exit(context_);
}

void LibusbContext::runEvents() {
    while (stop_.load() == 0) {
        timeval slice{0, 250000};
        int completed = 0;
        const int error = libusb_handle_events_timeout_completed(context_, &slice, &completed);
        if (error != LIBUSB_SUCCESS && error != LIBUSB_ERROR_INTERRUPTED) {
            VS_LOG(hostLog(), Warning) << "libusb event handling: " << libusb_error_name(error);
        }
    }
}

std::vector<LibusbDeviceRef> LibusbContext::devices(uint16_t vendorId) const {
    std::vector<LibusbDeviceRef> found;
    libusb_device** list = nullptr;
    const ssize_t count = libusb_get_device_list(context_, &list);
    if (count < 0) {
        VS_LOG(hostLog(), Warning)
            << "cannot list USB devices: " << libusb_error_name(static_cast<int>(count));
        return found;
    }
    for (ssize_t i = 0; i < count; ++i) {
        libusb_device_descriptor descriptor{};
        if (libusb_get_device_descriptor(list[i], &descriptor) == LIBUSB_SUCCESS &&
            descriptor.idVendor == vendorId) {
            found.emplace_back(list[i]);
        }
    }
    libusb_free_device_list(list, 1);
    return found;
}

bool LibusbContext::watchHotplug(uint16_t vendorId, HotplugHandler handler) {
    if (libusb_has_capability(LIBUSB_CAP_HAS_HOTPLUG) == 0)
        return false;
    auto watch = std::make_unique<Watch>();
    watch->handler = std::move(handler);
    const int events = LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED | LIBUSB_HOTPLUG_EVENT_DEVICE_LEFT;
    const int error = libusb_hotplug_register_callback(
        context_, events, LIBUSB_HOTPLUG_NO_FLAGS, vendorId, LIBUSB_HOTPLUG_MATCH_ANY,
        LIBUSB_HOTPLUG_MATCH_ANY, onHotplug, &watch->handler, &watch->registration);
    if (error != LIBUSB_SUCCESS) {
        VS_LOG(hostLog(), Warning) << "USB hot-plug unavailable: " << libusb_error_name(error);
        return false;
    }
    watches_.push_back(std::move(watch));
    return true;
}

}  // namespace vidscope::host
