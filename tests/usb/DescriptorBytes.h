// SPDX-License-Identifier: MIT
// Builders of raw descriptor bytes for the parser tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace vidscope::usb::test {

using Bytes = std::vector<uint8_t>;

inline uint8_t lo(uint32_t v) {
    return static_cast<uint8_t>(v);
}
inline uint8_t hi(uint32_t v) {
    return static_cast<uint8_t>(v >> 8);
}

inline void append(Bytes& to, const Bytes& from) {
    to.insert(to.end(), from.begin(), from.end());
}

inline Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        append(out, p);
    return out;
}

inline Bytes interfaceDesc(uint8_t number, uint8_t alternate, uint8_t endpoints,
                           uint8_t cls = 0xFF) {
    return {9, 4, number, alternate, endpoints, cls, 0, 0, 0};
}

inline Bytes endpointDesc(uint8_t address, uint8_t attributes, uint16_t maxPacket,
                          uint8_t interval = 0) {
    return {7, 5, address, attributes, lo(maxPacket), hi(maxPacket), interval};
}

inline Bytes companionDesc(uint8_t maxBurst, uint8_t attributes, uint16_t bytesPerInterval) {
    return {6, 0x30, maxBurst, attributes, lo(bytesPerInterval), hi(bytesPerInterval)};
}

// A class-specific descriptor of the kind vendors put between interface and endpoints.
inline Bytes junkDesc(uint8_t length = 5) {
    Bytes d(length, 0xEE);
    d[0] = length;
    d[1] = 0x24;
    return d;
}

// Configuration header followed by `body`; wTotalLength is right unless `totalLength` is given.
inline Bytes configBlock(const Bytes& body, uint8_t interfaces = 1, int totalLength = -1) {
    const uint16_t total = totalLength < 0 ? static_cast<uint16_t>(9 + body.size())
                                           : static_cast<uint16_t>(totalLength);
    Bytes out = {
        9,    2,  static_cast<uint8_t>(total), static_cast<uint8_t>(total >> 8), interfaces, 1, 0,
        0x80, 250};
    append(out, body);
    return out;
}

inline Bytes bosBlock(const Bytes& capabilities, uint8_t count, int totalLength = -1) {
    const uint16_t total = totalLength < 0 ? static_cast<uint16_t>(5 + capabilities.size())
                                           : static_cast<uint16_t>(totalLength);
    Bytes out = {5, 0x0F, static_cast<uint8_t>(total), static_cast<uint8_t>(total >> 8), count};
    append(out, capabilities);
    return out;
}

inline Bytes usb20ExtensionCap(uint32_t attributes) {
    return {7, 0x10, 2, lo(attributes), hi(attributes), lo(attributes >> 16), hi(attributes >> 16)};
}

inline Bytes superSpeedCap(uint8_t attributes, uint16_t speeds, uint8_t functionality, uint8_t u1,
                           uint16_t u2) {
    return {10, 0x10, 3, attributes, lo(speeds), hi(speeds), functionality, u1, lo(u2), hi(u2)};
}

inline Bytes containerIdCap(uint8_t first) {
    Bytes d = {20, 0x10, 4, 0};
    for (uint8_t i = 0; i < 16; ++i)
        d.push_back(static_cast<uint8_t>(first + i));
    return d;
}

inline Bytes stringDesc(std::initializer_list<uint16_t> units) {
    Bytes d = {lo(2 + 2 * units.size()), 3};
    for (uint16_t u : units)
        append(d, {lo(u), hi(u)});
    return d;
}

}  // namespace vidscope::usb::test
