// SPDX-License-Identifier: MIT
// The environment every GoogleTest program of the suite starts in, whoever runs it.
#include <cstdlib>

namespace {

// Unpaced virtual cameras keep the suite fast; their EEPROM files go to the build tree, not to
// the user's own virtual cameras; and no test reaches for a real camera on the bus. Set before
// main() so that a test program started by hand behaves as under CTest; what the caller has
// set already wins.
const bool kTestEnvironmentSet = [] {
    setenv("VIDSCOPE_VIRTUAL_UNPACED", "1", 0);
    setenv("VIDSCOPE_VIRTUAL_DIR", VIDSCOPE_TEST_STATE_DIR, 0);
    setenv("VIDSCOPE_LIBUSB", "0", 0);
    return true;
}();

}  // namespace
