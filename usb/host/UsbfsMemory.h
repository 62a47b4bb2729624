// SPDX-License-Identifier: MIT
// The kernel's usbfs buffer limit: reading it and telling the user how to raise it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace vidscope::host {

// Linux caps the memory of all submitted usbfs transfers together (usbcore.usbfs_memory_mb,
// 16 MB by default), which is less than a USB 3 camera's ring of large bulk transfers.
// vidScope never changes that setting itself; it streams with what fits and says how to
// raise it.
class UsbfsMemory {
public:
    static constexpr const char* kParameterPath = "/sys/module/usbcore/parameters/usbfs_memory_mb";
    // What the advice proposes: enough for two USB 3 cameras' rings with room to spare.
    static constexpr uint32_t kSuggestedMb = 256;

    // The limit in MB; 0 means no limit; nullopt when the parameter cannot be read.
    static std::optional<uint32_t> limitMb(const std::filesystem::path& parameter = kParameterPath);

    // The user-facing text for a submission that failed for memory with `neededBytes` wanted
    // in flight on the endpoint.
    static std::string advice(std::optional<uint32_t> limitMb, uint64_t neededBytes);

    // Logs advice() once per process (reading the current limit); true when this call logged.
    static bool reportShortage(uint64_t neededBytes);
};

}  // namespace vidscope::host
