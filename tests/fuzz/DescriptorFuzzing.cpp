// SPDX-License-Identifier: MIT
// Runs one input through every descriptor parser; shared by the fuzz target and the CTest run.
#include "tests/fuzz/DescriptorFuzzing.h"

#include <algorithm>

#include "usb/DeviceDescriptor.h"
#include "usb/StringDescriptor.h"
#include "usb/UsbBos.h"
#include "usb/UsbConfiguration.h"

namespace vidscope::usb::fuzz {
namespace {

// Where the touched fields go, so that the reads cannot be optimised away.
volatile uint32_t g_sink = 0;

// Reads every field so that a dangling or half-built object shows up under the sanitizers.
uint32_t touch(const UsbEndpoint& ep) {
    return ep.dscLen() + ep.dscType() + ep.address() + ep.attributes() + ep.maxPktSize() +
           ep.mult() + ep.interval() + ep.ssMaxBurst() + ep.ssAttributes() +
           ep.ssBytesPerInterval() + ep.timeOut() + ep.bIn() + ep.xferMode();
}

ConfigOutcome walk(std::span<const uint8_t> bytes, UsbConfiguration::Flavor flavor) {
    ConfigOutcome out;
    const auto config = UsbConfiguration::parse(bytes, flavor, host::kInvalidHandle);
    if (!config)
        return out;
    out.parsed = true;
    out.interfaces = config->interfaceObjects();
    uint32_t checksum = config->wTotalLength() + config->bNumInterfaces();
    for (size_t i = 0; i < config->interfaceObjects(); ++i) {
        const UsbInterface& intf = *config->interface(i);
        checksum += intf.totalLength() + intf.altInterfaces() + intf.descriptor()[8];
        for (UsbEndpoint* ep : intf.endPoints()) {
            if (!ep)
                continue;
            ++out.endpoints;
            checksum += touch(*ep);
            out.largestPacket = std::max(out.largestPacket, ep->maxPktSize());
        }
    }
    g_sink = g_sink + checksum;
    return out;
}

}  // namespace

ParseOutcome parseAll(std::span<const uint8_t> bytes) {
    ParseOutcome out;
    out.plain = walk(bytes, UsbConfiguration::Flavor::Plain);
    out.superSpeed = walk(bytes, UsbConfiguration::Flavor::SuperSpeed);
    if (const auto bos = UsbBos::parse(bytes)) {
        out.bos = true;
        g_sink = g_sink + bos->wTotalLength() + bos->bNumDeviceCaps() +
                 (bos->usb20Extension() ? bos->usb20Extension()->bmAttributes : 0) +
                 (bos->superSpeed() ? bos->superSpeed()->wU2DevExitLat : 0) +
                 (bos->containerId() ? bos->containerId()->containerId[15] : 0);
    }
    if (const auto device = DeviceDescriptor::parse(bytes)) {
        out.device = true;
        g_sink = g_sink + device->ep0MaxPacket() + device->bNumConfigurations;
    }
    if (const auto text = StringDescriptor::text(bytes))
        out.textUnits = text->size();
    out.language = StringDescriptor::chooseLanguage(bytes);
    return out;
}

}  // namespace vidscope::usb::fuzz
