// SPDX-License-Identifier: MIT
// The driver object: enumeration, handles, request dispatch and completion over attached ports.
#include "usb/host/Driver.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>

#include "base/DeviceCodeList.h"
#include "base/TerminalText.h"
#include "usb/host/DeviceRequest.h"
#include "usb/host/HostLog.h"
#include "usb/host/HotplugNotifier.h"
#include "usb/host/IoControlCode.h"
#include "usb/host/LibusbDevices.h"
#include "usb/host/OverlappedCompletion.h"
#include "usb/host/PortRequest.h"
#include "usb/host/SystemError.h"
#include "usb/host/VirtualPort.h"

namespace vidscope::host {
namespace {

constexpr std::string_view kVirtualKeyPrefix = "virtual-";

std::string interfacePathFor(const PortDescription& d) {
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "usb:%04x:%04x:", d.vendorId, d.productId);
    return prefix + d.key;
}

bool refuse(uint32_t error, Overlapped* overlapped) {
    if (overlapped != nullptr)
        OverlappedCompletion::fail(*overlapped, error);
    setLastSystemError(error);
    return false;
}

bool resultOf(const Overlapped& overlapped, uint32_t* bytesReturned) {
    const uint32_t error = overlapped.status.load();
    if (bytesReturned != nullptr)
        *bytesReturned = overlapped.bytesTransferred.load();
    setLastSystemError(error);
    return error == kErrorSuccess;
}

// One attached (or, while handles remain, detached) port. Guarded by Driver::State::mutex.
struct PortEntry {
    Driver::PortId id = 0;
    std::shared_ptr<Port> port;
    PortDescription description;
    std::string path;
    bool isVirtual = false;
    bool attached = true;
    bool portOpen = false;
    int openHandles = 0;
};

// Told outside the driver's lock, so that listeners may enumerate at once.
void notifyChange(const PortEntry& entry, bool arrived) {
    const PortDescription& d = entry.description;
    HotplugNotifier::instance().notify(
        {arrived, entry.path, d.vendorId, d.productId, entry.isVirtual});
}

}  // namespace

struct Driver::State {
    mutable std::mutex mutex;
    std::vector<std::shared_ptr<PortEntry>> ports;  // attached ports, in attach order
    std::map<Handle, std::shared_ptr<PortEntry>> handles;
    PortId nextPortId = 1;
    Handle nextHandle = 1;

    std::shared_ptr<PortEntry> findPort(PortId id) const {
        auto it = std::find_if(ports.begin(), ports.end(), [&](auto& e) { return e->id == id; });
        return it == ports.end() ? nullptr : *it;
    }

    // Looks a handle up for a request; sets `error` when the request cannot go ahead.
    std::shared_ptr<PortEntry> entryFor(Handle handle, uint32_t& error) const {
        std::lock_guard lock(mutex);
        auto it = handles.find(handle);
        if (it == handles.end()) {
            error = kErrorInvalidHandle;
            return nullptr;
        }
        error = it->second->attached ? kErrorSuccess : kErrorDeviceNotConnected;
        return it->second;
    }
};

Driver& Driver::instance() {
    // Deliberately never destroyed: handles may still be closed by other static objects
    // during exit, and the ports' worker threads must not outlive what they call into.
    static Driver* const driver = [] {
        auto* created = new Driver;
        // Real cameras first, so that they come first in the enumeration.
        const size_t realCameras = LibusbDevices::start(*created);
        const char* list = std::getenv("VIDSCOPE_VIRTUAL_CAMERAS");
        const std::vector<PortId> attached =
            list != nullptr ? created->attachVirtualCameras(list, "VIDSCOPE_VIRTUAL_CAMERAS")
                            : std::vector<PortId>{};
        if (realCameras == 0 && !attached.empty()) {
            std::string codes;
            for (PortId id : attached) {
                char code[8];
                std::snprintf(code, sizeof code, "%s%04X", codes.empty() ? "" : ",",
                              created->port(id)->description().productId);
                codes += code;
            }
            VS_LOG(hostLog(), Warning) << "no USB camera (vendor id a7b7) found; "
                                          "running on the virtual cameras "
                                       << codes;
        }
        return created;
    }();
    return *driver;
}

