// SPDX-License-Identifier: MIT
// The process-wide camera driver: device interfaces, handles and request codes over ports.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "usb/host/Overlapped.h"
#include "usb/host/Port.h"

namespace vidscope::host {

using Handle = std::intptr_t;
inline constexpr Handle kInvalidHandle = -1;

// A snapshot of the present device interfaces, taken by Driver::presentInterfaces.
struct InterfaceSet {
    std::vector<std::string> paths;
};

// Every call sets the calling thread's lastSystemError(): 0 on success, the reason otherwise.
// Thread-safe. Requests on a handle whose device was detached fail with
// kErrorDeviceNotConnected; the handle must still be closed.
class Driver {
public:
    static Driver& instance();

    // --- device-interface enumeration ---
    InterfaceSet presentInterfaces() const;
    // Path of interface `index` of the set; false with kErrorNoMoreItems past the end.
    bool interfacePath(const InterfaceSet& set, uint32_t index, std::string& path) const;

    // --- handles ---
    // Opens a device interface for I/O; kInvalidHandle on failure (kErrorFileNotFound when
    // the path is unknown, or the port's own error, e.g. kErrorAccessDenied).
    Handle open(std::string_view path);
    bool close(Handle handle);

    // Carries out one request code (IoControlCode.h) on a handle. With `overlapped`, a request
    // that does not complete at once returns false with kErrorIoPending and completes later
    // into `overlapped`; a synchronous completion returns its result with *bytesReturned set
    // and the overlapped record already completed (event set). A request refused before it
    // reached the device returns false with the reason, stores that reason as the record's
    // status without signalling its event. Without `overlapped`, the call blocks until
    // completion.
    bool ioControl(Handle handle, uint32_t code, const void* in, uint32_t inLength, void* out,
                   uint32_t outLength, uint32_t* bytesReturned, Overlapped* overlapped);

    // Result of an overlapped request: false with kErrorIoIncomplete while pending (wait =
    // false), otherwise the request's own status, with *bytesReturned set.
    bool overlappedResult(Handle handle, Overlapped& overlapped, uint32_t* bytesReturned,
                          bool wait);

    // --- ports (plug and unplug) ---
    using PortId = uint64_t;
    // Plugs a port in: it is enumerated from the next presentInterfaces() on.
    PortId attach(std::shared_ptr<Port> port);
    // Unplugs: pending requests complete with kErrorDeviceNotConnected, handles stay allocated.
    // Unknown ids are ignored.
    void detach(PortId id);
    std::vector<PortId> attachedPorts() const;
    std::shared_ptr<Port> port(PortId id) const;
    // The interface path of an attached port, as presentInterfaces() lists it; empty if none.
    std::string pathOf(PortId id) const;

    // Attaches a fresh virtual camera for each entry of a comma-separated list of hex product
    // ids ("3E00,0500,012B", see base::DeviceCodeList); malformed entries and codes of no
    // model are skipped and reported in one line each, naming `source`. The first
    // instance() does this for the environment variable VIDSCOPE_VIRTUAL_CAMERAS; an empty
    // value attaches none.
    std::vector<PortId> attachVirtualCameras(std::string_view productIds,
                                             std::string_view source = "virtual camera list");

    // What the version requests report.
    static constexpr uint32_t kDriverVersion = 0x00010000;
    static constexpr uint32_t kUsbdiVersion = 0x00000600;

    Driver(const Driver&) = delete;
    Driver& operator=(const Driver&) = delete;

private:
    Driver();
    ~Driver();
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace vidscope::host
