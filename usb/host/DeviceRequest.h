// SPDX-License-Identifier: MIT
// The device-level driver requests that complete at once: versions, address, speed, names, pipes.
#pragma once

#include <cstdint>

#include "usb/host/Port.h"

namespace vidscope::host {

class DeviceRequest {
public:
    // True for the request codes execute() carries out.
    static bool handles(uint32_t code);

    // Carries out one device-level request. Returns the system error (0 on success) and sets
    // `bytes` to the output bytes written. kErrorInvalidParameter and kErrorInsufficientBuffer
    // mean the request was refused before the port saw it.
    static uint32_t execute(Port& port, const PortDescription& description, uint32_t code,
                            const uint8_t* in, uint32_t inLength, uint8_t* out, uint32_t outLength,
                            uint32_t& bytes);

    static constexpr uint32_t kNameLength = 256;
};

}  // namespace vidscope::host
