// SPDX-License-Identifier: MIT
// One emulated usbfs device node: answers libusb's ioctls from a virtual camera.
#pragma once

#include <umockdev.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "sim/VirtualCamera.h"

namespace vidscope::test {

class UsbfsTestbed;

// What the kernel's usbfs does for a process, reduced to what libusb asks of it: URBs are
// submitted, served by the camera (control requests at once, bulk-in requests in order by a
// worker that may block as long as the camera has no data), and handed back by reaping.
// Submissions count against the test bed's usbfs memory limit until they are reaped.
// A reap that finds nothing waits a moment before saying so: the emulated node is a socket
// that always polls writable, and an immediate answer would make libusb's event loop spin.
class UsbfsDevice {
public:
    UsbfsDevice(UsbfsTestbed& bed, std::shared_ptr<sim::VirtualCamera> camera, std::string sysPath,
                std::string devNode);
    ~UsbfsDevice();
    UsbfsDevice(const UsbfsDevice&) = delete;
    UsbfsDevice& operator=(const UsbfsDevice&) = delete;

    UMockdevIoctlBase* handler() const { return handler_; }
    sim::VirtualCamera& camera() const { return *camera_; }
    const std::shared_ptr<sim::VirtualCamera>& sharedCamera() const { return camera_; }
    const std::string& sysPath() const { return sysPath_; }
    const std::string& devNode() const { return devNode_; }

    // The cable is pulled: URBs in flight end as the kernel ends them on a disconnect, and
    // every later request fails with ENODEV.
    void disconnect();
    // The next reset makes the device leave the bus as one that re-enumerates does: the reset
    // fails with ENODEV and the node is gone.
    void leaveOnNextReset() { leaveOnReset_ = true; }

    // What the device went through, for tests.
    size_t urbsOutstanding() const;   // submitted and not yet reaped
    size_t mostBulkInFlight() const;  // peak of bulk URBs submitted and not yet reaped
    uint32_t largestBulkUrb() const;
    uint32_t resets() const;

private:
    struct Urb;

    static gboolean onIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self);
    static void onVanished(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self);
    void handle(UMockdevIoctlClient* client);
    void submit(UMockdevIoctlClient* client, UMockdevIoctlData* arg);
    void reap(UMockdevIoctlClient* client, UMockdevIoctlData* arg);
    void discard(UMockdevIoctlClient* client, UMockdevIoctlData* arg);
    // The URB status of a control request, or nullopt when the device never answers it.
    std::optional<int> control(Urb& urb);
    int clearHalt(UMockdevIoctlData* arg);
    // Makes a URB reapable with this status (its actual length already set); needs mutex_.
    void finish(std::unique_ptr<Urb> urb, int status);
    void answerReaper(bool timedOut);
    void handOver(UMockdevIoctlClient* client, UMockdevIoctlData* arg);
    void dropClient(UMockdevIoctlClient* client);
    void serveBulk(std::stop_token stop);
    void idleReaper(std::stop_token stop);

    UsbfsTestbed& bed_;
    const std::shared_ptr<sim::VirtualCamera> camera_;
    const std::string sysPath_;
    const std::string devNode_;
    UMockdevIoctlBase* const handler_;

    mutable std::mutex mutex_;
    std::condition_variable_any changed_;
    bool gone_ = false;
    std::deque<std::unique_ptr<Urb>> bulkQueue_;
    Urb* reading_ = nullptr;  // owned by the bulk worker while the camera fills it
    std::stop_source readStop_;
    std::vector<std::unique_ptr<Urb>> unanswered_;  // control requests the device ignores
    std::deque<std::unique_ptr<Urb>> completed_;
    UMockdevIoctlClient* waitingReaper_ = nullptr;
    UMockdevIoctlData* waitingArg_ = nullptr;
    size_t outstanding_ = 0;
    size_t bulkInFlight_ = 0;
    size_t mostBulkInFlight_ = 0;
    uint32_t largestBulkUrb_ = 0;
    uint32_t resets_ = 0;
    std::atomic<bool> leaveOnReset_{false};
    std::jthread bulkWorker_;
    std::jthread reaperTimer_;
};

}  // namespace vidscope::test
