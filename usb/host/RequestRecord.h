// SPDX-License-Identifier: MIT
// The 38-byte little-endian request record exchanged with the driver, and its codec.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace vidscope::host {

struct RequestRecord {
    static constexpr size_t kSize = 38;
    static constexpr uint32_t kPacketEntrySize = 8;

    uint8_t bmRequestType = 0;  // bit 7 direction, bits 5-6 type, bits 0-4 recipient
    uint8_t bRequest = 0;
    uint16_t wValue = 0;
    uint16_t wIndex = 0;
    uint16_t wLength = 0;
    uint32_t timeoutSeconds = 0;  // control requests only
    uint8_t reserved = 0;
    uint8_t endpointAddress = 0;  // 0 for endpoint 0
    uint32_t ntStatus = 0;        // written by the driver
    uint32_t usbdStatus = 0;      // written by the driver
    uint32_t packetTableOffset = 0;
    uint32_t packetTableLength = 0;
    uint32_t dataOffset = 0;  // 0 for direct requests
    uint32_t dataLength = 0;

    // Writes the record into the first kSize bytes of `out` (which must hold at least kSize).
    void encode(std::span<uint8_t> out) const;
    // Reads a record; nullopt when fewer than kSize bytes are given.
    static std::optional<RequestRecord> decode(std::span<const uint8_t> in);

    // Offsets of the status words, which the driver patches in place at completion.
    static constexpr size_t kNtStatusOffset = 14;
    static constexpr size_t kUsbdStatusOffset = 18;
};

namespace le {
inline uint16_t read16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t read32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void write16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void write32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}
}  // namespace le

inline void RequestRecord::encode(std::span<uint8_t> out) const {
    uint8_t* p = out.data();
    p[0] = bmRequestType;
    p[1] = bRequest;
    le::write16(p + 2, wValue);
    le::write16(p + 4, wIndex);
    le::write16(p + 6, wLength);
    le::write32(p + 8, timeoutSeconds);
    p[12] = reserved;
    p[13] = endpointAddress;
    le::write32(p + 14, ntStatus);
    le::write32(p + 18, usbdStatus);
    le::write32(p + 22, packetTableOffset);
    le::write32(p + 26, packetTableLength);
    le::write32(p + 30, dataOffset);
    le::write32(p + 34, dataLength);
}

inline std::optional<RequestRecord> RequestRecord::decode(std::span<const uint8_t> in) {
    if (in.size() < kSize)
        return std::nullopt;
    const uint8_t* p = in.data();
    RequestRecord r;
    r.bmRequestType = p[0];
    r.bRequest = p[1];
    r.wValue = le::read16(p + 2);
    r.wIndex = le::read16(p + 4);
    r.wLength = le::read16(p + 6);
    r.timeoutSeconds = le::read32(p + 8);
    r.reserved = p[12];
    r.endpointAddress = p[13];
    r.ntStatus = le::read32(p + 14);
    r.usbdStatus = le::read32(p + 18);
    r.packetTableOffset = le::read32(p + 22);
    r.packetTableLength = le::read32(p + 26);
    r.dataOffset = le::read32(p + 30);
    r.dataLength = le::read32(p + 34);
    return r;
}

}  // namespace vidscope::host
