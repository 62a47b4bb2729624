// SPDX-License-Identifier: MIT
// Delivery of device changes to the connected listeners.
#include "usb/host/HotplugNotifier.h"

#include <vector>

namespace vidscope::host {

HotplugNotifier& HotplugNotifier::instance() {
    // Never destroyed: ports may still be detached by other static objects during exit.
    static HotplugNotifier* const notifier = new HotplugNotifier;
    return *notifier;
}

HotplugNotifier::ListenerId HotplugNotifier::connect(Listener listener) {
    std::lock_guard lock(mutex_);
    const ListenerId id = nextId_++;
    listeners_.emplace(id, std::move(listener));
    return id;
}

void HotplugNotifier::disconnect(ListenerId id) {
    std::lock_guard delivering(delivery_);
    std::lock_guard lock(mutex_);
    listeners_.erase(id);
}

void HotplugNotifier::notify(const DeviceChange& change) {
    std::lock_guard delivering(delivery_);
    std::vector<ListenerId> ids;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [id, listener] : listeners_)
            ids.push_back(id);
    }
    for (ListenerId id : ids) {
        Listener listener;
        {
            // Looked up again: an earlier listener of this round may have removed it.
            std::lock_guard lock(mutex_);
            auto it = listeners_.find(id);
            if (it == listeners_.end())
                continue;
            listener = it->second;
        }
        listener(change);
    }
}

}  // namespace vidscope::host
