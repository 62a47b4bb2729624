// SPDX-License-Identifier: MIT
// Interface of the firmware part that answers vendor requests (bmRequestType type bits 2).
#pragma once

#include <cstdint>
#include <span>

#include "sim/ControlRequest.h"

namespace vidscope::sim {

class VendorRequestHandler {
public:
    virtual ~VendorRequestHandler() = default;
    // `data` is the data stage: filled by the handler for IN requests (at most its size),
    // read by it for OUT requests. Called from any thread; implementations lock themselves.
    virtual ControlResult handleVendorRequest(const ControlSetup& setup,
                                              std::span<uint8_t> data) = 0;
};

}  // namespace vidscope::sim
