// SPDX-License-Identifier: MIT
// What to tell the user when the system refuses access to a camera's USB device.
#pragma once

#include <string>

namespace vidscope::host {

// Where the install target puts the udev rule that grants the logged-in user the cameras.
inline constexpr const char* kUdevRuleName = "70-vidscope.rules";
inline constexpr const char* kUdevRuleDirectory = "/usr/lib/udev/rules.d";

// The advice that the camera API, the command line and the GUI log when opening a camera
// fails with kErrorAccessDenied: which rule to install and how to make udev apply it.
std::string accessDeniedAdvice();

}  // namespace vidscope::host
