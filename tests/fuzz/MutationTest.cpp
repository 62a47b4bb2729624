// SPDX-License-Identifier: MIT
// Bounded mutation run of the descriptor parsers over the seed corpus and regression inputs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>

#include "sim/DescriptorSet.h"
#include "sim/VirtualModel.h"
#include "tests/fuzz/DescriptorFuzzing.h"
#include "tests/fuzz/RegressionInputs.h"

namespace vidscope::usb::fuzz {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

const fs::path kDataDir = VIDSCOPE_FUZZ_DATA_DIR;
constexpr int kMutationsPerSeed = 400;
constexpr uint32_t kSeed = 0x5EED1234;

Bytes readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::vector<fs::path> filesIn(const fs::path& dir) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(dir))
        files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// Parses from an allocation of exactly the input's size, so that the address sanitizer
// reports a read one byte past the end (a vector's spare capacity would hide it).
ParseOutcome parseExact(const Bytes& bytes) {
    std::unique_ptr<uint8_t[]> exact(new uint8_t[bytes.size()]);
    std::copy(bytes.begin(), bytes.end(), exact.get());
    return parseAll({exact.get(), bytes.size()});
}

// One random edit of the kinds that break descriptor walks: lengths, types, truncation,
// duplication and insertion.
Bytes mutate(Bytes b, std::mt19937& rng) {
    auto pick = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng); };
    const uint8_t interesting[] = {0, 1, 2, 3, 4, 5, 6, 7, 9, 0x0F, 0x10, 0x30, 0x7F, 0x80, 0xFF};
    switch (pick(6)) {
        case 0:
            if (!b.empty())
                b[pick(b.size())] = static_cast<uint8_t>(rng());
            break;
        case 1:
            if (!b.empty())
                b[pick(b.size())] = interesting[pick(sizeof interesting)];
            break;
        case 2:
            if (!b.empty())
                b.resize(pick(b.size()));
            break;
        case 3:
            if (!b.empty()) {
                const size_t from = pick(b.size());
                const size_t len = 1 + pick(std::min<size_t>(b.size() - from, 32));
                b.insert(b.begin() + pick(b.size()), b.begin() + from, b.begin() + from + len);
            }
            break;
        case 4:
            b.insert(b.begin() + (b.empty() ? 0 : pick(b.size())), 1 + pick(8),
                     static_cast<uint8_t>(rng()));
            break;
        default:
            // A 16-bit length field somewhere: the wTotalLength of blocks sits at offset 2.
            if (b.size() >= 4) {
                const uint16_t v = static_cast<uint16_t>(rng());
                b[2] = static_cast<uint8_t>(v);
                b[3] = static_cast<uint8_t>(v >> 8);
            }
            break;
    }
    return b;
}

std::vector<Bytes> seeds() {
    std::vector<Bytes> all;
    for (const auto& file : filesIn(kDataDir / "corpus"))
        all.push_back(readFile(file));
    for (const auto& file : filesIn(kDataDir / "regressions"))
        all.push_back(readFile(file));
    // The live descriptor set too, in case it has moved on from the committed corpus.
    for (const auto& model : sim::virtualModels()) {
        all.push_back(sim::DescriptorSet::buildConfiguration(model));
        if (model.superSpeed)
            all.push_back(sim::DescriptorSet::buildBos(model, 1));
    }
    return all;
}

TEST(DescriptorCorpus, RealModelBlocksParse) {
    const auto files = filesIn(kDataDir / "corpus");
    ASSERT_GE(files.size(), 10u);
    for (const auto& file : files) {
        const Bytes bytes = readFile(file);
        const ParseOutcome out = parseExact(bytes);
        const std::string name = file.filename().string();
        if (name.ends_with("-config.bin")) {
            EXPECT_TRUE(out.plain.parsed) << name;
            EXPECT_TRUE(out.superSpeed.parsed) << name;
            EXPECT_EQ(out.plain.endpoints, 1u) << name;
        } else if (name.ends_with("-bos.bin")) {
            EXPECT_TRUE(out.bos) << name;
        } else if (name.ends_with("-device.bin")) {
            EXPECT_TRUE(out.device) << name;
        } else {
            EXPECT_TRUE(out.textUnits) << name;
        }
    }
}

TEST(DescriptorCorpus, RegressionInputsGiveTheirKnownOutcome) {
    for (const RegressionInput& input : regressionInputs()) {
        const fs::path file = kDataDir / "regressions" / input.file;
        ASSERT_TRUE(fs::exists(file)) << input.file;
        const Bytes bytes = readFile(file);
        EXPECT_EQ(bytes, input.bytes) << input.file << " differs from its definition";
        const ParseOutcome out = parseExact(bytes);
        const Expected& e = input.expected;
        auto check = [&](const auto& expected, const auto& actual, const char* what) {
            if (expected) {
                EXPECT_EQ(actual, *expected) << input.file << ": " << what;
            }
        };
        check(e.plainParses, out.plain.parsed, "plain parser");
        check(e.superSpeedParses, out.superSpeed.parsed, "SuperSpeed parser");
        check(e.bosParses, out.bos, "BOS parser");
        check(e.deviceParses, out.device, "device parser");
        check(e.interfaceCount, out.plain.interfaces, "interfaces");
        check(e.endpointCount, out.plain.endpoints, "endpoints");
        check(e.largestPacket, out.superSpeed.largestPacket, "largest packet");
        if (e.textUnits) {
            EXPECT_EQ(out.textUnits, e.textUnits) << input.file;
        }
    }
}

TEST(DescriptorCorpus, DeterministicMutationsNeverBreakTheParsers) {
    std::mt19937 rng(kSeed);
    size_t runs = 0;
    size_t accepted = 0;
    for (const Bytes& seed : seeds()) {
        Bytes current = seed;
        for (int i = 0; i < kMutationsPerSeed; ++i) {
            // Mostly stack edits on the previous input, sometimes start again from the seed.
            current = mutate(rng() % 4 == 0 ? seed : current, rng);
            if (current.size() > 4096)
                current.resize(4096);
            const ParseOutcome out = parseExact(current);
            accepted += out.plain.parsed || out.bos || out.device;
            ++runs;
            // Whatever the input, the limits hold.
            ASSERT_LE(out.plain.interfaces, 8u);
            ASSERT_LE(out.superSpeed.endpoints, 8u * 31);
        }
    }
    EXPECT_GE(runs, 20000u);
    // The mutations must leave enough structure to reach deep into the walks.
    EXPECT_GT(accepted, runs / 20);
}

}  // namespace
}  // namespace vidscope::usb::fuzz
