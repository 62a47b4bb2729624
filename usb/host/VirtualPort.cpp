// SPDX-License-Identifier: MIT
// Carries the driver's transfers to a virtual camera and its answers back.
#include "usb/host/VirtualPort.h"

#include <algorithm>
#include <utility>

#include "usb/host/SystemError.h"

namespace vidscope::host {
namespace {

constexpr uint8_t kDirectionIn = 0x80;

TransferStatus fromControl(sim::ControlOutcome outcome) {
    switch (outcome) {
        case sim::ControlOutcome::Ack:
            return TransferStatus::Completed;
        case sim::ControlOutcome::Stall:
            return TransferStatus::Stall;
        case sim::ControlOutcome::Timeout:
            return TransferStatus::Timeout;
        case sim::ControlOutcome::Disconnected:
            break;
    }
    return TransferStatus::NoDevice;
}

TransferStatus fromBulk(sim::BulkOutcome outcome) {
    switch (outcome) {
        case sim::BulkOutcome::Data:
            return TransferStatus::Completed;
        case sim::BulkOutcome::Stall:
            return TransferStatus::Stall;
        case sim::BulkOutcome::Error:
            return TransferStatus::Error;
        case sim::BulkOutcome::Cancelled:
            return TransferStatus::Cancelled;
        case sim::BulkOutcome::Disconnected:
            break;
    }
    return TransferStatus::NoDevice;
}

sim::ControlResult standardRequest(sim::VirtualCamera& camera, uint8_t requestType, uint8_t request,
                                   uint16_t value, uint16_t index, std::span<uint8_t> data) {
    sim::ControlSetup setup{requestType, request, value, index, static_cast<uint16_t>(data.size())};
    return camera.control(setup, data);
}

}  // namespace

uint32_t VirtualPort::allocateNumber() {
    static std::atomic<uint32_t> next{1};
    return next.fetch_add(1);
}

std::shared_ptr<VirtualPort> VirtualPort::createBare(uint16_t productId) {
    const sim::VirtualModel* model = sim::findVirtualModel(productId);
    if (model == nullptr)
        return nullptr;
    const uint32_t number = allocateNumber();
    return std::make_shared<VirtualPort>(std::make_shared<sim::VirtualCamera>(*model, number),
                                         number);
}

std::shared_ptr<VirtualPort> VirtualPort::create(uint16_t productId, sim::FirmwareOptions options) {
    std::shared_ptr<VirtualPort> port = createBare(productId);
    if (port == nullptr)
        return nullptr;
    options.instance = port->number();
    port->firmware_ = sim::CameraFirmware::create(port->camera_->model(), std::move(options));
    port->camera_->setVendorHandler(port->firmware_->vendorHandler());
    port->camera_->setBulkSource(port->firmware_->bulkSource());
    // The firmware pulls and re-plugs its own cable for fault injection; the USB device must
    // follow so that control requests fail too. A weak reference: the camera owns the
    // firmware's handlers, and the firmware must not keep the camera alive in return.
    std::weak_ptr<sim::VirtualCamera> camera = port->camera_;
    port->firmware_->setConnectionListener([camera](bool connected) {
        if (auto alive = camera.lock())
            alive->setConnected(connected);
    });
    return port;
}

VirtualPort::VirtualPort(std::shared_ptr<sim::VirtualCamera> camera)
    : VirtualPort(std::move(camera), allocateNumber()) {}

VirtualPort::VirtualPort(std::shared_ptr<sim::VirtualCamera> camera, uint32_t number)
    : camera_(std::move(camera)),
      number_(number),
      bulk_([this](std::span<uint8_t> buffer, std::stop_token cancel) {
          return readBulk(buffer, cancel);
      }) {}

VirtualPort::~VirtualPort() {
    close();
}

PortDescription VirtualPort::description() const {
    const sim::VirtualModel& model = camera_->model();
    PortDescription d;
    // Report the ids the device itself presents, as a real port reads them from the device
    // descriptor; a replaced descriptor too short to hold them falls back to the model's.
    const std::vector<uint8_t> device = camera_->descriptors().device();
    if (device.size() >= 12) {
        d.vendorId = static_cast<uint16_t>(device[8] | (device[9] << 8));
        d.productId = static_cast<uint16_t>(device[10] | (device[11] << 8));
    } else {
        d.vendorId = sim::kVirtualVendorId;
        d.productId = model.productId;
    }
    d.speed = model.superSpeed ? UsbSpeed::Super : UsbSpeed::High;
    d.address = static_cast<uint8_t>(1 + (number_ - 1) % 127);
    d.key = "virtual-" + std::to_string(number_);
    d.deviceName = std::string("Virtual ") + model.productString + " #" + std::to_string(number_);
    d.friendlyName = std::string(model.productString) + " Virtual USB Camera";
    return d;
}

uint32_t VirtualPort::open() {
    if (const uint32_t error = openError_.load(); error != kErrorSuccess)
        return error;
    if (!camera_->connected())
        return kErrorDeviceNotConnected;
    std::lock_guard lock(mutex_);
    open_ = true;
    bulk_.setAccepting(true);
    return kErrorSuccess;
}

void VirtualPort::close() {
    {
        std::lock_guard lock(mutex_);
        open_ = false;
        bulk_.setAccepting(false);
    }
    bulk_.end(std::nullopt, TransferStatus::NoDevice);
}

bool VirtualPort::isOpen() const {
    std::lock_guard lock(mutex_);
    return open_;
}

void VirtualPort::submit(std::shared_ptr<PortTransfer> transfer) {
    if (transfer->type == EndpointType::Control) {
        if (!isOpen()) {
            transfer->onComplete(TransferStatus::NoDevice, 0);
            return;
        }
        submitControl(*transfer);
        return;
    }
    TransferStatus refusal = TransferStatus::NoDevice;
    {
        std::lock_guard lock(mutex_);
        if (open_) {
            const bool in = (transfer->endpoint & kDirectionIn) != 0;
            if (transfer->type == EndpointType::Isochronous || !in) {
                refusal = TransferStatus::NotSupported;
            } else if (transfer->endpoint != sim::kBulkInEndpoint) {
                refusal = TransferStatus::Error;  // the camera has no such endpoint
            } else if (bulk_.push(transfer)) {
                return;
            }
        }
    }
    transfer->onComplete(refusal, 0);
}

void VirtualPort::submitControl(PortTransfer& transfer) {
    const SetupPacket& s = transfer.setup;
    const sim::ControlSetup setup{s.bmRequestType, s.bRequest, s.wValue, s.wIndex, s.wLength};
    const size_t stage = std::min<size_t>(transfer.buffer.size(), s.wLength);
    const sim::ControlResult result = camera_->control(setup, transfer.buffer.first(stage));
    const TransferStatus status = fromControl(result.outcome);
    const uint32_t length = status == TransferStatus::Completed
                                ? std::min<uint32_t>(result.length, static_cast<uint32_t>(stage))
                                : 0;
    transfer.onComplete(status, length);
}

BulkReadResult VirtualPort::readBulk(std::span<uint8_t> buffer, std::stop_token cancel) {
    const sim::BulkResult result = camera_->readBulk(buffer, std::move(cancel));
    BulkReadResult out{fromBulk(result.outcome), result.length};
    if (out.length > buffer.size())
        out = {TransferStatus::Overflow, static_cast<uint32_t>(buffer.size())};
    return out;
}

void VirtualPort::cancel(uint8_t endpoint) {
    bulk_.end(endpoint, TransferStatus::Cancelled);
}

bool VirtualPort::clearHalt(uint8_t endpoint) {
    constexpr uint8_t kToEndpoint = 0x02;
    const sim::ControlResult result = standardRequest(*camera_, kToEndpoint, sim::kClearFeature,
                                                      sim::kFeatureEndpointHalt, endpoint, {});
    return result.outcome == sim::ControlOutcome::Ack;
}

bool VirtualPort::setTransferSize(uint8_t endpoint, uint32_t size) {
    std::lock_guard lock(mutex_);
    transferSizes_[endpoint] = size;
    return true;
}

uint32_t VirtualPort::transferSize(uint8_t endpoint) const {
    std::lock_guard lock(mutex_);
    auto it = transferSizes_.find(endpoint);
    return it == transferSizes_.end() ? 0 : it->second;
}

void VirtualPort::reenumerate() {
    cycles_.fetch_add(1);
    bulk_.end(std::nullopt, TransferStatus::NoDevice);
    camera_->resetDeviceState();
}

bool VirtualPort::cyclePort() {
    reenumerate();
    return true;
}

bool VirtualPort::resetParentPort() {
    reenumerate();
    return true;
}

int VirtualPort::alternateSetting() {
    constexpr uint8_t kFromInterface = 0x81;
    uint8_t value = 0;
    const sim::ControlResult result = standardRequest(*camera_, kFromInterface, sim::kGetInterface,
                                                      0, 0, std::span<uint8_t>(&value, 1));
    if (result.outcome != sim::ControlOutcome::Ack || result.length != 1)
        return -1;
    return value;
}

}  // namespace vidscope::host
