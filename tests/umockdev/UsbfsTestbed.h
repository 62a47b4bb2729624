// SPDX-License-Identifier: MIT
// The umockdev test bed that shows virtual cameras to libusb as usbfs devices.
#pragma once

#include <umockdev.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "UsbfsDevice.h"
#include "sim/VirtualCamera.h"

namespace vidscope::test {

// One per process, created before libusb starts (libusb finds the emulated sysfs, /dev and
// udev only if they exist when it initialises). The program must run under
// umockdev-wrapper, which preloads the library that redirects those paths here.
class UsbfsTestbed {
public:
    static UsbfsTestbed& instance();
    // True when the umockdev preload library is active in this process.
    static bool preloaded();

    // Plugs `camera` into root-hub port `port` of bus 1 with the next free address: sysfs
    // attributes, the descriptors file, the device node and an "add" uevent.
    std::shared_ptr<UsbfsDevice> plug(std::shared_ptr<sim::VirtualCamera> camera, uint8_t port);
    // Pulls the cable: the device fails its URBs and, once they are reaped, a "remove"
    // uevent goes out. The node keeps answering (ENODEV) until remove().
    void unplug(const std::shared_ptr<UsbfsDevice>& device);
    // Takes an unplugged device out of the bed, once the host has closed its node.
    void remove(const std::shared_ptr<UsbfsDevice>& device);

    // The usbfs memory limit (0: none), also written where the kernel shows it.
    void setUsbfsMemoryMb(uint32_t megabytes);
    bool reserve(uint64_t bytes);
    void release(uint64_t bytes);
    uint64_t reserved() const { return reserved_.load(); }

    // The file behind an emulated path such as "/dev/bus/usb/001/002".
    std::string realPath(const std::string& emulatedPath) const;

    UsbfsTestbed(const UsbfsTestbed&) = delete;
    UsbfsTestbed& operator=(const UsbfsTestbed&) = delete;

private:
    UsbfsTestbed();
    ~UsbfsTestbed() = default;

    UMockdevTestbed* const bed_;
    std::mutex mutex_;
    uint32_t nextAddress_ = 2;
    std::atomic<uint64_t> limit_{0};
    std::atomic<uint64_t> reserved_{0};
};

}  // namespace vidscope::test
