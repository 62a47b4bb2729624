// SPDX-License-Identifier: MIT
// Camera bed over libusb: cameras appear as emulated usbfs devices and arrive by hot-plug.
#include <vector>

#include "PluggedCamera.h"
#include "UsbfsTestbed.h"
#include "tests/e2e/CameraBed.h"

namespace vidscope::e2e {
namespace {

using test::UsbfsTestbed;

class UsbfsCameraBed : public CameraBed {
public:
    ~UsbfsCameraBed() override { unplugAll(); }

    std::shared_ptr<sim::CameraFirmware> plug(uint16_t productId) override {
        const sim::VirtualModel* model = sim::findVirtualModel(productId);
        if (model == nullptr)
            return nullptr;
        Plugged camera;
        camera.port = nextPort();
        sim::FirmwareOptions options;
        options.instance = camera.port;
        options.persistEeprom = false;
        options.unpaced = true;
        camera.firmware = sim::CameraFirmware::create(*model, options);
        camera.device = std::make_shared<sim::VirtualCamera>(*model, camera.port);
        camera.device->setVendorHandler(camera.firmware->vendorHandler());
        camera.device->setBulkSource(camera.firmware->bulkSource());
        // The USB device follows the firmware's own cable, as on the virtual port.
        std::weak_ptr<sim::VirtualCamera> weak = camera.device;
        camera.firmware->setConnectionListener([weak](bool connected) {
            if (auto device = weak.lock())
                device->setConnected(connected);
        });
        cameras_.push_back(std::move(camera));
        if (!attach(cameras_.back()))
            return nullptr;
        return cameras_.back().firmware;
    }

    void unplug(size_t which) override {
        Plugged& camera = cameras_.at(which);
        if (!camera.node)
            return;
        camera.firmware->unplug();
        detach(camera);
    }

    void replug(size_t which) override {
        Plugged& camera = cameras_.at(which);
        if (camera.node)
            return;
        camera.firmware->replug();
        attach(camera);
    }

    void unplugAll() override {
        for (Plugged& camera : cameras_) {
            if (camera.node)
                detach(camera);
        }
        cameras_.clear();
    }

private:
    struct Plugged {
        uint8_t port = 0;
        std::shared_ptr<sim::VirtualCamera> device;
        std::shared_ptr<sim::CameraFirmware> firmware;
        std::shared_ptr<test::UsbfsDevice> node;
    };

    // Ports are not reused while the process runs, so each plug is a new place on the bus
    // (a re-plug goes back to its own).
    static uint8_t nextPort() {
        static uint8_t next = 0;
        next = static_cast<uint8_t>(next % 250 + 1);
        return next;
    }

    std::string path(const Plugged& camera) const {
        return test::usbPath(camera.device->model().productId, camera.port);
    }

    bool attach(Plugged& camera) {
        camera.node = UsbfsTestbed::instance().plug(camera.device, camera.port);
        return test::waitUntil([&] { return test::driverLists(path(camera)); });
    }

    void detach(Plugged& camera) {
        UsbfsTestbed::instance().unplug(camera.node);
        test::waitUntil([&] { return !test::driverLists(path(camera)); });
        UsbfsTestbed::instance().remove(camera.node);
        camera.node.reset();
    }

    std::vector<Plugged> cameras_;
};

}  // namespace

std::unique_ptr<CameraBed> CameraBed::create() {
    return std::make_unique<UsbfsCameraBed>();
}

}  // namespace vidscope::e2e
