// SPDX-License-Identifier: MIT
// Reading the usbfs memory limit from whatever the kernel parameter file holds.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "usb/host/UsbfsMemory.h"

namespace vidscope::host {
namespace {

TEST(UsbfsMemoryLimit, ReadsMegabytesAndRejectsWhatIsNotANumber) {
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / "vidscope-usbfs-memory-mb";
    const auto limitOf = [&](const std::string& contents) {
        std::ofstream(file) << contents;
        return UsbfsMemory::limitMb(file);
    };
    EXPECT_EQ(limitOf("16\n"), 16u);
    EXPECT_EQ(limitOf("0\n"), 0u);  // no limit at all
    EXPECT_EQ(limitOf("2048"), 2048u);
    EXPECT_EQ(limitOf(""), std::nullopt);
    EXPECT_EQ(limitOf("lots\n"), std::nullopt);
    EXPECT_EQ(limitOf("-1\n"), std::nullopt);
    EXPECT_EQ(limitOf("99999999999999999999\n"), std::nullopt);
    std::filesystem::remove(file);
    EXPECT_EQ(UsbfsMemory::limitMb(file), std::nullopt);
}

TEST(UsbfsMemoryLimit, AdviceWorksWithoutAKnownLimit) {
    const std::string advice = UsbfsMemory::advice(std::nullopt, 20u << 20);
    EXPECT_NE(advice.find("at least 20 MB"), std::string::npos) << advice;
    EXPECT_EQ(advice.find("limit of"), std::string::npos) << "no limit is made up";
    EXPECT_NE(advice.find("usbcore.usbfs_memory_mb=256"), std::string::npos);
}

}  // namespace
}  // namespace vidscope::host
