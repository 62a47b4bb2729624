// SPDX-License-Identifier: MIT
// The virtual camera's USB device: standard requests, and the hand-off to vendor and bulk firmware.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <stop_token>

#include "sim/BulkInSource.h"
#include "sim/ControlRequest.h"
#include "sim/DescriptorSet.h"
#include "sim/VendorRequestHandler.h"
#include "sim/VirtualModel.h"

namespace vidscope::sim {

// Standard request codes (bRequest) the device answers itself.
enum StandardRequest : uint8_t {
    kGetStatus = 0,
    kClearFeature = 1,
    kSetFeature = 3,
    kGetDescriptor = 6,
    kGetConfiguration = 8,
    kSetConfiguration = 9,
    kGetInterface = 10,
    kSetInterface = 11,
};

inline constexpr uint16_t kFeatureEndpointHalt = 0;

// One virtual device. Standard requests are answered here from the DescriptorSet and a small
// device state (configuration, alternate setting, halt of the bulk endpoint); vendor requests
// and the bulk-in stream belong to the firmware objects installed with the setters.
// Thread-safe: control requests and a blocking bulk read may run on different threads.
class VirtualCamera {
public:
    explicit VirtualCamera(const VirtualModel& model, uint32_t instance = 1);

    const VirtualModel& model() const { return model_; }
    uint32_t instance() const { return instance_; }
    DescriptorSet& descriptors() { return descriptors_; }

    // Answers one control request; `data` is the data stage (IN: at most its size is written).
    ControlResult control(const ControlSetup& setup, std::span<uint8_t> data);
    // Serves one bulk-in transfer; without a source it waits for `cancel` (the endpoint NAKs).
    BulkResult readBulk(std::span<uint8_t> buffer, std::stop_token cancel);

    void setVendorHandler(std::shared_ptr<VendorRequestHandler> handler);
    void setBulkSource(std::shared_ptr<BulkInSource> source);

    // A disconnected camera answers nothing: control requests and bulk reads report
    // Disconnected until it is connected again.
    void setConnected(bool connected);
    bool connected() const;

    // Back to the state right after enumeration: configuration 1, alternate setting 0, no halt.
    void resetDeviceState();
    uint8_t configurationValue() const;
    bool bulkHalted() const;

private:
    ControlResult standardRequest(const ControlSetup& setup, std::span<uint8_t> data);
    ControlResult getDescriptor(const ControlSetup& setup, std::span<uint8_t> data);
    ControlResult getStatus(const ControlSetup& setup, std::span<uint8_t> data);
    ControlResult setEndpointHalt(const ControlSetup& setup, bool halt);
    static bool endpointExists(uint16_t address);

    const VirtualModel& model_;
    const uint32_t instance_;
    DescriptorSet descriptors_;

    mutable std::mutex mutex_;
    std::condition_variable_any sourceChanged_;
    std::shared_ptr<VendorRequestHandler> vendorHandler_;
    std::shared_ptr<BulkInSource> bulkSource_;
    bool connected_ = true;
    // The host stack configures a device as it enumerates it, so the camera starts configured.
    uint8_t configuration_ = 1;
    uint8_t alternateSetting_ = 0;
    bool bulkHalted_ = false;
};

}  // namespace vidscope::sim
