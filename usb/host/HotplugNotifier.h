// SPDX-License-Identifier: MIT
// The one device-change notification: cameras plugged in or pulled out, real or virtual.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>

namespace vidscope::host {

struct DeviceChange {
    bool arrived = false;  // false: the device left
    std::string path;      // the interface path the driver lists (or listed) it under
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    bool isVirtual = false;
};

// The driver reports every attach and detach here once, after its enumeration already shows
// the change, so a listener may enumerate at once. Listeners run on the thread that plugged
// the device (libusb's hot-plug dispatch thread, or whoever attached a virtual camera); a GUI
// forwards the call to its own thread.
class HotplugNotifier {
public:
    using Listener = std::function<void(const DeviceChange&)>;
    using ListenerId = uint64_t;

    static HotplugNotifier& instance();

    ListenerId connect(Listener listener);
    // After this returns the listener is not running on any other thread and is never called
    // again. A listener may disconnect itself.
    void disconnect(ListenerId id);

    void notify(const DeviceChange& change);

    HotplugNotifier() = default;
    HotplugNotifier(const HotplugNotifier&) = delete;
    HotplugNotifier& operator=(const HotplugNotifier&) = delete;

private:
    // Held while listeners run, so that disconnect() can wait for a call in progress;
    // recursive so that a listener may connect or disconnect.
    std::recursive_mutex delivery_;
    std::mutex mutex_;
    std::map<ListenerId, Listener> listeners_;
    ListenerId nextId_ = 1;
};

}  // namespace vidscope::host
