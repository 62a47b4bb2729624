// SPDX-License-Identifier: MIT
// What the virtual firmware sees of a control request and what it answers.
#pragma once

#include <cstdint>

namespace vidscope::sim {

struct ControlSetup {
    uint8_t requestType = 0;  // bmRequestType
    uint8_t request = 0;      // bRequest
    uint16_t value = 0;
    uint16_t index = 0;
    uint16_t length = 0;
};

enum class ControlOutcome : uint8_t { Ack, Stall, Timeout, Disconnected };

struct ControlResult {
    ControlOutcome outcome = ControlOutcome::Stall;
    uint32_t length = 0;  // bytes of the data stage moved (IN: written into the buffer)
};

}  // namespace vidscope::sim
