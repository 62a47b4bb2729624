// SPDX-License-Identifier: MIT
// Standard USB requests of the virtual camera and the forwarding of vendor and bulk traffic.
#include "sim/VirtualCamera.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace vidscope::sim {
namespace {

constexpr uint8_t kDirectionIn = 0x80;
constexpr uint8_t kRecipientDevice = 0;
constexpr uint8_t kRecipientInterface = 1;
constexpr uint8_t kRecipientEndpoint = 2;
constexpr uint8_t kTypeStandard = 0;
constexpr uint8_t kTypeVendor = 2;

uint8_t requestKind(uint8_t requestType) {
    return (requestType >> 5) & 3;
}
uint8_t recipient(uint8_t requestType) {
    return requestType & 0x1F;
}
bool isIn(uint8_t requestType) {
    return (requestType & kDirectionIn) != 0;
}

ControlResult ack(uint32_t length = 0) {
    return {ControlOutcome::Ack, length};
}
ControlResult stall() {
    return {ControlOutcome::Stall, 0};
}

// Copies as much of `bytes` as the data stage holds: a host asking for fewer bytes than a
// descriptor has gets the beginning of it, as on the wire.
ControlResult reply(std::span<const uint8_t> bytes, std::span<uint8_t> data) {
    const size_t n = std::min(bytes.size(), data.size());
    if (n > 0)
        std::memcpy(data.data(), bytes.data(), n);
    return ack(static_cast<uint32_t>(n));
}

}  // namespace

VirtualCamera::VirtualCamera(const VirtualModel& model, uint32_t instance)
    : model_(model), instance_(instance), descriptors_(model, instance) {}

ControlResult VirtualCamera::control(const ControlSetup& setup, std::span<uint8_t> data) {
    std::span<uint8_t> stage = data.first(std::min<size_t>(data.size(), setup.length));
    std::shared_ptr<VendorRequestHandler> handler;
    {
        std::lock_guard lock(mutex_);
        if (!connected_)
            return {ControlOutcome::Disconnected, 0};
        handler = vendorHandler_;
    }
    switch (requestKind(setup.requestType)) {
        case kTypeStandard:
            return standardRequest(setup, stage);
        case kTypeVendor: {
            if (!handler)
                return stall();
            ControlResult result = handler->handleVendorRequest(setup, stage);
            result.length = std::min<uint32_t>(result.length, static_cast<uint32_t>(stage.size()));
            return result;
        }
        default:
            return stall();  // no class requests on a vendor-specific interface
    }
}

ControlResult VirtualCamera::standardRequest(const ControlSetup& setup, std::span<uint8_t> data) {
    const uint8_t type = setup.requestType;
    switch (setup.request) {
        case kGetDescriptor:
            return getDescriptor(setup, data);
        case kGetStatus:
            return getStatus(setup, data);
        case kClearFeature:
            return setEndpointHalt(setup, false);
        case kSetFeature:
            return setEndpointHalt(setup, true);
        default:
            break;
    }
    std::lock_guard lock(mutex_);
    switch (setup.request) {
        case kGetConfiguration:
            if (type != (kDirectionIn | kRecipientDevice))
                return stall();
            return reply(std::span<const uint8_t>(&configuration_, 1), data);
        case kSetConfiguration:
            if (type != kRecipientDevice || setup.value > 1)
                return stall();
            configuration_ = static_cast<uint8_t>(setup.value);
            alternateSetting_ = 0;
            bulkHalted_ = false;
            return ack();
        case kGetInterface:
            if (type != (kDirectionIn | kRecipientInterface) || setup.index != 0 ||
                configuration_ == 0) {
                return stall();
            }
            return reply(std::span<const uint8_t>(&alternateSetting_, 1), data);
        case kSetInterface:
            if (type != kRecipientInterface || setup.index != 0 || setup.value != 0 ||
                configuration_ == 0) {
                return stall();
            }
            alternateSetting_ = 0;
            bulkHalted_ = false;
            return ack();
        default:
            return stall();
    }
}

