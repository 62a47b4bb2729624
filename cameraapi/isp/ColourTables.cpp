// SPDX-License-Identifier: MIT
// Storage and rebuild of the colour-conversion tables.
#include "cameraapi/isp/ColourTables.h"

#include <array>
#include <atomic>

namespace vidscope::api {
namespace {

constexpr std::array<double, ColourTables::kTableCount> kCoefficients = {0.299, 0.587, 0.114, 0.169,
                                                                         0.331, 0.419, 0.081};

using TableStorage = std::array<std::array<std::atomic<int32_t>, 256>, ColourTables::kTableCount>;

constinit TableStorage gTables{};

}  // namespace

void ColourTables::rebuild() {
    for (int t = 0; t < kTableCount; ++t) {
        for (int v = 0; v < 256; ++v) {
            // The conversion truncates toward zero, as every float-to-integer step does here.
            auto entry = static_cast<int32_t>(v * kCoefficients[static_cast<size_t>(t)]);
            gTables[static_cast<size_t>(t)][static_cast<size_t>(v)].store(
                entry, std::memory_order_relaxed);
        }
    }
}

int32_t ColourTables::at(Table table, uint8_t value) {
    return gTables[static_cast<size_t>(table)][value].load(std::memory_order_relaxed);
}

double ColourTables::coefficient(Table table) {
    return kCoefficients[static_cast<size_t>(table)];
}

}  // namespace vidscope::api
