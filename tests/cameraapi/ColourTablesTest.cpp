// SPDX-License-Identifier: MIT
// Values of the colour-conversion tables, also while they are being rebuilt.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <thread>

#include "cameraapi/isp/ColourTables.h"

namespace vidscope::api {
namespace {

// All seven entries for one value, in table order.
std::array<int32_t, 7> column(uint8_t value) {
    std::array<int32_t, 7> out{};
    for (int t = 0; t < ColourTables::kTableCount; ++t) {
        out[static_cast<size_t>(t)] = ColourTables::at(static_cast<ColourTables::Table>(t), value);
    }
    return out;
}

TEST(ColourTables, EntriesAreTruncatedProducts) {
    ColourTables::rebuild();
    EXPECT_EQ(column(255), (std::array<int32_t, 7>{76, 149, 29, 43, 84, 106, 20}));
    // 29.9, 58.7, 11.4, 16.9, 33.1, 41.9, 8.1: rounding instead of truncating shows here.
    EXPECT_EQ(column(100), (std::array<int32_t, 7>{29, 58, 11, 16, 33, 41, 8}));
    EXPECT_EQ(column(0), (std::array<int32_t, 7>{}));
}

// Opening a camera rebuilds the tables while another camera's pipeline may read them.
TEST(ColourTables, ReadersSeeOnlyFinalValuesDuringRebuilds) {
    ColourTables::rebuild();
    const std::array<int32_t, 7> expected = column(255);
    std::atomic<bool> stop{false};
    std::atomic<int> wrong{0};
    std::thread reader([&] {
        while (!stop) {
            if (column(255) != expected)
                ++wrong;
        }
    });
    for (int i = 0; i < 200; ++i)
        ColourTables::rebuild();
    stop = true;
    reader.join();
    EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
}  // namespace vidscope::api
