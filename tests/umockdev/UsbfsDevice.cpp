// SPDX-License-Identifier: MIT
// The usbfs ioctls of one emulated device node, served from a virtual camera.
#include "UsbfsDevice.h"

#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstring>

#include "UsbfsTestbed.h"

namespace vidscope::test {
namespace {

// What one URB costs against the usbfs limit besides its buffer (the kernel's bookkeeping).
constexpr uint64_t kUrbOverhead = 512;
constexpr auto kIdleReapDelay = std::chrono::milliseconds(2);
constexpr uint8_t kBulkIn = sim::kBulkInEndpoint;
constexpr int kSetupSize = 8;

void completeWith(UMockdevIoctlClient* client, long result, int error) {
    umockdev_ioctl_client_complete(client, result, error);
}

int statusOf(sim::BulkOutcome outcome) {
    switch (outcome) {
        case sim::BulkOutcome::Data:
            return 0;
        case sim::BulkOutcome::Stall:
            return -EPIPE;
        case sim::BulkOutcome::Error:
            return -EPROTO;
        case sim::BulkOutcome::Disconnected:
            return -ESHUTDOWN;
        case sim::BulkOutcome::Cancelled:
            break;
    }
    return -ENOENT;
}

}  // namespace

struct UsbfsDevice::Urb {
    UMockdevIoctlClient* client = nullptr;
    UMockdevIoctlData* data = nullptr;    // the struct usbdevfs_urb
    UMockdevIoctlData* buffer = nullptr;  // its data, or null for none
    uint64_t cost = 0;
    bool abandoned = false;  // its file descriptor was closed while the camera had it

    usbdevfs_urb& view() const { return *reinterpret_cast<usbdevfs_urb*>(data->data); }
    std::span<uint8_t> bytes() const {
        if (buffer == nullptr)
            return {};
        return {buffer->data, static_cast<size_t>(buffer->data_len)};
    }
    ~Urb() {
        if (buffer != nullptr)
            g_object_unref(buffer);
        if (data != nullptr)
            g_object_unref(data);
        if (client != nullptr)
            g_object_unref(client);
    }
};

UsbfsDevice::UsbfsDevice(UsbfsTestbed& bed, std::shared_ptr<sim::VirtualCamera> camera,
                         std::string sysPath, std::string devNode)
    : bed_(bed),
      camera_(std::move(camera)),
      sysPath_(std::move(sysPath)),
      devNode_(std::move(devNode)),
      handler_(umockdev_ioctl_base_new()) {
    g_signal_connect(handler_, "handle-ioctl", G_CALLBACK(&UsbfsDevice::onIoctl), this);
    g_signal_connect(handler_, "client-vanished", G_CALLBACK(&UsbfsDevice::onVanished), this);
    bulkWorker_ = std::jthread([this](std::stop_token stop) { serveBulk(stop); });
    reaperTimer_ = std::jthread([this](std::stop_token stop) { idleReaper(stop); });
}

UsbfsDevice::~UsbfsDevice() {
    g_signal_handlers_disconnect_by_data(handler_, this);
    bulkWorker_.request_stop();
    reaperTimer_.request_stop();
    {
        std::lock_guard lock(mutex_);
        readStop_.request_stop();
    }
    bulkWorker_.join();
    reaperTimer_.join();
    {
        std::lock_guard lock(mutex_);
        if (waitingReaper_ != nullptr) {
            g_object_unref(waitingReaper_);
            g_object_unref(waitingArg_);
        }
        for (auto* list : {&bulkQueue_, &completed_}) {
            for (auto& urb : *list)
                bed_.release(urb->cost);
            list->clear();
        }
        for (auto& urb : unanswered_)
            bed_.release(urb->cost);
        unanswered_.clear();
    }
    g_object_unref(handler_);
}

gboolean UsbfsDevice::onIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
    static_cast<UsbfsDevice*>(self)->handle(client);
    return TRUE;
}

void UsbfsDevice::onVanished(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
    static_cast<UsbfsDevice*>(self)->dropClient(client);
}

