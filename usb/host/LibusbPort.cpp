// SPDX-License-Identifier: MIT
// Carries the driver's transfers to a real device through libusb and its answers back.
#include "usb/host/LibusbPort.h"

#include <libusb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>
#include <utility>

#include "usb/host/AccessAdvice.h"
#include "usb/host/HostLog.h"
#include "usb/host/SystemError.h"
#include "usb/host/UsbfsMemory.h"

namespace vidscope::host {
namespace {

// Pieces never get smaller than this (rounded to whole packets): below it a transfer costs
// more in round trips than a lack of memory justifies.
constexpr uint32_t kSmallestPiece = 16 * 1024;
// A device re-enumerated by a reset is back on the bus within a second or two.
constexpr auto kReenumerationWait = std::chrono::seconds(5);
constexpr auto kReenumerationPoll = std::chrono::milliseconds(20);

UsbSpeed speedOf(libusb_device* device) {
    switch (libusb_get_device_speed(device)) {
        case LIBUSB_SPEED_LOW:
        case LIBUSB_SPEED_FULL:
            return UsbSpeed::Full;
        case LIBUSB_SPEED_HIGH:
            return UsbSpeed::High;
        case LIBUSB_SPEED_SUPER:
        case LIBUSB_SPEED_SUPER_PLUS:
            return UsbSpeed::Super;
        default:
            break;
    }
    return UsbSpeed::Unknown;
}

// The product string the kernel read at enumeration; readable without opening the device.
std::string sysfsProduct(const std::string& key) {
    std::ifstream in("/sys/bus/usb/devices/" + key + "/product");
    std::string product;
    if (in)
        std::getline(in, product);
    while (!product.empty() && (product.back() == '\n' || product.back() == ' '))
        product.pop_back();
    return product;
}

PortDescription describe(libusb_device* device) {
    PortDescription d;
    libusb_device_descriptor descriptor{};
    if (libusb_get_device_descriptor(device, &descriptor) == LIBUSB_SUCCESS) {
        d.vendorId = descriptor.idVendor;
        d.productId = descriptor.idProduct;
    }
    d.speed = speedOf(device);
    d.address = libusb_get_device_address(device);
    d.key = LibusbPort::keyOf(device);
    std::string product = sysfsProduct(d.key);
    if (product.empty()) {
        char fallback[40];
        std::snprintf(fallback, sizeof fallback, "USB camera %04x:%04x", d.vendorId, d.productId);
        product = fallback;
    }
    d.deviceName = product + " (USB " + d.key + ")";
    d.friendlyName = product + " USB Camera";
    return d;
}

uint32_t systemErrorOf(int libusbError) {
    switch (libusbError) {
        case LIBUSB_SUCCESS:
            return kErrorSuccess;
        case LIBUSB_ERROR_ACCESS:
            return kErrorAccessDenied;
        case LIBUSB_ERROR_NO_DEVICE:
        case LIBUSB_ERROR_NOT_FOUND:
            return kErrorDeviceNotConnected;
        case LIBUSB_ERROR_BUSY:
            return kErrorBusy;
        case LIBUSB_ERROR_NO_MEM:
            return kErrorNotEnoughMemory;
        default:
            break;
    }
    return kErrorGenFailure;
}

TransferStatus refusalOf(int libusbError) {
    switch (libusbError) {
        case LIBUSB_ERROR_NO_DEVICE:
            return TransferStatus::NoDevice;
        case LIBUSB_ERROR_NOT_SUPPORTED:
            return TransferStatus::NotSupported;
        default:
            break;
    }
    return TransferStatus::Error;
}

// The serial number string, empty when the device has none or does not answer.
std::string serialOf(libusb_device* device, libusb_device_handle* handle) {
    libusb_device_descriptor descriptor{};
    if (libusb_get_device_descriptor(device, &descriptor) != LIBUSB_SUCCESS ||
        descriptor.iSerialNumber == 0) {
        return {};
    }
    unsigned char text[128];
    const int length =
        libusb_get_string_descriptor_ascii(handle, descriptor.iSerialNumber, text, sizeof text);
    if (length <= 0)
        return {};
    return std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(length));
}

}  // namespace

