// SPDX-License-Identifier: MIT
// A port over a virtual camera: the driver's view of one sim::VirtualCamera.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "sim/CameraFirmware.h"
#include "sim/VirtualCamera.h"
#include "usb/host/Port.h"
#include "usb/host/VirtualBulkQueue.h"

namespace vidscope::host {

// Usage (tests, the command line):
//
//   auto port = VirtualPort::create(0x3E00);              // null for an unknown product id
//   port->camera().descriptors().replaceBos({5, 15, 0xFF, 0, 1});  // hostile descriptors
//   port->camera().setBulkSource(firmwareStream);         // firmware pieces, when wanted
//   Driver::PortId id = Driver::instance().attach(port);  // now enumerated as "virtual-N"
//   ...
//   Driver::instance().detach(id);                        // unplug: pending transfers end
//
// Driver::attachVirtualCameras("3E00,0500") does the first and fourth step for a list.
//
// Control transfers are answered inside submit(). Bulk-in transfers are served in submission
// order by one worker thread per port; cancel() stops the read in progress through its stop
// token. Isochronous transfers and data OUT transfers complete with NotSupported.
class VirtualPort : public Port {
public:
    // A port over a fresh camera of the model with this product id, numbered like every other
    // virtual port; null when no model has that id.
    // The camera runs the full firmware (vendor requests, sensor, EEPROM, frame stream);
    // options.instance is replaced by the port's number.
    static std::shared_ptr<VirtualPort> create(uint16_t productId,
                                               sim::FirmwareOptions options = {});
    // Only the USB device: standard requests, vendor requests stall, the bulk endpoint NAKs
    // until a test installs its own handler or source.
    static std::shared_ptr<VirtualPort> createBare(uint16_t productId);

    // A port over an existing camera (to re-plug the same camera after a detach).
    explicit VirtualPort(std::shared_ptr<sim::VirtualCamera> camera);
    VirtualPort(std::shared_ptr<sim::VirtualCamera> camera, uint32_t number);
    ~VirtualPort() override;

    sim::VirtualCamera& camera() const { return *camera_; }
    // The firmware behind camera(); null for a bare port.
    const std::shared_ptr<sim::CameraFirmware>& firmware() const { return firmware_; }
    const std::shared_ptr<sim::VirtualCamera>& sharedCamera() const { return camera_; }
    // N of "virtual-N": unique in the process.
    uint32_t number() const { return number_; }

    // Test hooks: make open() fail with a system error (0 restores), and observe what the
    // driver asked of the port.
    void setOpenError(uint32_t systemError) { openError_.store(systemError); }
    bool isOpen() const;
    uint32_t transferSize(uint8_t endpoint) const;
    uint32_t cycleCount() const { return cycles_.load(); }
    size_t pendingBulkTransfers() const { return bulk_.pendingCount(); }

    PortDescription description() const override;
    uint32_t open() override;
    void close() override;
    void submit(std::shared_ptr<PortTransfer> transfer) override;
    void cancel(uint8_t endpoint) override;
    bool clearHalt(uint8_t endpoint) override;
    bool setTransferSize(uint8_t endpoint, uint32_t size) override;
    bool cyclePort() override;
    bool resetParentPort() override;
    int alternateSetting() override;

    // The next free N; create() and the one-argument constructor take theirs from here.
    static uint32_t allocateNumber();

private:
    void submitControl(PortTransfer& transfer);
    BulkReadResult readBulk(std::span<uint8_t> buffer, std::stop_token cancel);
    void reenumerate();

    const std::shared_ptr<sim::VirtualCamera> camera_;
    std::shared_ptr<sim::CameraFirmware> firmware_;  // null for a bare port
    const uint32_t number_;
    std::atomic<uint32_t> openError_{0};
    std::atomic<uint32_t> cycles_{0};
    mutable std::mutex mutex_;
    bool open_ = false;
    std::map<uint8_t, uint32_t> transferSizes_;
    VirtualBulkQueue bulk_;  // last: its worker calls back into the members above
};

}  // namespace vidscope::host
