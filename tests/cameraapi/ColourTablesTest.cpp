// SPDX-License-Identifier: MIT
// Values of the colour-conversion tables and rebuilding them while they are read.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <thread>
#include <vector>

#include "cameraapi/ColourTables.h"

namespace vidscope::api {
namespace {

using T = ColourTables::Table;
constexpr std::array<T, 7> kOrder = {ColourTables::lumR, ColourTables::lumG, ColourTables::lumB,
                                     ColourTables::cbR,  ColourTables::cbG,  ColourTables::crG,
                                     ColourTables::crB};

std::array<int32_t, 7> column(uint8_t value) {
    std::array<int32_t, 7> out{};
    for (size_t k = 0; k < kOrder.size(); ++k)
        out[k] = ColourTables::at(kOrder[k], value);
    return out;
}

TEST(ColourTables, EntriesAreTruncatedProducts) {
    ColourTables::rebuild();
    EXPECT_EQ(column(255), (std::array<int32_t, 7>{76, 149, 29, 43, 84, 106, 20}));
    // 29.9, 58.7, 11.4, 16.9, 33.1, 41.9, 8.1: rounding instead of truncating shows here.
    EXPECT_EQ(column(100), (std::array<int32_t, 7>{29, 58, 11, 16, 33, 41, 8}));
    EXPECT_EQ(column(0), (std::array<int32_t, 7>{0, 0, 0, 0, 0, 0, 0}));
    for (T table : kOrder) {
        for (int v = 1; v < 256; ++v) {
            EXPECT_GE(ColourTables::at(table, static_cast<uint8_t>(v)),
                      ColourTables::at(table, static_cast<uint8_t>(v - 1)));
        }
    }
}

// Opening a camera rebuilds the tables while another camera's pipeline may read them.
TEST(ColourTables, ReadersSeeOnlyFinalValuesDuringRebuilds) {
    ColourTables::rebuild();
    const std::array<int32_t, 7> expected = column(255);
    std::atomic<bool> stop{false};
    std::atomic<int> wrong{0};
    std::vector<std::thread> readers;
    for (int r = 0; r < 2; ++r) {
        readers.emplace_back([&] {
            while (!stop) {
                if (column(255) != expected)
                    ++wrong;
            }
        });
    }
    for (int i = 0; i < 200; ++i)
        ColourTables::rebuild();
    stop = true;
    for (std::thread& t : readers)
        t.join();
    EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
}  // namespace vidscope::api
