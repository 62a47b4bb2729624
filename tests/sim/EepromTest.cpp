// SPDX-License-Identifier: MIT
// The EEPROM: factory contents, byte access, write cycle, persistence and its location.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "FirmwareTestSupport.h"
#include "sim/FactoryEeprom.h"

namespace vidscope::sim::test {
namespace {

using namespace eeprom_map;

uint8_t readByte(CameraFirmware& fw, uint16_t address) {
    const Reply r = in(fw, kReadEeprom, 0, address);
    EXPECT_EQ(r.outcome, ControlOutcome::Ack);
    EXPECT_EQ(r.bytes.size(), 1u);
    return r.bytes.empty() ? 0 : r.bytes[0];
}

uint16_t readWord(CameraFirmware& fw, uint16_t address) {
    return static_cast<uint16_t>(readByte(fw, address) << 8 | readByte(fw, address + 1));
}

TEST(Eeprom, FactoryContentsHoldTheModelDefaults) {
    ScratchDirectory dir;
    auto colour = makeCamera(0x0500, dir);
    // Colour matrix: a plausible correction, each row summing to one.
    for (int row = 0; row < 3; ++row) {
        int sum = 0;
        for (int col = 0; col < 3; ++col)
            sum += static_cast<int16_t>(readWord(*colour, kColourMatrix + 2 * (3 * row + col)));
        EXPECT_EQ(sum, 100);
        const double diagonal =
            static_cast<int16_t>(readWord(*colour, kColourMatrix + 8 * row)) / 100.0;
        EXPECT_GE(diagonal, 1.0);
        EXPECT_LE(diagonal, 5.0);
    }
    EXPECT_EQ(readByte(*colour, kNameLength), 0);
    EXPECT_EQ(readWord(*colour, kDeadPixelCount), 0);

    // Both groups: unity gain, the factory exposure, gamma and contrast 1.00, the automatic
    // loops on, a target of 70, skipping, full resolution, and a timeout covering a frame.
    for (uint16_t group : {kParameterGroup0, kParameterGroup1}) {
        EXPECT_EQ(readWord(*colour, group + 0), 16);
        EXPECT_EQ(readWord(*colour, group + 2), colour->profile().factoryExposureLines());
        EXPECT_EQ(readWord(*colour, group + 4), 100);
        EXPECT_EQ(readWord(*colour, group + 6), 100);
        EXPECT_EQ(readWord(*colour, group + 8), 0x000C);
        EXPECT_EQ(readWord(*colour, group + 18), 70);
        EXPECT_EQ(readByte(*colour, group + 23), 1);
        EXPECT_EQ(readByte(*colour, group + 27), 4);  // RGB24
        EXPECT_EQ(readByte(*colour, group + 29), 0);
        EXPECT_GE(readWord(*colour, group + 38), 500);
    }
    // The factory exposure gives the picture its intended brightness: about 10 ms.
    const double lineUs = colour->sensorState().timing.lineTimeUs();
    EXPECT_NEAR(colour->profile().factoryExposureLines() * lineUs, 10000.0, lineUs);

    auto mono = makeCamera(0x050B, dir);
    EXPECT_EQ(readWord(*mono, kColourMatrix), 100);
    EXPECT_EQ(readWord(*mono, kColourMatrix + 2), 0);
    EXPECT_EQ(readByte(*mono, kParameterGroup0 + 27), 2);  // GRAY8
    EXPECT_EQ(readByte(*mono, 0x1F80), 0xFF);              // unprogrammed
}

TEST(Eeprom, LargeSensorOnUsb2GetsALongerFactoryTimeout) {
    ScratchDirectory dir;
    auto large = makeCamera(0x0E00, dir);  // about 0.7 s per frame at 24 MHz
    EXPECT_GT(readWord(*large, kParameterGroup0 + 38), 1500);
}

TEST(Eeprom, CustomNameIsProgrammedWhenConfigured) {
    ScratchDirectory dir;
    FirmwareOptions options;
    options.customName = "ABC";
    auto fw = makeCamera(0x0130, dir, options);
    EXPECT_EQ(readByte(*fw, kNameLength), 3);
    EXPECT_EQ(readByte(*fw, kName), 'A');
    EXPECT_EQ(readByte(*fw, kName + 2), 'C');
    EXPECT_EQ(readByte(*fw, kName + 3), 0);
}

TEST(Eeprom, WritesPersistPerCameraAcrossRuns) {
    ScratchDirectory dir;
    {
        auto fw = makeCamera(0x0130, dir);
        EXPECT_EQ(out(*fw, kWriteEeprom, 0x5A, kUserData), ControlOutcome::Ack);
        EXPECT_EQ(readByte(*fw, kUserData), 0x5A);
        EXPECT_EQ(out(*fw, kWriteEeprom, 0x100, kUserData), ControlOutcome::Stall);
        EXPECT_EQ(out(*fw, kWriteEeprom, 1, 0x2000), ControlOutcome::Stall);
        EXPECT_EQ(in(*fw, kReadEeprom, 0, 0x2000).outcome, ControlOutcome::Stall);
    }
    auto again = makeCamera(0x0130, dir);
    EXPECT_TRUE(again->eeprom().persistent());
    EXPECT_EQ(again->eeprom().file(), dir.path() / "0130-1.eeprom");
    EXPECT_EQ(readByte(*again, kUserData), 0x5A);
    // Replugging keeps the contents too.
    again->unplug();
    again->replug();
    EXPECT_EQ(readByte(*again, kUserData), 0x5A);

    FirmwareOptions second;
    second.instance = 2;
    auto other = makeCamera(0x0130, dir, second);
    EXPECT_NE(readByte(*other, kUserData), 0x5A);

    FirmwareOptions volatileOnly;
    volatileOnly.persistEeprom = false;
    auto inMemory = makeCamera(0x0130, dir, volatileOnly);
    EXPECT_FALSE(inMemory->eeprom().persistent());
    EXPECT_NE(readByte(*inMemory, kUserData), 0x5A);
}

std::string fileText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(Eeprom, DamagedFileIsKeptAsideAndAFreshOneStartsFromFactory) {
    ScratchDirectory dir;
    const std::filesystem::path file = dir.path() / "0130-1.eeprom";
    std::ofstream(file) << "short";
    auto fw = makeCamera(0x0130, dir);
    EXPECT_TRUE(fw->eeprom().persistent());
    EXPECT_EQ(readWord(*fw, kParameterGroup0), 16);
    EXPECT_EQ(std::filesystem::file_size(file), Eeprom::kSize);
    EXPECT_EQ(fileText(dir.path() / "0130-1.eeprom.bad"), "short");
}

// A shared folder may hold links, FIFOs or other users' files under the names the cameras
// use: none of them may be written, truncated, created through or block the start.
TEST(Eeprom, BackingFileIsUsedOnlyWhenItIsARegularFileOfThisUser) {
    ScratchDirectory dir;
    ScratchDirectory elsewhere;
    const std::filesystem::path target = elsewhere.path() / "precious";
    std::ofstream(target) << "keep me";
    std::filesystem::create_symlink(target, dir.path() / "0130-1.eeprom");
    std::filesystem::create_symlink(elsewhere.path() / "created", dir.path() / "0500-1.eeprom");
    ASSERT_EQ(::mkfifo((dir.path() / "050B-1.eeprom").c_str(), 0600), 0);
    std::vector<uint16_t> products{0x0130, 0x0500, 0x050B};
    // Only root can give a file away; elsewhere the other user's file is left out.
    std::ofstream(dir.path() / "0A00-1.eeprom") << std::string(Eeprom::kSize, 'x');
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown((dir.path() / "0A00-1.eeprom").c_str(), 4242, 4242), 0);
        products.push_back(0x0A00);
    }

