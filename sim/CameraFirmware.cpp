// SPDX-License-Identifier: MIT
// The virtual camera's firmware: sensor, EEPROM, resolutions, stream and faults of one camera.
#include "sim/CameraFirmware.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "sim/FactoryEeprom.h"
#include "sim/FirmwareLog.h"

namespace vidscope::sim {
namespace {

constexpr int kStuckSites = 5;

bool unpacedFromEnvironment() {
    const char* v = std::getenv("VIDSCOPE_VIRTUAL_UNPACED");
    return v && std::strcmp(v, "1") == 0;
}

uint32_t hashOf(uint32_t a, uint32_t b) {
    uint32_t h = (a ^ 0xA5A5F00Du) * 0x9E3779B1u;
    h ^= (b + 0x632BE5ABu) * 0x85EBCA6Bu;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    return h ^ (h >> 15);
}

// Timeout that still covers one frame of the default size, with room to spare.
uint16_t factoryTimeoutMs(const SensorProfile& profile, double busBytesPerUs) {
    SensorRegisters powerOn(profile.registerLayout());
    ResolutionTable full(profile.model());
    const FrameGeometry g = full.geometry();
    const SensorTiming t = profile.state(powerOn, g).timing;
    const double frameUs = std::max(t.framePeriodUs(), g.frameBytes() / busBytesPerUs);
    const double ms = std::ceil(frameUs * 3 / 1000 / 100) * 100;
    return static_cast<uint16_t>(std::clamp(ms, 500.0, 50000.0));
}

}  // namespace

std::shared_ptr<CameraFirmware> CameraFirmware::create(const VirtualModel& model,
                                                       FirmwareOptions options) {
    return std::shared_ptr<CameraFirmware>(new CameraFirmware(model, std::move(options)));
}

CameraFirmware::CameraFirmware(const VirtualModel& model, FirmwareOptions options)
    : model_(model),
      options_(std::move(options)),
      profile_(model, options_.superSpeedLink.value_or(model.superSpeed)),
      stuckSites_(placeStuckSites(model, options_.instance)),
      registers_(profile_.registerLayout()),
      resolutions_(model) {
    StreamOptions stream;
    stream.unpaced = options_.unpaced.value_or(unpacedFromEnvironment());
    stream.stampFrameNumbers = options_.stampFrameNumbers;
    stream.stampFrameEnds = options_.stampFrameEnds;
    streamer_ = std::make_unique<FrameStreamer>(profile_, registers_, resolutions_, faults_, io_,
                                                stuckSites_,
                                                hashOf(model.productId, options_.instance), stream);

    FactorySettings factory;
    factory.instance = options_.instance;
    factory.customName = options_.customName;
    factory.exposureLines =
        static_cast<uint16_t>(std::min<uint32_t>(profile_.factoryExposureLines(), 0xFFFF));
    factory.frameTimeoutMs = factoryTimeoutMs(profile_, streamer_->busBytesPerMicrosecond());
    eeprom_ = std::make_unique<Eeprom>(factoryEepromImage(model, factory), eepromFile());

    dispatcher_ = std::make_unique<VendorRequestDispatcher>(profile_, registers_, resolutions_,
                                                            *eeprom_, faults_, io_, *streamer_);
    // The stream holds no reference to the firmware object: the planned unplug reaches it
    // through this, which only runs while the stream (and so the firmware) exists.
    streamer_->setUnplugListener([this] { changeConnection(false); });
}

CameraFirmware::~CameraFirmware() = default;

std::filesystem::path CameraFirmware::eepromFile() const {
    if (!options_.persistEeprom)
        return {};
    const std::filesystem::path dir = options_.stateDirectory.value_or(Eeprom::defaultDirectory());
    if (dir.empty())
        return {};
    return dir / Eeprom::fileName(model_.productId, options_.instance);
}

std::vector<SensorSite> CameraFirmware::placeStuckSites(const VirtualModel& model,
                                                        uint32_t instance) {
    // Away from the border rows and the frame stamp in the first row.
    std::vector<SensorSite> sites;
    const uint32_t marginX = 16, marginY = 16;
    const uint32_t spanX = model.maxWidth - 2 * marginX;
    const uint32_t spanY = model.maxHeight - 2 * marginY;
    for (uint32_t k = 0; k < kStuckSites; ++k) {
        const uint32_t h = hashOf(model.productId * 131u + k, instance);
        sites.push_back(SensorSite{static_cast<uint16_t>(marginX + h % spanX),
                                   static_cast<uint16_t>(marginY + (h >> 16) % spanY)});
    }
    return sites;
}

std::shared_ptr<VendorRequestHandler> CameraFirmware::vendorHandler() {
    return std::shared_ptr<VendorRequestHandler>(shared_from_this(), dispatcher_.get());
}

std::shared_ptr<BulkInSource> CameraFirmware::bulkSource() {
    return std::shared_ptr<BulkInSource>(shared_from_this(), streamer_.get());
}

void CameraFirmware::setIllumination(double factor) {
    streamer_->setIllumination(factor);
}

void CameraFirmware::setInputLine(bool high) {
    if (io_.setInput(high))
        streamer_->fireTrigger();
}

void CameraFirmware::unplug() {
    dispatcher_->setConnected(false);
    streamer_->setConnected(false);
    changeConnection(false);
}

void CameraFirmware::replug() {
    registers_.reset();
    resolutions_.reset();
    io_.reset();
    dispatcher_->powerOn();
    streamer_->powerOn();
    dispatcher_->setConnected(true);
    streamer_->setConnected(true);
    changeConnection(true);
}

bool CameraFirmware::connected() const {
    std::lock_guard lock(mutex_);
    return connected_;
}

void CameraFirmware::setConnectionListener(std::function<void(bool)> listener) {
    std::lock_guard lock(mutex_);
    connectionListener_ = std::move(listener);
}

void CameraFirmware::changeConnection(bool connected) {
    std::function<void(bool)> listener;
    {
        std::lock_guard lock(mutex_);
        if (connected_ == connected)
            return;
        connected_ = connected;
        listener = connectionListener_;
    }
    // A planned unplug comes from the stream; control requests must fail from now on too.
    if (!connected)
        dispatcher_->setConnected(false);
    VS_LOG(firmwareLog(), Info) << model_.productString
                                << (connected ? " plugged in" : " unplugged");
    if (listener)
        listener(connected);
}

}  // namespace vidscope::sim
