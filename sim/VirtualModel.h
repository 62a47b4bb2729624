// SPDX-License-Identifier: MIT
// The camera models the virtual camera can impersonate, as the firmware knows them.
#pragma once

#include <cstdint>
#include <span>

namespace vidscope::sim {

// Pixel layout the sensor delivers on the bulk endpoint.
enum class PixelLayout : uint8_t {
    BayerBGGR = 2,   // colour, first row B G B G ..., second row G R G R ...
    BayerGRBG = 3,   // colour, first row G R G R ..., second row B G B G ...
    Monochrome = 4,  // one byte per pixel
    Yuv422 = 5,      // two bytes per pixel, U Y0 V Y1 per pair of pixels
};

struct VirtualModel {
    uint16_t productId;   // USB product id (the device code)
    uint16_t sensorCode;  // sensor family
    PixelLayout layout;
    uint16_t maxWidth;
    uint16_t maxHeight;
    bool superSpeed;  // enumerates as a USB 3 SuperSpeed device
    const char* productString;
};

std::span<const VirtualModel> virtualModels();
// The model with this product id, or null.
const VirtualModel* findVirtualModel(uint16_t productId);

inline constexpr uint16_t kVirtualVendorId = 0xA7B7;

}  // namespace vidscope::sim
