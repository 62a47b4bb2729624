// SPDX-License-Identifier: MIT
// The firmware's answers to the camera's vendor requests on the control endpoint.
#include "sim/VendorRequestDispatcher.h"

#include <algorithm>
#include <initializer_list>

#include "sim/FirmwareLog.h"

namespace vidscope::sim {
namespace {

constexpr uint8_t kDirectionIn = 0x80;

ControlResult stall() {
    return {ControlOutcome::Stall, 0};
}

// Copies as much of the reply as the data stage holds.
ControlResult reply(std::span<uint8_t> data, std::initializer_list<uint8_t> bytes) {
    const size_t n = std::min(data.size(), bytes.size());
    std::copy_n(bytes.begin(), n, data.begin());
    return {ControlOutcome::Ack, static_cast<uint32_t>(n)};
}

uint8_t lo(uint32_t v) {
    return static_cast<uint8_t>(v & 0xFF);
}
uint8_t hi(uint32_t v) {
    return static_cast<uint8_t>((v >> 8) & 0xFF);
}

// Resolution records travel little-endian, unlike everything else the camera sends.
ControlResult replyRecord(std::span<uint8_t> data, const Resolution& r) {
    return reply(data, {lo(r.width), hi(r.width), lo(r.height), hi(r.height), lo(r.bytesPerPixel),
                        hi(r.bytesPerPixel)});
}

}  // namespace

VendorRequestDispatcher::VendorRequestDispatcher(const SensorProfile& profile,
                                                 SensorRegisters& registers,
                                                 ResolutionTable& resolutions, Eeprom& eeprom,
                                                 FaultInjector& faults, IoLines& io,
                                                 FrameStreamer& stream)
    : profile_(profile),
      registers_(registers),
      resolutions_(resolutions),
      eeprom_(eeprom),
      faults_(faults),
      io_(io),
      stream_(stream) {}

void VendorRequestDispatcher::powerOn() {
    erased_ = false;
    std::lock_guard lock(windowMutex_);
    proposedWindow_.reset();
}

ControlResult VendorRequestDispatcher::handleVendorRequest(const ControlSetup& setup,
                                                           std::span<uint8_t> data) {
    if (!connected_)
        return {ControlOutcome::Disconnected, 0};
    if (auto fault = faults_.takeVendorFault(setup.request)) {
        VS_LOG(firmwareLog(), Debug)
            << "injected failure of request 0x" << std::hex << int{setup.request};
        return {*fault, 0};
    }
    if (erased_)
        return stall();
    const size_t stage = std::min<size_t>(data.size(), setup.length);
    if (setup.requestType & kDirectionIn)
        return dispatchIn(setup, data.first(stage));
    return dispatchOut(setup, data.first(stage));
}

ControlResult VendorRequestDispatcher::dispatchIn(const ControlSetup& s, std::span<uint8_t> data) {
    switch (s.request) {
        case kStreamStart:
        case kStreamStop:
            if (!profile_.usb3Family())
                return stall();
            stream_.setStreaming(s.request == kStreamStart);
            return reply(data, {1});
        case kSetGpio:
            return setGpio(s, data);
        case kGetGpio:
            return reply(data, {io_.state()});
        case kReadRegister:
            return readRegister(s.index, data);
        case kResolutionQuery:
            return resolutionQuery(s, data);
        case kSelectResolution:
            return selectResolution(s, data);
        case kRoiWindow:
            return acknowledgeWindow(s, data);
        case kReadEeprom: {
            const auto value = eeprom_.read(s.index);
            return value ? reply(data, {*value}) : stall();
        }
        case kHighSpeed:
            if (s.value > 1)
                return stall();
            registers_.setHighSpeed(s.value == 1);
            stream_.onSensorChanged();
            return reply(data, {lo(s.value)});
        case kFirmwareVersion: {
            const uint32_t v = profile_.firmwareVersion();
            return reply(data, {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
        }
        case kTriggerMode:
            if (!profile_.takesTriggerRequest() || s.value > 1)
                return stall();
            registers_.setExternalTrigger(s.value == 1);
            stream_.onSensorChanged();
            return reply(data, {lo(s.value)});
        default:
            return stall();
    }
}

ControlResult VendorRequestDispatcher::dispatchOut(const ControlSetup& s,
                                                   std::span<const uint8_t> data) {
    switch (s.request) {
        case kRestart:
            stream_.restart();
            return {ControlOutcome::Ack, 0};
        case kWriteRegister:
            if (!registers_.write(s.index, s.value))
                return stall();
            if (profile_.restartsReadout(s.index, s.value)) {
                registers_.write(s.index, s.value & ~1u);
                stream_.restart();
            }
            stream_.onSensorChanged();
            return {ControlOutcome::Ack, 0};
        case kRoiWindow:
            return proposeWindow(s, data);
        case kWriteEeprom:
            if (s.value > 0xFF || !eeprom_.write(s.index, lo(s.value)))
                return stall();
            return {ControlOutcome::Ack, 0};
        case kEraseFirmware:
            if (s.value != 1 || data.size() != 1 || data[0] != 0)
                return stall();
            VS_LOG(firmwareLog(), Warning)
                << "firmware erased; the camera is dead until re-plugged";
            erased_ = true;
            stream_.setStreaming(false);
            return {ControlOutcome::Ack, 1};
        default:
            return stall();
    }
}

ControlResult VendorRequestDispatcher::readRegister(uint16_t address, std::span<uint8_t> data) {
    const auto value = registers_.read(address);
    if (!value)
        return stall();
    if (registers_.sixteenBit())
        return reply(data, {hi(*value), lo(*value)});
    return reply(data, {lo(*value)});
}

ControlResult VendorRequestDispatcher::resolutionQuery(const ControlSetup& s,
                                                       std::span<uint8_t> data) {
    switch (s.index) {
        case kResolutionCount: {
            const auto n = static_cast<uint32_t>(resolutions_.count());
            return reply(data, {lo(n), hi(n), lo(n >> 16), hi(n >> 16)});
        }
        case kResolutionRecord: {
            const auto record = resolutions_.record(s.value);
            return record ? replyRecord(data, *record) : stall();
        }
        case kResolutionMode:
            if (!resolutions_.setMode(static_cast<uint8_t>(std::min<uint16_t>(s.value, 0xFF))))
                return stall();
            stream_.onSensorChanged();
            return reply(data, {lo(s.value)});
        default:
            return stall();
    }
}

ControlResult VendorRequestDispatcher::selectResolution(const ControlSetup& s,
                                                        std::span<uint8_t> data) {
    if (s.index != kResolutionRecord)
        return stall();
    const auto record = resolutions_.select(s.value);
    if (!record)
        return stall();
    {
        std::lock_guard lock(windowMutex_);
        proposedWindow_.reset();
    }
    stream_.onSensorChanged();
    return replyRecord(data, *record);
}

ControlResult VendorRequestDispatcher::proposeWindow(const ControlSetup& s,
                                                     std::span<const uint8_t> data) {
    if (data.size() < 4)
        return stall();
    const Window w{s.value, s.index, static_cast<uint16_t>(data[0] | data[1] << 8),
                   static_cast<uint16_t>(data[2] | data[3] << 8)};
    std::lock_guard lock(windowMutex_);
    proposedWindow_ = w;
    return {ControlOutcome::Ack, 4};
}

ControlResult VendorRequestDispatcher::acknowledgeWindow(const ControlSetup& s,
                                                         std::span<uint8_t> data) {
    // The window takes effect when the host asks for the acknowledgement of the same corner.
    bool accepted = false;
    {
        std::lock_guard lock(windowMutex_);
        if (proposedWindow_ && proposedWindow_->x == s.value && proposedWindow_->y == s.index)
            accepted = resolutions_.applyWindow(*proposedWindow_);
        proposedWindow_.reset();
    }
    if (accepted)
        stream_.onSensorChanged();
    return reply(data, {uint8_t(accepted ? 1 : 0)});
}

ControlResult VendorRequestDispatcher::setGpio(const ControlSetup& s, std::span<uint8_t> data) {
    const GpioChange change = io_.set(lo(s.index), lo(s.value));
    if (change.triggerPulse)
        stream_.fireTrigger();
    return reply(data, {change.state});
}

}  // namespace vidscope::sim