std::string LibusbPort::keyOf(libusb_device* device) {
    std::string key = std::to_string(libusb_get_bus_number(device));
    uint8_t ports[8];
    const int depth = libusb_get_port_numbers(device, ports, sizeof ports);
    if (depth <= 0)  // no topology: the address is unique on the bus at least
        return key + "-a" + std::to_string(libusb_get_device_address(device));
    for (int i = 0; i < depth; ++i) {
        key += i == 0 ? '-' : '.';
        key += std::to_string(ports[i]);
    }
    return key;
}

LibusbPort::LibusbPort(std::shared_ptr<LibusbContext> context, LibusbDeviceRef device)
    : context_(std::move(context)),
      device_(std::move(device)),
      description_(describe(device_.get())) {}

LibusbPort::~LibusbPort() {
    close();
}

LibusbDeviceRef LibusbPort::device() const {
    std::lock_guard lock(mutex_);
    return device_;
}

// Opens `device`, reads its endpoints into this port and claims its interface; null (and the
// libusb error) when any step fails. Needs handleUse_ exclusively.
libusb_device_handle* LibusbPort::openClaimed(const LibusbDeviceRef& device, int& error) {
    libusb_device_handle* handle = nullptr;
    error = libusb_open(device.get(), &handle);
    if (error != LIBUSB_SUCCESS)
        return nullptr;
    libusb_set_auto_detach_kernel_driver(handle, 1);
    {
        std::lock_guard lock(mutex_);
        if (!readEndpoints(device.get()))
            error = LIBUSB_ERROR_NOT_FOUND;
    }
    if (error == LIBUSB_SUCCESS)
        error = libusb_claim_interface(handle, interfaceNumber_);
    if (error != LIBUSB_SUCCESS) {
        libusb_close(handle);
        return nullptr;
    }
    return handle;
}

uint32_t LibusbPort::open() {
    std::unique_lock use(handleUse_);
    LibusbDeviceRef device;
    {
        std::lock_guard lock(mutex_);
        if (handle_ != nullptr)
            return kErrorSuccess;
        device = device_;
    }
    int error = LIBUSB_SUCCESS;
    if (libusb_device_handle* handle = openClaimed(device, error)) {
        serial_ = serialOf(device.get(), handle);
        std::lock_guard lock(mutex_);
        handle_ = handle;
        return kErrorSuccess;
    }
    const uint32_t systemError = systemErrorOf(error);
    VS_LOG(hostLog(), Warning) << "cannot open USB device " << description_.key << ": "
                               << libusb_error_name(error);
    if (systemError == kErrorAccessDenied) {
        VS_LOG(hostLog(), Warning) << accessDeniedAdvice();
    }
    return systemError;
}

bool LibusbPort::readEndpoints(libusb_device* device) {
    libusb_config_descriptor* config = nullptr;
    if (libusb_get_active_config_descriptor(device, &config) != LIBUSB_SUCCESS &&
        libusb_get_config_descriptor(device, 0, &config) != LIBUSB_SUCCESS) {
        return false;
    }
    endpoints_.clear();
    const bool hasInterface = config->bNumInterfaces > 0 && config->interface[0].num_altsetting > 0;
    if (hasInterface) {
        const libusb_interface_descriptor& setting = config->interface[0].altsetting[0];
        interfaceNumber_ = setting.bInterfaceNumber;
        for (int i = 0; i < setting.bNumEndpoints; ++i) {
            const libusb_endpoint_descriptor& ep = setting.endpoint[i];
            endpoints_[ep.bEndpointAddress] = {
                static_cast<uint8_t>(ep.bmAttributes & LIBUSB_TRANSFER_TYPE_MASK),
                static_cast<uint32_t>(ep.wMaxPacketSize & 0x7FF)};
        }
    }
    libusb_free_config_descriptor(config);
    return hasInterface;
}

