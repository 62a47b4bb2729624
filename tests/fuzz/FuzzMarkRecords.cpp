// SPDX-License-Identifier: MIT
// libFuzzer entry point: one input as a whole mark file through the record parser.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "MarkFuzzing.h"
#include "MarkRecord.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (!MarkFuzzing::checkRecords(MarkRecord::parseLines(input)).isEmpty())
        std::abort();
    return 0;
}
