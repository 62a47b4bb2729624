// SPDX-License-Identifier: MIT
// The wording of the permission advice for cameras the user may not open.
#include "usb/host/AccessAdvice.h"

namespace vidscope::host {

std::string accessDeniedAdvice() {
    const std::string rule = std::string(kUdevRuleDirectory) + "/" + kUdevRuleName;
    return "No permission to open the camera's USB device (vendor id a7b7). Install the udev "
           "rule " +
           rule + " (the install target does it, or: sudo install -m 644 packaging/" +
           kUdevRuleName + " " + kUdevRuleDirectory +
           "/), then reload udev with: sudo udevadm control --reload-rules && sudo udevadm "
           "trigger --subsystem-match=usb --attr-match=idVendor=a7b7 , and unplug and re-plug "
           "the camera.";
}

}  // namespace vidscope::host