void LibusbPort::close() {
    std::unique_lock use(handleUse_);
    libusb_device_handle* handle = nullptr;
    {
        // From here on submissions are refused, and pieces of ending transfers stay home.
        std::lock_guard lock(mutex_);
        handle = std::exchange(handle_, nullptr);
    }
    endTransfers(true, 0, TransferStatus::NoDevice);
    {
        std::lock_guard lock(mutex_);
        queues_.clear();
        transferSizes_.clear();
    }
    if (handle == nullptr)
        return;
    libusb_release_interface(handle, interfaceNumber_);
    libusb_close(handle);
}

void LibusbPort::submit(std::shared_ptr<PortTransfer> transfer) {
    std::vector<Ending> endings;
    {
        std::lock_guard lock(mutex_);
        const uint8_t address = transfer->endpoint;
        const auto endpoint = endpoints_.find(address);
        if (handle_ == nullptr) {
            endings.push_back({std::move(transfer), TransferStatus::NoDevice, 0});
        } else if (transfer->type == EndpointType::Control) {
            submitControl(std::move(transfer), endings);
        } else if (transfer->type == EndpointType::Isochronous ||
                   (endpoint != endpoints_.end() &&
                    endpoint->second.libusbType == LIBUSB_TRANSFER_TYPE_ISOCHRONOUS)) {
            endings.push_back({std::move(transfer), TransferStatus::NotSupported, 0});
        } else if (endpoint == endpoints_.end() ||
                   endpoint->second.libusbType == LIBUSB_TRANSFER_TYPE_CONTROL) {
            endings.push_back({std::move(transfer), TransferStatus::Error, 0});
        } else {
            auto submission =
                std::make_unique<LibusbSubmission>(std::move(transfer), nextSerial_++, this);
            if (!submission->prepare(handle_, endpoint->second.libusbType, &onTransfer)) {
                endings.push_back({submission->transfer(), TransferStatus::Error, 0});
            } else {
                EndpointQueue& queue = queues_[address];
                queue.backlog.push_back(std::move(submission));
                pump(address, queue, endings);
            }
        }
    }
    deliver(endings);
}

void LibusbPort::submitControl(std::shared_ptr<PortTransfer> transfer,
                               std::vector<Ending>& endings) {
    auto submission = std::make_unique<LibusbSubmission>(transfer, nextSerial_++, this);
    int error = LIBUSB_ERROR_NO_MEM;
    if (submission->prepare(handle_, LIBUSB_TRANSFER_TYPE_CONTROL, &onTransfer))
        error = submission->submitNext(0);
    if (error != LIBUSB_SUCCESS) {
        endings.push_back({std::move(transfer), refusalOf(error), 0});
        return;
    }
    LibusbSubmission* key = submission.get();
    inFlight_.emplace(key, std::move(submission));
}

void LibusbPort::pump(uint8_t endpoint, EndpointQueue& queue, std::vector<Ending>& endings) {
    const uint32_t maxPacket = std::max<uint32_t>(endpoints_[endpoint].maxPacket, 1);
    while (!queue.backlog.empty() && !queue.pieceInFlight) {
        LibusbSubmission& next = *queue.backlog.front();
        const int error = next.submitNext(queue.pieceLimit);
        if (error == LIBUSB_SUCCESS) {
            queue.pieceInFlight = next.inPieces();
            ++queue.inFlight;
            queue.bytesInFlight += next.length();
            LibusbSubmission* key = &next;
            inFlight_.emplace(key, std::move(queue.backlog.front()));
            queue.backlog.pop_front();
            continue;
        }
        if (error == LIBUSB_ERROR_NO_MEM) {
            UsbfsMemory::reportShortage(queue.bytesInFlight + next.length());
            if (queue.inFlight > 0)
                return;  // completions give memory back; the backlog goes out then
            const uint32_t tried = queue.pieceLimit != 0 ? queue.pieceLimit : next.length();
            const uint32_t smaller = tried / 2 / maxPacket * maxPacket;
            if (smaller >= std::max(kSmallestPiece / maxPacket * maxPacket, maxPacket)) {
                queue.pieceLimit = smaller;
                VS_LOG(hostLog(), Info) << "USB device " << description_.key << ": endpoint 0x"
                                        << std::hex << int{endpoint} << std::dec
                                        << " now transfers in pieces of " << smaller << " bytes";
                continue;
            }
            VS_LOG(hostLog(), Error) << "USB device " << description_.key
                                     << ": no usbfs memory even for a small transfer";
        }
        endings.push_back({next.transfer(), refusalOf(error), next.moved()});
        queue.backlog.pop_front();
    }
}