Driver::Driver() : state_(std::make_unique<State>()) {}
Driver::~Driver() = default;

InterfaceSet Driver::presentInterfaces() const {
    InterfaceSet set;
    std::lock_guard lock(state_->mutex);
    for (bool virtualPass : {false, true}) {
        for (const auto& entry : state_->ports) {
            if (entry->isVirtual == virtualPass)
                set.paths.push_back(entry->path);
        }
    }
    setLastSystemError(kErrorSuccess);
    return set;
}

bool Driver::interfacePath(const InterfaceSet& set, uint32_t index, std::string& path) const {
    if (index >= set.paths.size()) {
        setLastSystemError(kErrorNoMoreItems);
        return false;
    }
    path = set.paths[index];
    setLastSystemError(kErrorSuccess);
    return true;
}

Handle Driver::open(std::string_view path) {
    std::lock_guard lock(state_->mutex);
    auto it = std::find_if(state_->ports.begin(), state_->ports.end(),
                           [&](auto& e) { return e->path == path; });
    if (it == state_->ports.end()) {
        setLastSystemError(kErrorFileNotFound);
        return kInvalidHandle;
    }
    const std::shared_ptr<PortEntry>& entry = *it;
    if (!entry->portOpen) {
        if (const uint32_t error = entry->port->open(); error != kErrorSuccess) {
            VS_LOG(hostLog(), Info) << "cannot open " << entry->path << ": system error " << error;
            setLastSystemError(error);
            return kInvalidHandle;
        }
        entry->portOpen = true;
    }
    ++entry->openHandles;
    const Handle handle = state_->nextHandle++;
    state_->handles.emplace(handle, entry);
    setLastSystemError(kErrorSuccess);
    return handle;
}

bool Driver::close(Handle handle) {
    std::lock_guard lock(state_->mutex);
    auto it = state_->handles.find(handle);
    if (it == state_->handles.end()) {
        setLastSystemError(kErrorInvalidHandle);
        return false;
    }
    std::shared_ptr<PortEntry> entry = std::move(it->second);
    state_->handles.erase(it);
    if (entry->attached && --entry->openHandles == 0 && entry->portOpen) {
        entry->portOpen = false;
        entry->port->close();
    }
    setLastSystemError(kErrorSuccess);
    return true;
}

bool Driver::ioControl(Handle handle, uint32_t code, const void* in, uint32_t inLength, void* out,
                       uint32_t outLength, uint32_t* bytesReturned, Overlapped* overlapped) {
    if (bytesReturned != nullptr)
        *bytesReturned = 0;
    uint32_t error = kErrorSuccess;
    std::shared_ptr<PortEntry> entry = state_->entryFor(handle, error);
    if (error != kErrorSuccess)
        return refuse(error, overlapped);
    const auto* input = static_cast<const uint8_t*>(in);
    auto* output = static_cast<uint8_t*>(out);

    if (DeviceRequest::handles(code)) {
        uint32_t bytes = 0;
        error = DeviceRequest::execute(*entry->port, entry->description, code, input, inLength,
                                       output, outLength, bytes);
        if (error == kErrorInvalidParameter || error == kErrorInsufficientBuffer) {
            return refuse(error, overlapped);
        }
        if (overlapped != nullptr)
            OverlappedCompletion::complete(*overlapped, error, bytes);
        if (bytesReturned != nullptr)
            *bytesReturned = bytes;
        setLastSystemError(error);
        return error == kErrorSuccess;
    }

    if (!PortRequest::handles(code))
        return refuse(kErrorNotSupported, overlapped);
    std::optional<PortRequest> request =
        PortRequest::decode(code, input, inLength, output, outLength, error);
    if (!request)
        return refuse(error, overlapped);
    Overlapped local;
    Overlapped& target = overlapped != nullptr ? *overlapped : local;
    OverlappedCompletion::begin(target);
    entry->port->submit(std::move(*request).makeTransfer(target));
    if (overlapped == nullptr) {
        OverlappedCompletion::wait(local);
        return resultOf(local, bytesReturned);
    }
    if (OverlappedCompletion::isPending(*overlapped)) {
        setLastSystemError(kErrorIoPending);
        return false;
    }
    return resultOf(*overlapped, bytesReturned);
}

