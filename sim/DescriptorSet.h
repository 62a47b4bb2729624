// SPDX-License-Identifier: MIT
// The standard USB descriptors a virtual camera presents, as raw blocks that tests may replace.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sim/VirtualModel.h"

namespace vidscope::sim {

// Descriptor type codes of the blocks a host can ask for with GET_DESCRIPTOR.
enum DescriptorType : uint8_t {
    kDeviceDescriptor = 1,
    kConfigurationDescriptor = 2,
    kStringDescriptor = 3,
    kInterfaceDescriptor = 4,
    kEndpointDescriptor = 5,
    kBosDescriptor = 15,
    kDeviceCapabilityDescriptor = 16,
    kSuperSpeedCompanionDescriptor = 0x30,
};

inline constexpr uint8_t kBulkInEndpoint = 0x81;
inline constexpr uint16_t kEnglishUs = 0x0409;
inline constexpr const char* kVirtualManufacturer = "vidScope Virtual";

// One model's descriptors, keyed by (type, index) exactly as a GET_DESCRIPTOR request names
// them: the device descriptor (1, 0), configuration i (2, i), string i (3, i; string 0 is the
// language list) and, for the USB 3 family, the BOS (15, 0). Each block is kept as raw bytes so
// a test can swap in anything at all, however malformed; the camera returns it unchanged.
// Thread-safe: blocks are copied out under a lock.
class DescriptorSet {
public:
    // `instance` distinguishes cameras of one model (serial number and container id).
    DescriptorSet(const VirtualModel& model, uint32_t instance);

    // The block answering GET_DESCRIPTOR(type, index), or nullopt when the device has none.
    std::optional<std::vector<uint8_t>> block(uint8_t type, uint8_t index) const;
    // Replaces (or adds) a block with arbitrary bytes.
    void setBlock(uint8_t type, uint8_t index, std::vector<uint8_t> bytes);
    // Makes the device answer GET_DESCRIPTOR(type, index) with a stall.
    void removeBlock(uint8_t type, uint8_t index);
    // Back to the model's well-formed descriptors.
    void restoreDefaults();

    std::vector<uint8_t> device() const { return valueOr(kDeviceDescriptor, 0); }
    std::vector<uint8_t> configuration(uint8_t index) const {
        return valueOr(kConfigurationDescriptor, index);
    }
    std::vector<uint8_t> bos() const { return valueOr(kBosDescriptor, 0); }
    std::vector<uint8_t> string(uint8_t index) const { return valueOr(kStringDescriptor, index); }

    void replaceDevice(std::vector<uint8_t> bytes) {
        setBlock(kDeviceDescriptor, 0, std::move(bytes));
    }
    void replaceConfiguration(uint8_t index, std::vector<uint8_t> bytes) {
        setBlock(kConfigurationDescriptor, index, std::move(bytes));
    }
    void replaceBos(std::vector<uint8_t> bytes) { setBlock(kBosDescriptor, 0, std::move(bytes)); }
    void replaceString(uint8_t index, std::vector<uint8_t> bytes) {
        setBlock(kStringDescriptor, index, std::move(bytes));
    }

    const std::string& serialNumber() const { return serial_; }

    // The well-formed blocks of a model, without any replacement; usable without an instance
    // of the set (test corpora, descriptor dumps).
    static std::vector<uint8_t> buildDevice(const VirtualModel& model);
    static std::vector<uint8_t> buildConfiguration(const VirtualModel& model);
    static std::vector<uint8_t> buildBos(const VirtualModel& model, uint32_t instance);
    static std::vector<uint8_t> buildString(std::string_view text);
    static std::vector<uint8_t> buildLanguageList();
    static std::string serialFor(const VirtualModel& model, uint32_t instance);

private:
    using Key = std::pair<uint8_t, uint8_t>;
    std::vector<uint8_t> valueOr(uint8_t type, uint8_t index) const;
    std::map<Key, std::vector<uint8_t>> defaults() const;

    const VirtualModel& model_;
    const uint32_t instance_;
    const std::string serial_;
    mutable std::mutex mutex_;
    std::map<Key, std::vector<uint8_t>> blocks_;
};

}  // namespace vidscope::sim