void UsbfsDevice::handle(UMockdevIoctlClient* client) {
    const gulong request = umockdev_ioctl_client_get_request(client);
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    {
        std::lock_guard lock(mutex_);
        if (gone_ && request != USBDEVFS_REAPURB && request != USBDEVFS_REAPURBNDELAY) {
            completeWith(client, -1, ENODEV);
            return;
        }
    }
    switch (request) {
        case USBDEVFS_GET_CAPABILITIES: {
            UMockdevIoctlData* caps =
                umockdev_ioctl_data_resolve(arg, 0, sizeof(uint32_t), nullptr);
            const uint32_t value = USBDEVFS_CAP_BULK_SCATTER_GATHER |
                                   USBDEVFS_CAP_BULK_CONTINUATION |
                                   USBDEVFS_CAP_REAP_AFTER_DISCONNECT;
            std::memcpy(caps->data, &value, sizeof value);
            g_object_unref(caps);
            completeWith(client, 0, 0);
            return;
        }
        case USBDEVFS_SUBMITURB:
            submit(client, arg);
            return;
        case USBDEVFS_REAPURB:
        case USBDEVFS_REAPURBNDELAY:
            reap(client, arg);
            return;
        case USBDEVFS_DISCARDURB:
            discard(client, arg);
            return;
        case USBDEVFS_CLAIMINTERFACE:
        case USBDEVFS_RELEASEINTERFACE:
        case USBDEVFS_DISCONNECT_CLAIM:
        case USBDEVFS_SETINTERFACE:
        case USBDEVFS_SETCONFIGURATION:
            completeWith(client, 0, 0);
            return;
        case USBDEVFS_GETDRIVER:
        case USBDEVFS_IOCTL:
            completeWith(client, -1, ENODATA);  // no kernel driver bound to the interface
            return;
        case USBDEVFS_RESET: {
            if (leaveOnReset_.exchange(false)) {
                disconnect();
                std::lock_guard lock(mutex_);
                ++resets_;
                completeWith(client, -1, ENODEV);
                return;
            }
            camera_->resetDeviceState();
            std::lock_guard lock(mutex_);
            ++resets_;
            completeWith(client, 0, 0);
            return;
        }
        case USBDEVFS_CLEAR_HALT: {
            const int error = clearHalt(arg);
            completeWith(client, error == 0 ? 0 : -1, error);
            return;
        }
        default:
            completeWith(client, -1, ENOTTY);
            return;
    }
}

void UsbfsDevice::submit(UMockdevIoctlClient* client, UMockdevIoctlData* arg) {
    auto urb = std::make_unique<Urb>();
    urb->data = umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_urb), nullptr);
    if (urb->data == nullptr) {
        completeWith(client, -1, EFAULT);
        return;
    }
    const usbdevfs_urb& view = urb->view();
    if (view.buffer_length < 0 ||
        (view.type == USBDEVFS_URB_TYPE_CONTROL && view.buffer_length < kSetupSize)) {
        completeWith(client, -1, EINVAL);
        return;
    }
    const bool bulkIn = view.type == USBDEVFS_URB_TYPE_BULK && view.endpoint == kBulkIn;
    if (view.type != USBDEVFS_URB_TYPE_CONTROL && !bulkIn) {
        completeWith(client, -1, ENOENT);  // the camera has no such endpoint
        return;
    }
    if (view.buffer_length > 0) {
        urb->buffer = umockdev_ioctl_data_resolve(urb->data, offsetof(usbdevfs_urb, buffer),
                                                  static_cast<gsize>(view.buffer_length), nullptr);
        if (urb->buffer == nullptr) {
            completeWith(client, -1, EFAULT);
            return;
        }
    }
    urb->cost = static_cast<uint64_t>(view.buffer_length) + kUrbOverhead;
    if (!bed_.reserve(urb->cost)) {
        completeWith(client, -1, ENOMEM);
        return;
    }
    urb->client = static_cast<UMockdevIoctlClient*>(g_object_ref(client));
    std::unique_lock lock(mutex_);
    ++outstanding_;
    if (bulkIn) {
        ++bulkInFlight_;
        mostBulkInFlight_ = std::max(mostBulkInFlight_, bulkInFlight_);
        largestBulkUrb_ = std::max(largestBulkUrb_, static_cast<uint32_t>(view.buffer_length));
        bulkQueue_.push_back(std::move(urb));
        changed_.notify_all();
    } else {
        const std::optional<int> status = control(*urb);
        if (status)
            finish(std::move(urb), *status);
        else
            unanswered_.push_back(std::move(urb));
    }
    completeWith(client, 0, 0);
}

