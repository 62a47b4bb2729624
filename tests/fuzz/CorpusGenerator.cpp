// SPDX-License-Identifier: MIT
// Writes the descriptor fuzz corpus: every model's real blocks and the named regression inputs.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "sim/DescriptorSet.h"
#include "sim/VirtualModel.h"
#include "tests/fuzz/RegressionInputs.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

void write(const fs::path& file, const Bytes& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// Writes each distinct block once, named after the first model that has it.
void writeCorpus(const fs::path& dir) {
    fs::create_directories(dir);
    std::set<Bytes> seen;
    auto put = [&](const std::string& name, const Bytes& bytes) {
        if (!bytes.empty() && seen.insert(bytes).second)
            write(dir / (name + ".bin"), bytes);
    };
    using vidscope::sim::DescriptorSet;
    put("string-languages", DescriptorSet::buildLanguageList());
    put("string-manufacturer", DescriptorSet::buildString(vidscope::sim::kVirtualManufacturer));
    for (const auto& model : vidscope::sim::virtualModels()) {
        char prefix[16];
        std::snprintf(prefix, sizeof prefix, "%04x-", model.productId);
        put(prefix + std::string("device"), DescriptorSet::buildDevice(model));
        put(prefix + std::string("config"), DescriptorSet::buildConfiguration(model));
        if (model.superSpeed)
            put(prefix + std::string("bos"), DescriptorSet::buildBos(model, 1));
        put(prefix + std::string("product"), DescriptorSet::buildString(model.productString));
    }
}

void writeRegressions(const fs::path& dir) {
    fs::create_directories(dir);
    for (const auto& input : vidscope::usb::fuzz::regressionInputs()) {
        write(dir / input.file, input.bytes);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <tests/fuzz directory>\n", argv[0]);
        return 2;
    }
    const fs::path root = argv[1];
    writeCorpus(root / "corpus");
    writeRegressions(root / "regressions");
    return 0;
}
