// SPDX-License-Identifier: MIT
// Test fixture: a virtual camera open in a slot, with a log of the vendor requests it receives.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "cameraapi/device/CameraContext.h"
#include "cameraapi/device/CameraSlots.h"
#include "cameraapi/model/ModelTable.h"
#include "sim/CameraFirmware.h"
#include "sim/VendorRequestHandler.h"
#include "usb/UsbDevice.h"
#include "usb/host/Driver.h"
#include "usb/host/VirtualPort.h"

namespace vidscope::api::test {

// Sits between the USB device and the firmware and writes down every vendor request, so
// that a test can tell exactly what went over the wire (and what did not).
class RequestLog : public sim::VendorRequestHandler {
public:
    struct Entry {
        bool in;
        uint8_t request;
        uint16_t value;
        uint16_t index;
        uint16_t length;
        bool operator==(const Entry&) const = default;
    };

    explicit RequestLog(std::shared_ptr<sim::VendorRequestHandler> firmware)
        : firmware_(std::move(firmware)) {}

    sim::ControlResult handleVendorRequest(const sim::ControlSetup& setup,
                                           std::span<uint8_t> data) override {
        {
            std::lock_guard lock(mutex_);
            entries_.push_back({(setup.requestType & 0x80) != 0, setup.request, setup.value,
                                setup.index, setup.length});
            if (failCode_ == setup.request && failSkip_-- == 0) {
                failCode_.reset();
                return {sim::ControlOutcome::Stall, 0};
            }
        }
        return firmware_->handleVendorRequest(setup, data);
    }

    // The request with this code after `skip` more of them succeeded stalls, once.
    void failLater(uint8_t request, int skip) {
        std::lock_guard lock(mutex_);
        failCode_ = request;
        failSkip_ = skip;
    }

    std::vector<Entry> entries() const {
        std::lock_guard lock(mutex_);
        return entries_;
    }
    // Only the requests with this code.
    std::vector<Entry> withCode(uint8_t request) const {
        std::vector<Entry> found;
        for (const Entry& e : entries())
            if (e.request == request)
                found.push_back(e);
        return found;
    }
    void clear() {
        std::lock_guard lock(mutex_);
        entries_.clear();
    }

private:
    std::shared_ptr<sim::VendorRequestHandler> firmware_;
    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
    std::optional<uint8_t> failCode_;
    int failSkip_ = 0;
};

// Plugs a virtual camera (EEPROM in memory only) into the driver and opens it into a camera
// slot the way the API does: a context owning a UsbDevice opened at the camera's position.
class ControlFixture : public ::testing::Test {
protected:
    static constexpr int kIndex = 40;

    // False (with a test failure) when the camera could not be opened.
    bool plug(uint16_t deviceCode) {
        sim::FirmwareOptions options;
        options.persistEeprom = false;
        options.stateDirectory = std::filesystem::path{};
        port_ = host::VirtualPort::create(deviceCode, options);
        if (port_ == nullptr) {
            ADD_FAILURE() << "no model with device code " << std::hex << deviceCode;
            return false;
        }
        log_ = std::make_shared<RequestLog>(port_->firmware()->vendorHandler());
        port_->camera().setVendorHandler(log_);
        id_ = host::Driver::instance().attach(port_);

        auto context = std::make_unique<CameraContext>();
        context->modelIndex = ModelTable::findDeviceCode(deviceCode);
        const auto paths = host::Driver::instance().presentInterfaces().paths;
        const auto it = std::find(paths.begin(), paths.end(), host::Driver::instance().pathOf(id_));
        context->device = std::make_unique<usb::UsbDevice>(false);
        if (it == paths.end() || !context->device->Open(static_cast<uint8_t>(it - paths.begin()))) {
            ADD_FAILURE() << "virtual camera did not open";
            return false;
        }
        context_ = context.get();
        if (!CameraSlots::install(kIndex, context)) {
            ADD_FAILURE() << "slot " << kIndex << " was occupied";
            return false;
        }
        log_->clear();  // opening read descriptors only, but start from a clean log anyway
        return true;
    }

    void TearDown() override {
        CameraSlots::take(kIndex);
        if (id_ != 0)
            host::Driver::instance().detach(id_);
        id_ = 0;
    }

    sim::CameraFirmware& firmware() { return *port_->firmware(); }
    CameraContext& context() { return *context_; }
    RequestLog& log() { return *log_; }

private:
    std::shared_ptr<host::VirtualPort> port_;
    std::shared_ptr<RequestLog> log_;
    host::Driver::PortId id_ = 0;
    CameraContext* context_ = nullptr;
};

}  // namespace vidscope::api::test