std::optional<int> UsbfsDevice::control(Urb& urb) {
    std::span<uint8_t> bytes = urb.bytes();
    const uint8_t* s = bytes.data();
    sim::ControlSetup setup{s[0], s[1], static_cast<uint16_t>(s[2] | (s[3] << 8)),
                            static_cast<uint16_t>(s[4] | (s[5] << 8)),
                            static_cast<uint16_t>(s[6] | (s[7] << 8))};
    const size_t stage = std::min<size_t>(setup.length, bytes.size() - kSetupSize);
    const sim::ControlResult result = camera_->control(setup, bytes.subspan(kSetupSize, stage));
    usbdevfs_urb& view = urb.view();
    view.actual_length = 0;
    switch (result.outcome) {
        case sim::ControlOutcome::Ack:
            view.actual_length = static_cast<int>(
                (setup.requestType & 0x80) != 0 ? std::min<size_t>(result.length, stage) : stage);
            return 0;
        case sim::ControlOutcome::Stall:
            return -EPIPE;
        case sim::ControlOutcome::Timeout:
            return std::nullopt;  // the host's own timeout ends it by discarding
        case sim::ControlOutcome::Disconnected:
            break;
    }
    return -ESHUTDOWN;
}

int UsbfsDevice::clearHalt(UMockdevIoctlData* arg) {
    UMockdevIoctlData* endpoint = umockdev_ioctl_data_resolve(arg, 0, sizeof(unsigned), nullptr);
    if (endpoint == nullptr)
        return EFAULT;
    unsigned address = 0;
    std::memcpy(&address, endpoint->data, sizeof address);
    g_object_unref(endpoint);
    constexpr uint8_t kToEndpoint = 0x02;
    const sim::ControlSetup setup{kToEndpoint, sim::kClearFeature, sim::kFeatureEndpointHalt,
                                  static_cast<uint16_t>(address), 0};
    const sim::ControlResult result = camera_->control(setup, {});
    return result.outcome == sim::ControlOutcome::Ack ? 0 : EPIPE;
}

void UsbfsDevice::finish(std::unique_ptr<Urb> urb, int status) {
    if (urb->abandoned) {
        bed_.release(urb->cost);
        --outstanding_;
        --bulkInFlight_;  // only the bulk worker's URB can be abandoned
        return;
    }
    urb->view().status = status;
    completed_.push_back(std::move(urb));
    answerReaper(false);
    changed_.notify_all();
}

void UsbfsDevice::reap(UMockdevIoctlClient* client, UMockdevIoctlData* arg) {
    std::lock_guard lock(mutex_);
    if (!completed_.empty()) {
        handOver(client, arg);
        return;
    }
    // Nothing yet: answered by finish() or, after a moment, by the idle reaper.
    waitingReaper_ = static_cast<UMockdevIoctlClient*>(g_object_ref(client));
    waitingArg_ = static_cast<UMockdevIoctlData*>(g_object_ref(arg));
    changed_.notify_all();
}

// Needs mutex_ and a completed URB.
void UsbfsDevice::handOver(UMockdevIoctlClient* client, UMockdevIoctlData* arg) {
    std::unique_ptr<Urb> urb = std::move(completed_.front());
    completed_.pop_front();
    UMockdevIoctlData* pointer = umockdev_ioctl_data_resolve(arg, 0, sizeof(void*), nullptr);
    umockdev_ioctl_data_set_ptr(pointer, 0, urb->data);
    g_object_unref(pointer);
    bed_.release(urb->cost);
    --outstanding_;
    if (urb->view().type == USBDEVFS_URB_TYPE_BULK)
        --bulkInFlight_;
    completeWith(client, 0, 0);
}

void UsbfsDevice::answerReaper(bool timedOut) {
    if (waitingReaper_ == nullptr)
        return;
    if (!completed_.empty()) {
        handOver(waitingReaper_, waitingArg_);
    } else if (timedOut) {
        completeWith(waitingReaper_, -1, gone_ ? ENODEV : EAGAIN);
    } else {
        return;
    }
    g_object_unref(waitingReaper_);
    g_object_unref(waitingArg_);
    waitingReaper_ = nullptr;
    waitingArg_ = nullptr;
}

void UsbfsDevice::idleReaper(std::stop_token stop) {
    std::unique_lock lock(mutex_);
    while (!stop.stop_requested()) {
        if (!changed_.wait(lock, stop, [&] { return waitingReaper_ != nullptr; }))
            return;
        changed_.wait_for(lock, stop, kIdleReapDelay, [&] { return waitingReaper_ == nullptr; });
        answerReaper(true);
    }
}