    for (uint16_t product : products) {
        SCOPED_TRACE(product);
        auto fw = makeCamera(product, dir);
        EXPECT_FALSE(fw->eeprom().persistent());
        EXPECT_EQ(readWord(*fw, kParameterGroup0), 16);
        // Writes still work, in memory.
        EXPECT_EQ(out(*fw, kWriteEeprom, 0x5A, kUserData), ControlOutcome::Ack);
        EXPECT_EQ(readByte(*fw, kUserData), 0x5A);
    }
    EXPECT_EQ(fileText(target), "keep me");
    EXPECT_FALSE(std::filesystem::exists(elsewhere.path() / "created"));
    EXPECT_EQ(fileText(dir.path() / "0A00-1.eeprom"), std::string(Eeprom::kSize, 'x'));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "0130-1.eeprom.bad"));
}

TEST(Eeprom, AccessDuringAWriteCycleWaitsForIt) {
    ScratchDirectory dir;
    auto fw = makeCamera(0x0130, dir);
    using Clock = std::chrono::steady_clock;
    out(*fw, kWriteEeprom, 1, kUserData);
    const auto start = Clock::now();
    out(*fw, kWriteEeprom, 2, kUserData + 1);
    EXPECT_EQ(readByte(*fw, kUserData + 1), 2);
    // Two write cycles end before the read can run.
    EXPECT_GE(Clock::now() - start, std::chrono::microseconds(9500));
}

TEST(Eeprom, DefaultDirectoryFollowsTheEnvironment) {
    struct SavedVariable {
        const char* name;
        std::optional<std::string> value;
        explicit SavedVariable(const char* n) : name(n) {
            if (const char* v = std::getenv(n))
                value = v;
        }
        ~SavedVariable() {
            if (value)
                ::setenv(name, value->c_str(), 1);
            else
                ::unsetenv(name);
        }
    };
    SavedVariable dirVar("VIDSCOPE_VIRTUAL_DIR"), state("XDG_STATE_HOME"), home("HOME");
    ::setenv("VIDSCOPE_VIRTUAL_DIR", "/tmp/elsewhere", 1);
    EXPECT_EQ(Eeprom::defaultDirectory(), "/tmp/elsewhere");
    ::unsetenv("VIDSCOPE_VIRTUAL_DIR");
    ::setenv("XDG_STATE_HOME", "/var/state", 1);
    EXPECT_EQ(Eeprom::defaultDirectory(), "/var/state/vidscope/virtual");
    ::setenv("XDG_STATE_HOME", "relative", 1);  // not absolute: ignored
    ::setenv("HOME", "/home/u", 1);
    EXPECT_EQ(Eeprom::defaultDirectory(), "/home/u/.local/state/vidscope/virtual");
}

}  // namespace
}  // namespace vidscope::sim::test
