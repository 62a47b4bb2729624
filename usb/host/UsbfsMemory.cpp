// SPDX-License-Identifier: MIT
// Reads usbcore.usbfs_memory_mb and words the advice for raising it.
#include "usb/host/UsbfsMemory.h"

#include <atomic>
#include <cctype>
#include <fstream>
#include <sstream>

#include "usb/host/HostLog.h"

namespace vidscope::host {

std::optional<uint32_t> UsbfsMemory::limitMb(const std::filesystem::path& parameter) {
    std::ifstream in(parameter);
    std::string text;
    if (!in || !std::getline(in, text))
        return std::nullopt;
    uint64_t value = 0;
    size_t digits = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            break;
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > UINT32_MAX)
            return std::nullopt;
        ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    return static_cast<uint32_t>(value);
}

std::string UsbfsMemory::advice(std::optional<uint32_t> limitMb, uint64_t neededBytes) {
    constexpr uint64_t kMiB = 1024 * 1024;
    const uint64_t neededMb = (neededBytes + kMiB - 1) / kMiB;
    std::ostringstream text;
    text << "The kernel's usbfs memory limit";
    if (limitMb)
        text << " of " << *limitMb << " MB";
    text << " cannot hold the camera's queue of USB transfers (at least " << neededMb
         << " MB); streaming goes on with fewer or smaller transfers in flight, which may cost"
            " frame rate. To raise the limit until the next boot: echo "
         << kSuggestedMb << " | sudo tee " << kParameterPath
         << " . To raise it for good: add usbcore.usbfs_memory_mb=" << kSuggestedMb
         << " to the kernel command line (GRUB_CMDLINE_LINUX_DEFAULT in /etc/default/grub,"
            " then sudo update-grub and reboot).";
    return text.str();
}

bool UsbfsMemory::reportShortage(uint64_t neededBytes) {
    static std::atomic<bool> reported{false};
    if (reported.exchange(true))
        return false;
    VS_LOG(hostLog(), Warning) << advice(limitMb(), neededBytes);
    return true;
}

}  // namespace vidscope::host
