// SPDX-License-Identifier: MIT
// Test fixture pieces: a virtual camera plugged into the driver, and scripted firmware parts.
#pragma once

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "sim/VendorRequestHandler.h"
#include "usb/host/Driver.h"
#include "usb/host/VirtualPort.h"

namespace vidscope::usb::test {

// Plugs a fresh virtual camera of one model in for the lifetime of the object.
class AttachedCamera {
public:
    explicit AttachedCamera(uint16_t productId) : port_(host::VirtualPort::create(productId)) {
        if (port_)
            id_ = host::Driver::instance().attach(port_);
    }
    ~AttachedCamera() {
        if (port_)
            host::Driver::instance().detach(id_);
    }
    AttachedCamera(const AttachedCamera&) = delete;
    AttachedCamera& operator=(const AttachedCamera&) = delete;

    bool valid() const { return port_ != nullptr; }
    host::VirtualPort& port() const { return *port_; }
    sim::VirtualCamera& camera() const { return port_->camera(); }
    std::string path() const { return host::Driver::instance().pathOf(id_); }
    void unplug() {
        host::Driver::instance().detach(id_);
        port_.reset();
    }

    // Where this camera stands in the driver's enumeration (255 when absent).
    uint8_t position() const {
        const auto paths = host::Driver::instance().presentInterfaces().paths;
        const auto it = std::find(paths.begin(), paths.end(), path());
        return it == paths.end() ? 255 : static_cast<uint8_t>(it - paths.begin());
    }

private:
    std::shared_ptr<host::VirtualPort> port_;
    host::Driver::PortId id_ = 0;
};

// Vendor firmware that remembers the last request and echoes the last OUT data on IN.
class EchoVendorHandler : public sim::VendorRequestHandler {
public:
    sim::ControlResult handleVendorRequest(const sim::ControlSetup& setup,
                                           std::span<uint8_t> data) override {
        std::lock_guard lock(mutex_);
        last_ = setup;
        if (stall_)
            return {sim::ControlOutcome::Stall, 0};
        if (setup.requestType & 0x80) {
            const size_t n = std::min(stored_.size(), data.size());
            std::copy_n(stored_.begin(), n, data.begin());
            return {sim::ControlOutcome::Ack, static_cast<uint32_t>(n)};
        }
        stored_.assign(data.begin(), data.end());
        return {sim::ControlOutcome::Ack, static_cast<uint32_t>(data.size())};
    }
    sim::ControlSetup last() const {
        std::lock_guard lock(mutex_);
        return last_;
    }
    void setStall(bool stall) {
        std::lock_guard lock(mutex_);
        stall_ = stall;
    }

private:
    mutable std::mutex mutex_;
    sim::ControlSetup last_;
    std::vector<uint8_t> stored_;
    bool stall_ = false;
};

}  // namespace vidscope::usb::test
