// SPDX-License-Identifier: MIT
// Named hostile descriptor inputs, each with what the parsers must make of it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/usb/DescriptorBytes.h"

namespace vidscope::usb::fuzz {

// Only the outcomes that are set are checked.
struct Expected {
    std::optional<bool> plainParses;  // plain configuration parser accepts
    std::optional<bool> superSpeedParses;
    std::optional<bool> bosParses;
    std::optional<bool> deviceParses;
    std::optional<size_t> interfaceCount;  // made by the plain parser
    std::optional<size_t> endpointCount;   // non-null entries made by the plain parser
    std::optional<size_t> textUnits;
    std::optional<uint32_t> largestPacket;  // SuperSpeed parser

    Expected& plain(bool v) { return plainParses = v, *this; }
    Expected& superSpeed(bool v) { return superSpeedParses = v, *this; }
    Expected& bos(bool v) { return bosParses = v, *this; }
    Expected& device(bool v) { return deviceParses = v, *this; }
    Expected& interfaces(size_t n) { return interfaceCount = n, *this; }
    Expected& endpoints(size_t n) { return endpointCount = n, *this; }
    Expected& text(size_t n) { return textUnits = n, *this; }
    Expected& packet(uint32_t n) { return largestPacket = n, *this; }
};

struct RegressionInput {
    std::string file;
    std::vector<uint8_t> bytes;
    Expected expected;
};

inline std::vector<RegressionInput> regressionInputs() {
    using namespace vidscope::usb::test;
    const Bytes bulk = cat({interfaceDesc(0, 0, 1), endpointDesc(0x81, 2, 512)});
    Bytes nine = bulk;
    for (uint8_t i = 1; i < 9; ++i)
        append(nine, interfaceDesc(i, 0, 0));
    Bytes forty = interfaceDesc(0, 0, 40);
    for (uint8_t i = 0; i < 40; ++i)
        append(forty, endpointDesc(0x81, 2, 512));
    Bytes twelveJunk = interfaceDesc(0, 0, 1);
    for (int i = 0; i < 12; ++i)
        append(twelveJunk, junkDesc());
    append(twelveJunk, endpointDesc(0x81, 2, 512));

    return {
        {"config-blength-zero.bin",
         configBlock(cat({interfaceDesc(0, 0, 1), Bytes{0, 5, 0x81, 2, 0, 2, 0}})),
         Expected{}.plain(false).superSpeed(false)},
        {"config-total-length-lies.bin", configBlock(bulk, 1, 400),
         Expected{}.plain(false).superSpeed(false)},
        {"config-descriptor-past-end.bin", configBlock(cat({bulk, Bytes{60, 0x24, 1}})),
         Expected{}.plain(false).superSpeed(false)},
        {"config-header-truncated.bin", Bytes{9, 2, 40, 0, 1}, Expected{}.plain(false).bos(false)},
        {"nine-interfaces.bin", configBlock(nine, 9),
         Expected{}.plain(true).interfaces(8).endpoints(1)},
        {"forty-endpoints.bin", configBlock(forty),
         Expected{}.plain(true).interfaces(1).endpoints(31)},
        {"twelve-junk-before-endpoint.bin", configBlock(twelveJunk),
         Expected{}.plain(true).interfaces(1).endpoints(0)},
        {"interface-promises-more-endpoints.bin",
         configBlock(cat({interfaceDesc(0, 0, 255), endpointDesc(0x81, 2, 512)})),
         Expected{}.plain(true).endpoints(1)},
        {"companion-too-short.bin",
         configBlock(
             cat({interfaceDesc(0, 0, 1), endpointDesc(0x81, 2, 1024), Bytes{3, 0x30, 15}})),
         Expected{}.plain(true).superSpeed(false)},
        {"isoc-burst-overflows-16-bits.bin",
         configBlock(cat({interfaceDesc(0, 0, 1), endpointDesc(0x81, 1, 0x1FFF),
                          companionDesc(255, 3, 0xFFFF)})),
         Expected{}.superSpeed(true).packet(2047u * 4 * 256 * 4)},
        {"bos-cap-past-end.bin", bosBlock(cat({usb20ExtensionCap(2), Bytes{20, 0x10, 4, 0}}), 2),
         Expected{}.bos(false)},
        {"bos-blength-zero.bin", bosBlock(cat({usb20ExtensionCap(2), Bytes{0, 0x10, 3}}), 2),
         Expected{}.bos(false)},
        {"bos-total-length-lies.bin", bosBlock(usb20ExtensionCap(2), 1, 300),
         Expected{}.bos(false)},
        {"bos-junk-capabilities.bin",
         bosBlock(cat({junkDesc(), Bytes{3, 0x10, 0x77}, Bytes{4, 0x10, 2, 0}}), 3),
         Expected{}.bos(false)},
        {"bos-unknown-capabilities.bin", bosBlock(cat({junkDesc(), Bytes{3, 0x10, 0x77}}), 2),
         Expected{}.bos(true)},
        {"string-odd-length.bin", Bytes{7, 3, 'a', 0, 'b', 0, 'c'}, Expected{}.text(2)},
        {"string-length-lies.bin", Bytes{255, 3, 'a', 0, 'b'}, Expected{}.text(1)},
        {"device-too-short.bin", Bytes{18, 1, 0, 3, 0, 0, 0, 9, 0xB7, 0xA7},
         Expected{}.device(false)},
        {"device-huge-ep0-exponent.bin",
         Bytes{18, 1, 0, 3, 0, 0, 0, 255, 0xB7, 0xA7, 0, 0x3E, 0, 1, 1, 2, 3, 1},
         Expected{}.device(true)},
    };
}

}  // namespace vidscope::usb::fuzz
