// SPDX-License-Identifier: MIT
// Where the end-to-end tests get their cameras: the virtual port or emulated usbfs under libusb.
#pragma once

#include <cstdint>
#include <memory>

#include "sim/CameraFirmware.h"

namespace vidscope::e2e {

// One implementation per transport; the end-to-end test source is compiled once with each, so
// the whole camera API runs unchanged over both.
class CameraBed {
public:
    virtual ~CameraBed() = default;

    // Plugs a camera of this model (EEPROM in memory, unpaced stream) and returns its firmware,
    // for the test to drive light, the trigger input and faults. Cameras enumerate in plug order.
    virtual std::shared_ptr<sim::CameraFirmware> plug(uint16_t productId) = 0;
    // Pulls the cable of the camera plugged `which`-th (from 0): it leaves the enumeration.
    virtual void unplug(size_t which) = 0;
    // Plugs the same camera back in; it powers up afresh and keeps its EEPROM.
    virtual void replug(size_t which) = 0;
    // Unplugs every camera this bed plugged.
    virtual void unplugAll() = 0;

    // The transport this binary was built with.
    static std::unique_ptr<CameraBed> create();
};

}  // namespace vidscope::e2e