void LibusbPort::onTransfer(libusb_transfer* transfer) {
    LibusbSubmission* submission = LibusbSubmission::from(transfer);
    static_cast<LibusbPort*>(submission->owner())->pieceDone(submission);
}

void LibusbPort::pieceDone(LibusbSubmission* submission) {
    std::vector<Ending> endings;
    std::unique_ptr<LibusbSubmission> done;
    {
        std::lock_guard lock(mutex_);
        if (!submission->pieceCompleted()) {
            if (handle_ == nullptr) {
                submission->fail(TransferStatus::NoDevice);
            } else {
                const int error =
                    submission->submitNext(queues_[submission->endpoint()].pieceLimit);
                if (error == LIBUSB_SUCCESS)
                    return;
                submission->fail(refusalOf(error));
            }
        }
        auto it = inFlight_.find(submission);
        done = std::move(it->second);
        inFlight_.erase(it);
        if (!done->isControl()) {
            EndpointQueue& queue = queues_[done->endpoint()];
            --queue.inFlight;
            queue.bytesInFlight -= done->length();
            if (done->inPieces())
                queue.pieceInFlight = false;
            if (handle_ != nullptr)
                pump(done->endpoint(), queue, endings);
        }
        ++completing_;
    }
    done->transfer()->onComplete(done->status(), done->moved());
    deliver(endings);
    {
        std::lock_guard lock(mutex_);
        --completing_;
    }
    finished_.notify_all();
}

void LibusbPort::deliver(std::vector<Ending>& endings) {
    for (Ending& ending : endings)
        ending.transfer->onComplete(ending.status, ending.length);
    endings.clear();
}

void LibusbPort::cancel(uint8_t endpoint) {
    endTransfers(false, endpoint, TransferStatus::Cancelled);
}

void LibusbPort::endTransfers(bool all, uint8_t endpoint, TransferStatus status) {
    std::vector<Ending> endings;
    Lock lock(mutex_);
    const uint64_t lastSerial = nextSerial_ - 1;
    for (auto& [address, queue] : queues_) {
        if (!all && address != endpoint)
            continue;
        for (auto& waiting : queue.backlog)
            endings.push_back({waiting->transfer(), status, 0});
        queue.backlog.clear();
    }
    for (auto& [key, submission] : inFlight_) {
        if (all || submission->endpoint() == endpoint) {
            submission->endAs(status);
            submission->cancel();
        }
    }
    lock.unlock();
    deliver(endings);
    lock.lock();
    waitFinished(lock, all, endpoint, lastSerial);
}

void LibusbPort::waitFinished(Lock& lock, bool all, uint8_t endpoint, uint64_t lastSerial) {
    // The event thread cannot wait for completions that only it can deliver.
    if (context_->isEventThread())
        return;
    const auto settled = [&] {
        if (completing_ > 0)
            return false;
        for (const auto& [key, submission] : inFlight_) {
            if ((all || submission->endpoint() == endpoint) && submission->serial() <= lastSerial)
                return false;
        }
        return true;
    };
    while (!finished_.wait_for(lock, std::chrono::seconds(5), settled)) {
        VS_LOG(hostLog(), Warning) << "USB device " << description_.key
                                   << ": still waiting for cancelled transfers to complete";
    }
}

