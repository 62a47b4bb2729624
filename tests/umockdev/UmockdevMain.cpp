// SPDX-License-Identifier: MIT
// Entry point of the programs that run the libusb port over the emulated usbfs.
#include <gtest/gtest.h>

#include <cstdio>

#include "UsbfsTestbed.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (!vidscope::test::UsbfsTestbed::preloaded()) {
        std::fprintf(stderr,
                     "FAILED: this program must run under umockdev-wrapper (the umockdev "
                     "preload library is not loaded), or libusb would see the real bus\n");
        return 1;
    }
    // Before anything starts libusb: it looks for the bus only once.
    vidscope::test::UsbfsTestbed::instance();
    return RUN_ALL_TESTS();
}
