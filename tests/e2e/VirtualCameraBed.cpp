// SPDX-License-Identifier: MIT
// Camera bed over the driver's virtual port.
#include <vector>

#include "tests/e2e/CameraBed.h"
#include "usb/host/Driver.h"
#include "usb/host/VirtualPort.h"

namespace vidscope::e2e {
namespace {

class VirtualCameraBed : public CameraBed {
public:
    ~VirtualCameraBed() override { unplugAll(); }

    std::shared_ptr<sim::CameraFirmware> plug(uint16_t productId) override {
        sim::FirmwareOptions options;
        options.persistEeprom = false;
        options.unpaced = true;
        auto port = host::VirtualPort::create(productId, options);
        if (port == nullptr)
            return nullptr;
        cameras_.push_back(
            {port->sharedCamera(), port->firmware(), host::Driver::instance().attach(port), true});
        return port->firmware();
    }

    void unplug(size_t which) override {
        Plugged& camera = cameras_.at(which);
        if (!camera.attached)
            return;
        camera.firmware->unplug();
        host::Driver::instance().detach(camera.port);
        camera.attached = false;
    }

    void replug(size_t which) override {
        Plugged& camera = cameras_.at(which);
        if (camera.attached)
            return;
        camera.firmware->replug();
        camera.port =
            host::Driver::instance().attach(std::make_shared<host::VirtualPort>(camera.device));
        camera.attached = true;
    }

    void unplugAll() override {
        for (Plugged& camera : cameras_) {
            if (camera.attached)
                host::Driver::instance().detach(camera.port);
        }
        cameras_.clear();
    }

private:
    struct Plugged {
        std::shared_ptr<sim::VirtualCamera> device;
        std::shared_ptr<sim::CameraFirmware> firmware;
        host::Driver::PortId port;
        bool attached;
    };
    std::vector<Plugged> cameras_;
};

}  // namespace

std::unique_ptr<CameraBed> CameraBed::create() {
    return std::make_unique<VirtualCameraBed>();
}

}  // namespace vidscope::e2e