bool LibusbPort::clearHalt(uint8_t endpoint) {
    std::shared_lock use(handleUse_);
    libusb_device_handle* handle = nullptr;
    {
        std::lock_guard lock(mutex_);
        handle = handle_;
    }
    return handle != nullptr && libusb_clear_halt(handle, endpoint) == LIBUSB_SUCCESS;
}

bool LibusbPort::setTransferSize(uint8_t endpoint, uint32_t size) {
    // usbfs has no per-pipe transfer size; each transfer carries its own length.
    std::lock_guard lock(mutex_);
    transferSizes_[endpoint] = size;
    return true;
}

bool LibusbPort::resetDevice() {
    // A reset ends whatever is in flight, as the device forgets it.
    endTransfers(true, 0, TransferStatus::NoDevice);
    std::unique_lock use(handleUse_);
    libusb_device_handle* handle = nullptr;
    {
        std::lock_guard lock(mutex_);
        handle = handle_;
    }
    if (handle == nullptr)
        return false;
    reenumerating_ = true;
    const int error = libusb_reset_device(handle);
    bool ok = error == LIBUSB_SUCCESS;
    if (error == LIBUSB_ERROR_NOT_FOUND) {
        // The device left and comes back under a new address: the handle is dead although
        // the reset itself went through.
        ok = reopenReenumerated(handle);
    } else if (!ok) {
        VS_LOG(hostLog(), Warning)
            << "USB device " << description_.key << ": reset failed: " << libusb_error_name(error);
    }
    reenumerating_ = false;
    return ok;
}

bool LibusbPort::reopenReenumerated(libusb_device_handle* dead) {
    LibusbDeviceRef old;
    {
        std::lock_guard lock(mutex_);
        handle_ = nullptr;
        old = device_;
    }
    libusb_release_interface(dead, interfaceNumber_);
    libusb_close(dead);
    const auto deadline = std::chrono::steady_clock::now() + kReenumerationWait;
    while (std::chrono::steady_clock::now() < deadline) {
        for (const LibusbDeviceRef& candidate : context_->devices(description_.vendorId)) {
            if (candidate.get() == old.get() || keyOf(candidate.get()) != description_.key)
                continue;
            int error = LIBUSB_SUCCESS;
            libusb_device_handle* handle = openClaimed(candidate, error);
            if (handle == nullptr)
                continue;
            if (serialOf(candidate.get(), handle) != serial_) {
                libusb_release_interface(handle, interfaceNumber_);
                libusb_close(handle);
                continue;
            }
            std::lock_guard lock(mutex_);
            device_ = candidate;
            handle_ = handle;
            VS_LOG(hostLog(), Info)
                << "USB device " << description_.key << " re-enumerated by its reset; opened again";
            return true;
        }
        std::this_thread::sleep_for(kReenumerationPoll);
    }
    VS_LOG(hostLog(), Warning) << "USB device " << description_.key
                               << " did not come back after its reset re-enumerated it";
    return false;
}

bool LibusbPort::cyclePort() {
    return resetDevice();
}

bool LibusbPort::resetParentPort() {
    return resetDevice();
}

int LibusbPort::alternateSetting() {
    if (context_->isEventThread())
        return -1;  // a synchronous request here would wait for itself
    std::shared_lock use(handleUse_);
    libusb_device_handle* handle = nullptr;
    int interface = 0;
    {
        std::lock_guard lock(mutex_);
        handle = handle_;
        interface = interfaceNumber_;
    }
    if (handle == nullptr)
        return -1;
    constexpr uint8_t kFromInterface = 0x81;  // IN, standard, interface
    uint8_t value = 0;
    const int moved = libusb_control_transfer(handle, kFromInterface, LIBUSB_REQUEST_GET_INTERFACE,
                                              0, static_cast<uint16_t>(interface), &value, 1, 1000);
    return moved == 1 ? value : -1;
}

}  // namespace vidscope::host