bool Driver::overlappedResult(Handle handle, Overlapped& overlapped, uint32_t* bytesReturned,
                              bool wait) {
    if (bytesReturned != nullptr)
        *bytesReturned = 0;
    {
        std::lock_guard lock(state_->mutex);
        if (state_->handles.count(handle) == 0) {
            setLastSystemError(kErrorInvalidHandle);
            return false;
        }
    }
    // A detached port has already ended its requests, so their results stay readable.
    if (!wait && OverlappedCompletion::isPending(overlapped)) {
        setLastSystemError(kErrorIoIncomplete);
        return false;
    }
    OverlappedCompletion::wait(overlapped);
    return resultOf(overlapped, bytesReturned);
}

Driver::PortId Driver::attach(std::shared_ptr<Port> port) {
    auto entry = std::make_shared<PortEntry>();
    entry->port = std::move(port);
    entry->description = entry->port->description();
    entry->path = interfacePathFor(entry->description);
    entry->isVirtual = entry->description.key.starts_with(kVirtualKeyPrefix);
    {
        std::lock_guard lock(state_->mutex);
        entry->id = state_->nextPortId++;
        state_->ports.push_back(entry);
    }
    // The name is the device's own product string: whatever its firmware says.
    VS_LOG(hostLog(), Info) << "attached " << entry->path << " ("
                            << base::printableText(entry->description.deviceName) << ")";
    notifyChange(*entry, true);
    return entry->id;
}

void Driver::detach(PortId id) {
    std::shared_ptr<PortEntry> entry;
    {
        std::lock_guard lock(state_->mutex);
        auto it = std::find_if(state_->ports.begin(), state_->ports.end(),
                               [&](auto& e) { return e->id == id; });
        if (it == state_->ports.end())
            return;
        entry = std::move(*it);
        state_->ports.erase(it);
        entry->attached = false;
        if (entry->portOpen) {
            entry->portOpen = false;
            entry->port->close();
        }
    }
    VS_LOG(hostLog(), Info) << "detached " << entry->path;
    notifyChange(*entry, false);
}

std::vector<Driver::PortId> Driver::attachedPorts() const {
    std::lock_guard lock(state_->mutex);
    std::vector<PortId> ids;
    for (const auto& entry : state_->ports)
        ids.push_back(entry->id);
    return ids;
}

std::shared_ptr<Port> Driver::port(PortId id) const {
    std::lock_guard lock(state_->mutex);
    std::shared_ptr<PortEntry> entry = state_->findPort(id);
    return entry ? entry->port : nullptr;
}

std::string Driver::pathOf(PortId id) const {
    std::lock_guard lock(state_->mutex);
    std::shared_ptr<PortEntry> entry = state_->findPort(id);
    return entry ? entry->path : std::string();
}

std::vector<Driver::PortId> Driver::attachVirtualCameras(std::string_view productIds,
                                                         std::string_view source) {
    const base::DeviceCodeList list = base::DeviceCodeList::parse(productIds);
    if (!list.valid()) {
        VS_LOG(hostLog(), Warning) << "ignoring in " << source << " " << list.problem();
    }
    std::vector<PortId> ids;
    std::vector<std::string> unknown;
    for (uint16_t productId : list.codes) {
        if (std::shared_ptr<VirtualPort> port = VirtualPort::create(productId)) {
            ids.push_back(attach(std::move(port)));
        } else {
            char code[8];
            std::snprintf(code, sizeof code, "%04X", productId);
            unknown.emplace_back(code);
        }
    }
    if (!unknown.empty()) {
        VS_LOG(hostLog(), Warning)
            << "ignoring in " << source
            << " the codes no model has: " << base::summariseEntries(unknown);
    }
    return ids;
}

}  // namespace vidscope::host
