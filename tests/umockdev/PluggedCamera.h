// SPDX-License-Identifier: MIT
// Test fixture piece: a virtual camera plugged into the emulated bus, seen by the driver.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "UsbfsTestbed.h"
#include "base/LogCategory.h"
#include "sim/CameraFirmware.h"
#include "sim/VirtualCamera.h"
#include "usb/host/Driver.h"

namespace vidscope::test {

inline bool waitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// Everything logged in this process since capture() was first called.
class CapturedLog {
public:
    static void capture() {
        static std::once_flag once;
        std::call_once(once, [] {
            base::LogCategory::setSink(
                [](const base::LogCategory&, base::LogLevel, const std::string& message) {
                    std::lock_guard lock(mutex());
                    text() += message + "\n";
                });
        });
    }
    static std::string contents() {
        std::lock_guard lock(mutex());
        return text();
    }
    static size_t count(const std::string& needle) {
        const std::string all = contents();
        size_t n = 0;
        for (size_t at = all.find(needle); at != std::string::npos; at = all.find(needle, at + 1))
            ++n;
        return n;
    }

private:
    static std::mutex& mutex() {
        static std::mutex m;
        return m;
    }
    static std::string& text() {
        static std::string t;
        return t;
    }
};

inline bool driverLists(const std::string& path) {
    for (const std::string& listed : host::Driver::instance().presentInterfaces().paths) {
        if (listed == path)
            return true;
    }
    return false;
}

// The interface path the driver gives a camera on root-hub port `port` of bus 1.
inline std::string usbPath(uint16_t productId, uint8_t port) {
    char path[48];
    std::snprintf(path, sizeof path, "usb:a7b7:%04x:1-%u", productId, port);
    return path;
}

// Plugs a camera of the model with `productId` into `port` (firmware and all, or a bare USB
// device for scripted tests) and waits until hot-plug has brought it into the driver.
class PluggedCamera {
public:
    PluggedCamera(uint16_t productId, uint8_t port, bool firmware = false)
        : productId_(productId), port_(port) {
        const sim::VirtualModel* model = sim::findVirtualModel(productId);
        camera_ = std::make_shared<sim::VirtualCamera>(*model, port);
        if (firmware) {
            sim::FirmwareOptions options;
            options.instance = port;
            firmware_ = sim::CameraFirmware::create(*model, options);
            camera_->setVendorHandler(firmware_->vendorHandler());
            camera_->setBulkSource(firmware_->bulkSource());
        }
        plug();
    }
    ~PluggedCamera() {
        if (device_)
            unplug();
    }
    PluggedCamera(const PluggedCamera&) = delete;
    PluggedCamera& operator=(const PluggedCamera&) = delete;

    void plug() {
        device_ = UsbfsTestbed::instance().plug(camera_, port_);
        listed_ = waitUntil([&] { return driverLists(path()); });
    }
    // Pulls the cable and waits until the driver has let go of the camera.
    void unplug() {
        UsbfsTestbed::instance().unplug(device_);
        dropped_ = waitUntil([&] { return !driverLists(path()); });
        UsbfsTestbed::instance().remove(device_);
        device_.reset();
    }

    // The device comes back at the same place under a new address, as after a reset that
    // re-enumerated it; the driver is not waited for.
    void reenumerate() {
        UsbfsTestbed::instance().unplug(device_);
        UsbfsTestbed::instance().remove(device_);
        device_ = UsbfsTestbed::instance().plug(camera_, port_);
    }

    bool listed() const { return listed_; }
    bool dropped() const { return dropped_; }
    std::string path() const { return usbPath(productId_, port_); }
    sim::VirtualCamera& camera() const { return *camera_; }
    sim::CameraFirmware& firmware() const { return *firmware_; }
    UsbfsDevice& device() const { return *device_; }

private:
    const uint16_t productId_;
    const uint8_t port_;
    std::shared_ptr<sim::VirtualCamera> camera_;
    std::shared_ptr<sim::CameraFirmware> firmware_;
    std::shared_ptr<UsbfsDevice> device_;
    bool listed_ = false;
    bool dropped_ = false;
};

}  // namespace vidscope::test
