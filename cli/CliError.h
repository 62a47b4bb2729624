// SPDX-License-Identifier: MIT
// The two ways a command fails: bad usage (exit 2) or a camera API call that failed (exit 1).
#pragma once

#include <stdexcept>
#include <string>

namespace vidscope::cli {

// The command line cannot be carried out as written; the message is one line for stderr.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A camera API call failed; the message names the call and the last error's name.
class ApiError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    // Builds the message from the calling thread's last-error code.
    static ApiError fromLastError(const std::string& what);
};

// Work that did not complete for another reason (a file that cannot be written): exit 1.
class RunError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws ApiError for `what` unless `ok`.
void require(bool ok, const char* what);

}  // namespace vidscope::cli
