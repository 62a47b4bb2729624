// SPDX-License-Identifier: MIT
// Exception thrown when the system refuses to close a device handle.
#pragma once

#include <cstdint>
#include <stdexcept>

namespace vidscope::usb {

class UsbCloseError : public std::runtime_error {
public:
    static constexpr const char* kHandleText = "Failed to close handle to driver.";

    UsbCloseError(const char* text, uint32_t systemError)
        : std::runtime_error(text), systemError_(systemError) {}
    uint32_t systemError() const { return systemError_; }

private:
    uint32_t systemError_;
};

}  // namespace vidscope::usb
