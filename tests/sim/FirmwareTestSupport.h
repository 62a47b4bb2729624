// SPDX-License-Identifier: MIT
// Helpers of the firmware tests: a scratch directory, request shortcuts, frame collection.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stop_token>
#include <string>
#include <vector>

#include "sim/CameraFirmware.h"
#include "sim/VendorRequestDispatcher.h"

namespace vidscope::sim::test {

class ScratchDirectory {
public:
    ScratchDirectory() {
        std::string pattern = (std::filesystem::temp_directory_path() / "vsfw-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~ScratchDirectory() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

struct Reply {
    ControlOutcome outcome = ControlOutcome::Stall;
    std::vector<uint8_t> bytes;
};

inline const VirtualModel& model(uint16_t productId) {
    const VirtualModel* m = findVirtualModel(productId);
    if (!m)
        throw std::runtime_error("no such model");
    return *m;
}

// An unpaced camera whose EEPROM lives in `dir`.
inline std::shared_ptr<CameraFirmware> makeCamera(uint16_t productId, const ScratchDirectory& dir,
                                                  FirmwareOptions options = {}) {
    options.unpaced = options.unpaced.value_or(true);
    options.stateDirectory = dir.path();
    return CameraFirmware::create(model(productId), options);
}

inline Reply in(CameraFirmware& fw, uint8_t request, uint16_t value, uint16_t index,
                uint16_t length = 10) {
    std::vector<uint8_t> buffer(length, 0);
    const ControlSetup setup{0xC0, request, value, index, length};
    const ControlResult r = fw.vendorHandler()->handleVendorRequest(setup, buffer);
    buffer.resize(r.length);
    return {r.outcome, buffer};
}

inline ControlOutcome out(CameraFirmware& fw, uint8_t request, uint16_t value, uint16_t index,
                          std::vector<uint8_t> data = {}) {
    const ControlSetup setup{0x40, request, value, index, static_cast<uint16_t>(data.size())};
    return fw.vendorHandler()->handleVendorRequest(setup, data).outcome;
}

inline uint16_t readRegister(CameraFirmware& fw, uint16_t address) {
    const Reply r = in(fw, kReadRegister, 0, address);
    if (r.bytes.size() == 2)
        return static_cast<uint16_t>(r.bytes[0] << 8 | r.bytes[1]);
    return r.bytes.empty() ? 0 : r.bytes[0];
}

inline void writeRegister(CameraFirmware& fw, uint16_t address, uint16_t value) {
    ASSERT_EQ(out(fw, kWriteRegister, value, address), ControlOutcome::Ack);
}

struct Transfer {
    BulkOutcome outcome;
    uint32_t length;
};

// Reads transfers of `bufferSize` until one comes back short (the end of a frame) or fails.
struct Collected {
    std::vector<uint8_t> frame;
    std::vector<Transfer> transfers;
};

inline Collected collectFrame(BulkInSource& source, size_t bufferSize, std::stop_token stop = {}) {
    Collected c;
    std::vector<uint8_t> buffer(bufferSize);
    for (;;) {
        const BulkResult r = source.readBulk(buffer, stop);
        c.transfers.push_back({r.outcome, r.length});
        if (r.outcome != BulkOutcome::Data)
            return c;
        c.frame.insert(c.frame.end(), buffer.begin(), buffer.begin() + r.length);
        if (r.length < bufferSize)
            return c;
    }
}

// Mean over the middle of `rect` of the sites of one 2 x 2 cell position (dx, dy in 0..1;
// dx -1: every site).
inline double cellMean(const std::vector<uint8_t>& frame, int width, const Rect& rect, int dx,
                       int dy, int bytesPerPixel = 1, int byteInPixel = 0) {
    double sum = 0;
    int n = 0;
    for (int y = rect.y + rect.height / 4; y < rect.y + rect.height * 3 / 4; ++y) {
        for (int x = rect.x + rect.width / 4; x < rect.x + rect.width * 3 / 4; ++x) {
            if (dx >= 0 && ((x & 1) != dx || (y & 1) != dy))
                continue;
            sum += frame[(size_t(y) * width + x) * bytesPerPixel + byteInPixel];
            ++n;
        }
    }
    return n ? sum / n : 0;
}

}  // namespace vidscope::sim::test
