// SPDX-License-Identifier: MIT
// A region of interest chosen on the displayed picture, placed on the sensor.
#pragma once

#include <cstdint>
#include <optional>

namespace vidscope::api {

// The user draws the region on the picture as shown, mirrored and rotated; the sensor reads
// windows in its own orientation. Both are in full-sensor pixels.
struct RoiWindow {
    uint32_t x = 0;
    uint32_t y = 0;
    uint32_t width = 0;
    uint32_t height = 0;

    bool operator==(const RoiWindow&) const = default;

    // The sensor window for a region of the displayed picture under the mirror and rotate
    // bits of `flags`, or none when the region has an odd coordinate or size, is empty, or
    // does not lie on a sensorWidth x sensorHeight sensor.
    static std::optional<RoiWindow> toSensor(const RoiWindow& shown, uint16_t flags,
                                             uint32_t sensorWidth, uint32_t sensorHeight);
};

}  // namespace vidscope::api