ControlResult VirtualCamera::getDescriptor(const ControlSetup& setup, std::span<uint8_t> data) {
    if (setup.requestType != (kDirectionIn | kRecipientDevice))
        return stall();
    const auto type = static_cast<uint8_t>(setup.value >> 8);
    const auto index = static_cast<uint8_t>(setup.value & 0xFF);
    // Only one device and one BOS descriptor exist; a non-zero index names nothing.
    if ((type == kDeviceDescriptor || type == kBosDescriptor) && index != 0)
        return stall();
    std::optional<std::vector<uint8_t>> block = descriptors_.block(type, index);
    if (!block)
        return stall();
    return reply(*block, data);
}

ControlResult VirtualCamera::getStatus(const ControlSetup& setup, std::span<uint8_t> data) {
    if (!isIn(setup.requestType))
        return stall();
    uint8_t status[2] = {0, 0};  // bus powered, no remote wake-up, endpoints running
    switch (recipient(setup.requestType)) {
        case kRecipientDevice:
            break;
        case kRecipientInterface:
            if (setup.index != 0)
                return stall();
            break;
        case kRecipientEndpoint: {
            if (!endpointExists(setup.index))
                return stall();
            std::lock_guard lock(mutex_);
            if (setup.index == kBulkInEndpoint && bulkHalted_)
                status[0] = 1;
            break;
        }
        default:
            return stall();
    }
    return reply(status, data);
}

ControlResult VirtualCamera::setEndpointHalt(const ControlSetup& setup, bool halt) {
    if (setup.requestType != kRecipientEndpoint || setup.value != kFeatureEndpointHalt ||
        !endpointExists(setup.index)) {
        return stall();
    }
    {
        std::lock_guard lock(mutex_);
        if (setup.index == kBulkInEndpoint)
            bulkHalted_ = halt;
    }
    sourceChanged_.notify_all();
    return ack();
}

bool VirtualCamera::endpointExists(uint16_t address) {
    return address == 0x00 || address == 0x80 || address == kBulkInEndpoint;
}

BulkResult VirtualCamera::readBulk(std::span<uint8_t> buffer, std::stop_token cancel) {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (!connected_)
            return {BulkOutcome::Disconnected, 0};
        if (bulkHalted_)
            return {BulkOutcome::Stall, 0};
        if (cancel.stop_requested())
            return {BulkOutcome::Cancelled, 0};
        if (bulkSource_) {
            std::shared_ptr<BulkInSource> source = bulkSource_;
            lock.unlock();
            return source->readBulk(buffer, cancel);
        }
        sourceChanged_.wait(lock, cancel,
                            [this] { return bulkSource_ || !connected_ || bulkHalted_; });
    }
}

void VirtualCamera::setVendorHandler(std::shared_ptr<VendorRequestHandler> handler) {
    std::lock_guard lock(mutex_);
    vendorHandler_ = std::move(handler);
}

void VirtualCamera::setBulkSource(std::shared_ptr<BulkInSource> source) {
    {
        std::lock_guard lock(mutex_);
        bulkSource_ = std::move(source);
    }
    sourceChanged_.notify_all();
}

void VirtualCamera::setConnected(bool connected) {
    {
        std::lock_guard lock(mutex_);
        connected_ = connected;
    }
    sourceChanged_.notify_all();
}

bool VirtualCamera::connected() const {
    std::lock_guard lock(mutex_);
    return connected_;
}

void VirtualCamera::resetDeviceState() {
    {
        std::lock_guard lock(mutex_);
        configuration_ = 1;
        alternateSetting_ = 0;
        bulkHalted_ = false;
    }
    sourceChanged_.notify_all();
}

uint8_t VirtualCamera::configurationValue() const {
    std::lock_guard lock(mutex_);
    return configuration_;
}

bool VirtualCamera::bulkHalted() const {
    std::lock_guard lock(mutex_);
    return bulkHalted_;
}

}  // namespace vidscope::sim
