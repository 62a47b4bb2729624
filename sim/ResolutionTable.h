// SPDX-License-Identifier: MIT
// The frame sizes a model offers, the selected one, the resolution mode and the ROI window.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "sim/VirtualModel.h"

namespace vidscope::sim {

struct Resolution {
    uint16_t width = 0;
    uint16_t height = 0;
    uint16_t bytesPerPixel = 1;
};

enum class ResolutionMode : uint8_t { Cropping = 0, Skipping = 1, Binning = 2 };

// How the sensor makes each delivered pixel from its sites.
enum class Sampling : uint8_t { Full, Skip, Bin };

struct Window {
    uint16_t x = 0;
    uint16_t y = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    bool operator==(const Window&) const = default;
};

// What the sensor reads out: the window on the full sensor, and the delivered frame.
struct FrameGeometry {
    Window window;  // in full-sensor coordinates
    Sampling sampling = Sampling::Full;
    uint16_t width = 0;  // delivered frame
    uint16_t height = 0;
    uint16_t bytesPerPixel = 1;
    ResolutionMode mode = ResolutionMode::Skipping;
    size_t frameBytes() const { return size_t{width} * height * bytesPerPixel; }
    bool operator==(const FrameGeometry&) const = default;
};

// Thread-safe. Index 0 is the full sensor, index 1 half of it in each direction (made as the
// resolution mode says), then centred windows read at full resolution.
class ResolutionTable {
public:
    explicit ResolutionTable(const VirtualModel& model);

    size_t count() const { return records_.size(); }
    std::optional<Resolution> record(size_t index) const;

    // Selecting a resolution ends an active ROI window.
    std::optional<Resolution> select(size_t index);
    bool setMode(uint8_t mode);
    ResolutionMode mode() const;

    // A window the sensor can read: even position and size, at least kMinimumWindow on each
    // side, inside the sensor.
    bool windowFits(const Window& window) const;
    bool applyWindow(const Window& window);

    FrameGeometry geometry() const;
    void reset();

    static constexpr uint16_t kMinimumWindow = 8;

private:
    const VirtualModel& model_;
    std::vector<Resolution> records_;
    std::vector<Window> windows_;  // per record: the centred window of records read as crops
    mutable std::mutex mutex_;
    size_t selected_ = 0;
    ResolutionMode mode_ = ResolutionMode::Skipping;
    std::optional<Window> roi_;
};

}  // namespace vidscope::sim
