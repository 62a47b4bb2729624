// SPDX-License-Identifier: MIT
// Builds the emulated sysfs entries and device nodes of virtual cameras.
#include "UsbfsTestbed.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace vidscope::test {
namespace {

std::string hex(const std::vector<uint8_t>& bytes) {
    std::string text;
    char digits[3];
    for (uint8_t b : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", b);
        text += digits;
    }
    return text;
}

// A device in umockdev's record format, which also creates the /dev node.
std::string record(sim::VirtualCamera& camera, const std::string& sysPath, uint32_t address) {
    const sim::VirtualModel& model = camera.model();
    std::vector<uint8_t> descriptors = camera.descriptors().device();
    const std::vector<uint8_t> configuration = camera.descriptors().configuration(0);
    descriptors.insert(descriptors.end(), configuration.begin(), configuration.end());
    char node[32];
    std::snprintf(node, sizeof node, "bus/usb/001/%03u", address);
    char ids[64];
    std::snprintf(ids, sizeof ids, "%04x/%04x/100", sim::kVirtualVendorId, model.productId);
    std::ostringstream r;
    r << "P: " << sysPath.substr(4) << "\n"  // without "/sys"
      << "N: " << node << "\n"
      << "E: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\n"
      << "E: DEVNAME=/dev/" << node << "\n"
      << "E: BUSNUM=001\nE: DEVNUM=" << node + 12 << "\n"
      << "E: PRODUCT=" << ids << "\n"
      << "A: busnum=1\nA: devnum=" << address << "\n"
      << "A: speed=" << (model.superSpeed ? "5000" : "480") << "\n"
      << "A: version=" << (model.superSpeed ? " 3.00" : " 2.00") << "\n"
      << "A: idVendor=" << std::string(ids, 4) << "\nA: idProduct=" << std::string(ids + 5, 4)
      << "\n"
      << "A: manufacturer=" << sim::kVirtualManufacturer << "\n"
      << "A: product=" << model.productString << "\n"
      << "A: serial=" << camera.descriptors().serialNumber() << "\n"
      << "A: bConfigurationValue=1\nA: bNumConfigurations=1\nA: bNumInterfaces= 1\n"
      << "H: descriptors=" << hex(descriptors) << "\n";
    return r.str();
}

}  // namespace

UsbfsTestbed& UsbfsTestbed::instance() {
    // Never destroyed: libusb keeps reading the emulated files until the process ends.
    static UsbfsTestbed* const bed = new UsbfsTestbed;
    return *bed;
}

bool UsbfsTestbed::preloaded() {
    const char* preload = std::getenv("LD_PRELOAD");
    return preload != nullptr &&
           std::string_view(preload).find("libumockdev-preload") != std::string_view::npos;
}

UsbfsTestbed::UsbfsTestbed() : bed_(umockdev_testbed_new()) {
    setUsbfsMemoryMb(16);  // the kernel's default
}

std::shared_ptr<UsbfsDevice> UsbfsTestbed::plug(std::shared_ptr<sim::VirtualCamera> camera,
                                                uint8_t port) {
    std::lock_guard lock(mutex_);
    const uint32_t address = nextAddress_++;
    const std::string sysPath =
        "/sys/devices/pci0000:00/0000:00:14.0/usb1/1-" + std::to_string(port);
    char node[40];
    std::snprintf(node, sizeof node, "/dev/bus/usb/001/%03u", address);
    auto device = std::make_shared<UsbfsDevice>(*this, camera, sysPath, node);
    GError* error = nullptr;
    // The ioctl handler goes in before the device appears, so that whoever reacts to the
    // "add" uevent finds a working node.
    if (!umockdev_testbed_attach_ioctl(bed_, node, device->handler(), &error) ||
        !umockdev_testbed_add_from_string(bed_, record(*camera, sysPath, address).c_str(),
                                          &error)) {
        const std::string message = error != nullptr ? error->message : "unknown error";
        g_clear_error(&error);
        throw std::runtime_error("cannot emulate " + sysPath + ": " + message);
    }
    return device;
}

void UsbfsTestbed::unplug(const std::shared_ptr<UsbfsDevice>& device) {
    using namespace std::chrono_literals;
    device->disconnect();
    // The host reaps what the disconnect ended before it hears of the removal, as usbfs
    // hands back every URB of a vanished device.
    for (auto waited = 0ms; waited < 5s && device->urbsOutstanding() > 0; waited += 5ms)
        std::this_thread::sleep_for(5ms);
    umockdev_testbed_uevent(bed_, device->sysPath().c_str(), "remove");
}

void UsbfsTestbed::remove(const std::shared_ptr<UsbfsDevice>& device) {
    std::lock_guard lock(mutex_);
    // The node goes before its handler, for the same reason in reverse: an opener that
    // still finds the node must find the handler behind it.
    umockdev_testbed_remove_device(bed_, device->sysPath().c_str());
    umockdev_testbed_detach_ioctl(bed_, device->devNode().c_str(), nullptr);
}

void UsbfsTestbed::setUsbfsMemoryMb(uint32_t megabytes) {
    limit_.store(uint64_t{megabytes} << 20);
    gchar* sys = umockdev_testbed_get_sys_dir(bed_);
    const std::filesystem::path parameters =
        std::filesystem::path(sys) / "module/usbcore/parameters";
    g_free(sys);
    std::filesystem::create_directories(parameters);
    std::ofstream(parameters / "usbfs_memory_mb") << megabytes << "\n";
}

bool UsbfsTestbed::reserve(uint64_t bytes) {
    const uint64_t limit = limit_.load();
    uint64_t current = reserved_.load();
    do {
        if (limit != 0 && current + bytes > limit)
            return false;
    } while (!reserved_.compare_exchange_weak(current, current + bytes));
    return true;
}

void UsbfsTestbed::release(uint64_t bytes) {
    reserved_.fetch_sub(bytes);
}

std::string UsbfsTestbed::realPath(const std::string& emulatedPath) const {
    gchar* root = umockdev_testbed_get_root_dir(bed_);
    std::string path = std::string(root) + emulatedPath;
    g_free(root);
    return path;
}

}  // namespace vidscope::test
