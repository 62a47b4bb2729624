// SPDX-License-Identifier: MIT
// Builds a model's device, configuration, string and BOS descriptors and keeps them replaceable.
#include "sim/DescriptorSet.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace vidscope::sim {
namespace {

constexpr uint8_t kManufacturerIndex = 1;
constexpr uint8_t kProductIndex = 2;
constexpr uint8_t kSerialIndex = 3;
constexpr uint16_t kDeviceRelease = 0x0100;

void put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void patchTotalLength(std::vector<uint8_t>& block) {
    const auto total = static_cast<uint16_t>(block.size());
    block[2] = static_cast<uint8_t>(total);
    block[3] = static_cast<uint8_t>(total >> 8);
}

}  // namespace

DescriptorSet::DescriptorSet(const VirtualModel& model, uint32_t instance)
    : model_(model),
      instance_(instance),
      serial_(serialFor(model, instance)),
      blocks_(defaults()) {}

std::string DescriptorSet::serialFor(const VirtualModel& model, uint32_t instance) {
    char text[32];
    std::snprintf(text, sizeof text, "VS%04X-%06u", model.productId, instance % 1000000u);
    return text;
}

std::vector<uint8_t> DescriptorSet::buildDevice(const VirtualModel& model) {
    std::vector<uint8_t> d;
    d.push_back(18);
    d.push_back(kDeviceDescriptor);
    put16(d, model.superSpeed ? 0x0320 : 0x0200);
    d.push_back(0x00);  // class, subclass and protocol are given per interface
    d.push_back(0x00);
    d.push_back(0x00);
    // USB 3 devices state their ep0 packet size as a power of two (2^9 = 512).
    d.push_back(model.superSpeed ? 9 : 64);
    put16(d, kVirtualVendorId);
    put16(d, model.productId);
    put16(d, kDeviceRelease);
    d.push_back(kManufacturerIndex);
    d.push_back(kProductIndex);
    d.push_back(kSerialIndex);
    d.push_back(1);  // bNumConfigurations
    return d;
}

std::vector<uint8_t> DescriptorSet::buildConfiguration(const VirtualModel& model) {
    std::vector<uint8_t> c = {9, kConfigurationDescriptor, 0, 0, 1, 1, 0, 0x80};
    // MaxPower counts 8 mA units at SuperSpeed and 2 mA units otherwise: 896 mA and 500 mA.
    c.push_back(model.superSpeed ? 112 : 250);
    const uint8_t interface[] = {9, kInterfaceDescriptor, 0, 0, 1, 0xFF, 0x00, 0x00, 0};
    c.insert(c.end(), std::begin(interface), std::end(interface));
    c.push_back(7);
    c.push_back(kEndpointDescriptor);
    c.push_back(kBulkInEndpoint);
    c.push_back(0x02);  // bulk
    put16(c, model.superSpeed ? 1024 : 512);
    c.push_back(0);  // bInterval
    if (model.superSpeed) {
        // Burst of 16 packets, no streams; wBytesPerInterval is reserved for bulk endpoints.
        const uint8_t companion[] = {6, kSuperSpeedCompanionDescriptor, 15, 0x00, 0, 0};
        c.insert(c.end(), std::begin(companion), std::end(companion));
    }
    patchTotalLength(c);
    return c;
}

std::vector<uint8_t> DescriptorSet::buildBos(const VirtualModel& model, uint32_t instance) {
    if (!model.superSpeed)
        return {};
    std::vector<uint8_t> b = {5, kBosDescriptor, 0, 0, 3};
    // USB 2.0 extension: link power management supported.
    b.insert(b.end(), {7, kDeviceCapabilityDescriptor, 0x02});
    put32(b, 0x00000002);
    // SuperSpeed capability: full, high and super speed, fully functional from full speed,
    // U1 exit within 10 us, U2 exit within 2047 us.
    b.insert(b.end(), {10, kDeviceCapabilityDescriptor, 0x03, 0x00});
    put16(b, 0x000E);
    b.push_back(0x01);
    b.push_back(10);
    put16(b, 2047);
    // Container id: stable per model and instance so a re-plugged camera is recognisable.
    b.insert(b.end(), {20, kDeviceCapabilityDescriptor, 0x04, 0x00});
    const char tag[] = "vidScope";
    b.insert(b.end(), tag, tag + 8);
    b.push_back(static_cast<uint8_t>(model.productId >> 8));
    b.push_back(static_cast<uint8_t>(model.productId));
    b.push_back(0);
    b.push_back(0);
    for (int shift = 24; shift >= 0; shift -= 8)
        b.push_back(static_cast<uint8_t>(instance >> shift));
    patchTotalLength(b);
    return b;
}

std::vector<uint8_t> DescriptorSet::buildString(std::string_view text) {
    // Our strings are ASCII, so UTF-16LE is each byte followed by a zero.
    const size_t units = std::min<size_t>(text.size(), 126);
    std::vector<uint8_t> s = {static_cast<uint8_t>(2 + 2 * units), kStringDescriptor};
    for (size_t i = 0; i < units; ++i) {
        s.push_back(static_cast<uint8_t>(text[i]));
        s.push_back(0);
    }
    return s;
}

std::vector<uint8_t> DescriptorSet::buildLanguageList() {
    std::vector<uint8_t> s = {4, kStringDescriptor};
    put16(s, kEnglishUs);
    return s;
}

std::map<DescriptorSet::Key, std::vector<uint8_t>> DescriptorSet::defaults() const {
    std::map<Key, std::vector<uint8_t>> blocks;
    blocks[{kDeviceDescriptor, 0}] = buildDevice(model_);
    blocks[{kConfigurationDescriptor, 0}] = buildConfiguration(model_);
    blocks[{kStringDescriptor, 0}] = buildLanguageList();
    blocks[{kStringDescriptor, kManufacturerIndex}] = buildString(kVirtualManufacturer);
    blocks[{kStringDescriptor, kProductIndex}] = buildString(model_.productString);
    blocks[{kStringDescriptor, kSerialIndex}] = buildString(serial_);
    if (model_.superSpeed)
        blocks[{kBosDescriptor, 0}] = buildBos(model_, instance_);
    return blocks;
}

std::optional<std::vector<uint8_t>> DescriptorSet::block(uint8_t type, uint8_t index) const {
    std::lock_guard lock(mutex_);
    auto it = blocks_.find({type, index});
    if (it == blocks_.end())
        return std::nullopt;
    return it->second;
}

std::vector<uint8_t> DescriptorSet::valueOr(uint8_t type, uint8_t index) const {
    return block(type, index).value_or(std::vector<uint8_t>{});
}

void DescriptorSet::setBlock(uint8_t type, uint8_t index, std::vector<uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    blocks_[{type, index}] = std::move(bytes);
}

void DescriptorSet::removeBlock(uint8_t type, uint8_t index) {
    std::lock_guard lock(mutex_);
    blocks_.erase({type, index});
}

void DescriptorSet::restoreDefaults() {
    auto fresh = defaults();
    std::lock_guard lock(mutex_);
    blocks_ = std::move(fresh);
}

}  // namespace vidscope::sim