void UsbfsDevice::discard(UMockdevIoctlClient* client, UMockdevIoctlData* arg) {
    gulong address = 0;
    std::memcpy(&address, arg->data, std::min<size_t>(sizeof address, arg->data_len));
    std::lock_guard lock(mutex_);
    const auto matches = [&](const std::unique_ptr<Urb>& urb) {
        return urb->data->client_addr == address;
    };
    if (reading_ != nullptr && reading_->data->client_addr == address) {
        readStop_.request_stop();  // the bulk worker completes it
        completeWith(client, 0, 0);
        return;
    }
    auto queued = std::find_if(bulkQueue_.begin(), bulkQueue_.end(), matches);
    if (queued != bulkQueue_.end()) {
        std::unique_ptr<Urb> urb = std::move(*queued);
        bulkQueue_.erase(queued);
        urb->view().actual_length = 0;
        finish(std::move(urb), -ENOENT);
        completeWith(client, 0, 0);
        return;
    }
    auto ignored = std::find_if(unanswered_.begin(), unanswered_.end(), matches);
    if (ignored != unanswered_.end()) {
        std::unique_ptr<Urb> urb = std::move(*ignored);
        unanswered_.erase(ignored);
        finish(std::move(urb), -ENOENT);
        completeWith(client, 0, 0);
        return;
    }
    completeWith(client, -1, EINVAL);  // already completed
}

void UsbfsDevice::serveBulk(std::stop_token stop) {
    while (true) {
        std::unique_ptr<Urb> urb;
        std::stop_token readToken;
        {
            std::unique_lock lock(mutex_);
            if (!changed_.wait(lock, stop, [&] { return !bulkQueue_.empty(); }))
                return;
            urb = std::move(bulkQueue_.front());
            bulkQueue_.pop_front();
            reading_ = urb.get();
            readStop_ = std::stop_source();
            readToken = readStop_.get_token();
        }
        std::stop_callback stopReading(stop, [this] {
            std::lock_guard lock(mutex_);
            readStop_.request_stop();
        });
        const std::span<uint8_t> bytes = urb->bytes();
        const sim::BulkResult result = camera_->readBulk(bytes, readToken);
        std::lock_guard lock(mutex_);
        reading_ = nullptr;
        int status = statusOf(result.outcome);
        uint32_t actual = std::min<uint32_t>(result.length, static_cast<uint32_t>(bytes.size()));
        if (status == 0 && result.length > bytes.size())
            status = -EOVERFLOW;
        if (gone_)
            status = -ESHUTDOWN;
        urb->view().actual_length = static_cast<int>(actual);
        finish(std::move(urb), status);
    }
}

void UsbfsDevice::disconnect() {
    std::lock_guard lock(mutex_);
    gone_ = true;
    readStop_.request_stop();
    while (!bulkQueue_.empty()) {
        std::unique_ptr<Urb> urb = std::move(bulkQueue_.front());
        bulkQueue_.pop_front();
        urb->view().actual_length = 0;
        finish(std::move(urb), -ESHUTDOWN);
    }
    for (auto& urb : unanswered_)
        finish(std::move(urb), -ESHUTDOWN);
    unanswered_.clear();
}

void UsbfsDevice::dropClient(UMockdevIoctlClient* client) {
    std::lock_guard lock(mutex_);
    // Closing the node kills its URBs without anyone reaping them.
    const auto drop = [&](auto& list) {
        for (auto it = list.begin(); it != list.end();) {
            if ((*it)->client == client) {
                bed_.release((*it)->cost);
                --outstanding_;
                if ((*it)->view().type == USBDEVFS_URB_TYPE_BULK)
                    --bulkInFlight_;
                it = list.erase(it);
            } else {
                ++it;
            }
        }
    };
    drop(bulkQueue_);
    drop(completed_);
    drop(unanswered_);
    if (reading_ != nullptr && reading_->client == client) {
        reading_->abandoned = true;
        readStop_.request_stop();
    }
    if (waitingReaper_ == client) {
        g_object_unref(waitingReaper_);
        g_object_unref(waitingArg_);
        waitingReaper_ = nullptr;
        waitingArg_ = nullptr;
    }
    changed_.notify_all();
}

size_t UsbfsDevice::urbsOutstanding() const {
    std::lock_guard lock(mutex_);
    return outstanding_;
}

size_t UsbfsDevice::mostBulkInFlight() const {
    std::lock_guard lock(mutex_);
    return mostBulkInFlight_;
}

uint32_t UsbfsDevice::largestBulkUrb() const {
    std::lock_guard lock(mutex_);
    return largestBulkUrb_;
}

uint32_t UsbfsDevice::resets() const {
    std::lock_guard lock(mutex_);
    return resets_;
}

}  // namespace vidscope::test
