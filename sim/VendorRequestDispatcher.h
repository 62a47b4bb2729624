// SPDX-License-Identifier: MIT
// The firmware's answers to the camera's vendor requests on the control endpoint.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>

#include "sim/Eeprom.h"
#include "sim/FaultInjector.h"
#include "sim/FrameStreamer.h"
#include "sim/IoLines.h"
#include "sim/ResolutionTable.h"
#include "sim/SensorProfile.h"
#include "sim/SensorRegisters.h"
#include "sim/VendorRequestHandler.h"

namespace vidscope::sim {

// Request codes (bRequest) of the camera's vendor requests.
enum VendorRequest : uint8_t {
    kRestart = 0xA1,
    kStreamStart = 0xA2,
    kStreamStop = 0xA3,
    kSetGpio = 0xA4,
    kGetGpio = 0xA5,
    kWriteRegister = 0xA6,
    kReadRegister = 0xA7,
    kResolutionQuery = 0xAB,
    kSelectResolution = 0xAC,
    kRoiWindow = 0xAD,
    kReadEeprom = 0xB0,
    kWriteEeprom = 0xB1,
    kHighSpeed = 0xB2,
    kFirmwareVersion = 0xB3,
    kTriggerMode = 0xB4,
    kEraseFirmware = 0xC2,
};

// Sub-functions of the resolution query, in wIndex.
enum ResolutionQuery : uint16_t {
    kResolutionCount = 1,
    kResolutionRecord = 3,
    kResolutionMode = 4
};

// Requests the camera does not know, or that come with the wrong direction or arguments, are
// answered with a STALL, as the real firmware does.
class VendorRequestDispatcher : public VendorRequestHandler {
public:
    VendorRequestDispatcher(const SensorProfile& profile, SensorRegisters& registers,
                            ResolutionTable& resolutions, Eeprom& eeprom, FaultInjector& faults,
                            IoLines& io, FrameStreamer& stream);

    ControlResult handleVendorRequest(const ControlSetup& setup, std::span<uint8_t> data) override;

    void setConnected(bool connected) { connected_ = connected; }
    // After the erase request the camera answers nothing until it is powered again.
    bool firmwareErased() const { return erased_; }
    void powerOn();

private:
    ControlResult dispatchIn(const ControlSetup& s, std::span<uint8_t> data);
    ControlResult dispatchOut(const ControlSetup& s, std::span<const uint8_t> data);
    ControlResult readRegister(uint16_t address, std::span<uint8_t> data);
    ControlResult resolutionQuery(const ControlSetup& s, std::span<uint8_t> data);
    ControlResult selectResolution(const ControlSetup& s, std::span<uint8_t> data);
    ControlResult acknowledgeWindow(const ControlSetup& s, std::span<uint8_t> data);
    ControlResult proposeWindow(const ControlSetup& s, std::span<const uint8_t> data);
    ControlResult setGpio(const ControlSetup& s, std::span<uint8_t> data);

    const SensorProfile& profile_;
    SensorRegisters& registers_;
    ResolutionTable& resolutions_;
    Eeprom& eeprom_;
    FaultInjector& faults_;
    IoLines& io_;
    FrameStreamer& stream_;
    std::atomic<bool> connected_{true};
    std::atomic<bool> erased_{false};
    std::mutex windowMutex_;
    std::optional<Window> proposedWindow_;
};

}  // namespace vidscope::sim
