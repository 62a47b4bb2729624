// SPDX-License-Identifier: MIT
// libFuzzer entry point for the descriptor parsers.
#include <cstddef>
#include <cstdint>

#include "tests/fuzz/DescriptorFuzzing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vidscope::usb::fuzz::parseAll({data, size});
    return 0;
}
