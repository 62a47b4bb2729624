// SPDX-License-Identifier: MIT
// The virtual camera's firmware: sensor, EEPROM, resolutions, stream and faults of one camera.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "sim/BulkInSource.h"
#include "sim/Eeprom.h"
#include "sim/FaultInjector.h"
#include "sim/FrameStreamer.h"
#include "sim/IoLines.h"
#include "sim/ResolutionTable.h"
#include "sim/SceneRenderer.h"
#include "sim/SensorProfile.h"
#include "sim/SensorRegisters.h"
#include "sim/VendorRequestDispatcher.h"
#include "sim/VendorRequestHandler.h"
#include "sim/VirtualModel.h"

namespace vidscope::sim {

struct FirmwareOptions {
    // Tells cameras of the same model apart: names the EEPROM file and places the stuck sites.
    uint32_t instance = 1;
    // Whether the link runs at SuperSpeed; a USB 3 model on a USB 2 port does not.
    // Default: the model's own speed.
    std::optional<bool> superSpeedLink;
    // Default: VIDSCOPE_VIRTUAL_UNPACED=1 in the environment.
    std::optional<bool> unpaced;
    // Where the EEPROM file lives; default Eeprom::defaultDirectory(). Empty path with
    // persistEeprom false: memory only.
    std::optional<std::filesystem::path> stateDirectory;
    bool persistEeprom = true;
    // Programmed at the factory (a fresh EEPROM only); empty: no custom name.
    std::string customName;
    bool stampFrameNumbers = true;
    // The number again in the last bytes, for tests that must tell a whole frame from one
    // joined out of two; off by default, as it lights four pixels at the picture's corner.
    bool stampFrameEnds = false;
};

// One camera's firmware. Install vendorHandler() and bulkSource() into the USB device; the
// rest is for tests and demos that drive the camera from outside (light, trigger input,
// faults, unplugging). Thread-safe.
class CameraFirmware : public std::enable_shared_from_this<CameraFirmware> {
public:
    static std::shared_ptr<CameraFirmware> create(const VirtualModel& model,
                                                  FirmwareOptions options = {});
    ~CameraFirmware();
    CameraFirmware(const CameraFirmware&) = delete;
    CameraFirmware& operator=(const CameraFirmware&) = delete;

    // Both share ownership of the firmware.
    std::shared_ptr<VendorRequestHandler> vendorHandler();
    std::shared_ptr<BulkInSource> bulkSource();

    const VirtualModel& model() const { return model_; }
    const SensorProfile& profile() const { return profile_; }

    // Scene illumination; 1 is normal, the brightness scales with it.
    void setIllumination(double factor);
    // The trigger input of the I/O connector; a rising edge fires the trigger.
    void setInputLine(bool high);

    // Pulls the cable (requests and transfers report Disconnected) and plugs it back, which
    // powers the camera up again: registers, resolution and stream as after power-on; the
    // EEPROM keeps its contents.
    void unplug();
    void replug();
    bool connected() const;
    // Told about every change of connection, also the planned ones of the fault injector.
    void setConnectionListener(std::function<void(bool connected)> listener);

    FaultInjector& faults() { return faults_; }
    Eeprom& eeprom() { return *eeprom_; }
    SensorRegisters& registers() { return registers_; }
    ResolutionTable& resolutions() { return resolutions_; }
    const ScenePainter& scene() const { return streamer_->painter(); }

    uint8_t gpioState() const { return io_.state(); }
    uint32_t strobePulses() const { return io_.strobePulses(); }
    SensorState sensorState() const { return streamer_->sensorState(); }
    FrameGeometry geometry() const { return resolutions_.geometry(); }
    StreamStats streamStats() const { return streamer_->stats(); }
    double pacedFrameRate() const { return streamer_->pacedFrameRate(); }
    bool streaming() const { return streamer_->streaming(); }
    bool firmwareErased() const { return dispatcher_->firmwareErased(); }
    // Sites of this camera that read full scale whatever the light.
    const std::vector<SensorSite>& stuckSites() const { return stuckSites_; }

private:
    CameraFirmware(const VirtualModel& model, FirmwareOptions options);
    void changeConnection(bool connected);
    static std::vector<SensorSite> placeStuckSites(const VirtualModel& model, uint32_t instance);
    std::filesystem::path eepromFile() const;

    const VirtualModel& model_;
    const FirmwareOptions options_;
    const SensorProfile profile_;
    const std::vector<SensorSite> stuckSites_;
    SensorRegisters registers_;
    ResolutionTable resolutions_;
    FaultInjector faults_;
    IoLines io_;
    std::unique_ptr<Eeprom> eeprom_;
    std::unique_ptr<FrameStreamer> streamer_;
    std::unique_ptr<VendorRequestDispatcher> dispatcher_;

    mutable std::mutex mutex_;
    bool connected_ = true;
    std::function<void(bool)> connectionListener_;
};

}  // namespace vidscope::sim
