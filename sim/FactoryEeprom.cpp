// SPDX-License-Identifier: MIT
// The EEPROM contents a camera leaves the factory with.
#include "sim/FactoryEeprom.h"

#include <algorithm>
#include <array>

namespace vidscope::sim {
namespace {

void put16(Eeprom::Image& image, size_t address, uint16_t value) {
    image[address] = static_cast<uint8_t>(value >> 8);
    image[address + 1] = static_cast<uint8_t>(value & 0xFF);
}

// A typical correction for a Bayer sensor's broad dye responses: each row sums to one, so
// grey stays grey.
constexpr std::array<int16_t, 9> kBayerMatrix = {162, -44, -18, -28, 152, -24, -6, -52, 158};
constexpr std::array<int16_t, 9> kIdentity = {100, 0, 0, 0, 100, 0, 0, 0, 100};

bool isBayer(PixelLayout l) {
    return l == PixelLayout::BayerBGGR || l == PixelLayout::BayerGRBG;
}

void putParameterGroup(Eeprom::Image& image, size_t base, const VirtualModel& model,
                       const FactorySettings& s) {
    constexpr uint16_t kUnity = 100;  // real values are stored times 100
    put16(image, base + 0, 16);       // gain: unity
    put16(image, base + 2, s.exposureLines);
    put16(image, base + 4, kUnity);   // gamma
    put16(image, base + 6, kUnity);   // contrast
    put16(image, base + 8, 0x000C);   // automatic exposure and gain on
    put16(image, base + 10, kUnity);  // white balance R, G, B
    put16(image, base + 12, kUnity);
    put16(image, base + 14, kUnity);
    put16(image, base + 16, 0);       // black level
    put16(image, base + 18, 70);      // brightness target
    put16(image, base + 20, kUnity);  // saturation
    image[base + 22] = 0;             // interpolation
    image[base + 23] = 1;             // resolution mode: skipping
    put16(image, base + 24, 0);       // frame delay
    image[base + 26] = 0;             // advanced gain
    image[base + 27] = model.layout == PixelLayout::Monochrome ? 2 : 4;  // GRAY8 or RGB24
    image[base + 28] = 0;  // resolution index: full sensor
    image[base + 29] = 0;  // no ROI
    std::fill(image.begin() + base + 30, image.begin() + base + 38, 0);
    put16(image, base + 38, s.frameTimeoutMs);
}

}  // namespace

Eeprom::Image factoryEepromImage(const VirtualModel& model, const FactorySettings& s) {
    using namespace eeprom_map;
    Eeprom::Image image;
    image.fill(0xFF);

    const std::array<uint8_t, kUserDataLength> id = {'V',
                                                     'S',
                                                     static_cast<uint8_t>(model.productId >> 8),
                                                     static_cast<uint8_t>(model.productId),
                                                     static_cast<uint8_t>(s.instance >> 24),
                                                     static_cast<uint8_t>(s.instance >> 16),
                                                     static_cast<uint8_t>(s.instance >> 8),
                                                     static_cast<uint8_t>(s.instance),
                                                     0x20,
                                                     0x24,
                                                     0x06,
                                                     0x01};  // date of manufacture
    std::copy(id.begin(), id.end(), image.begin() + kUserData);

    const auto& matrix = isBayer(model.layout) ? kBayerMatrix : kIdentity;
    for (size_t k = 0; k < matrix.size(); ++k)
        put16(image, kColourMatrix + 2 * k, static_cast<uint16_t>(matrix[k]));

    const size_t nameLength = std::min<size_t>(s.customName.size(), kNameMaxLength);
    image[kNameLength] = static_cast<uint8_t>(nameLength);
    std::fill(image.begin() + kName, image.begin() + kName + kNameMaxLength, 0);
    std::copy_n(s.customName.begin(), nameLength, image.begin() + kName);

    put16(image, kDeadPixelCount, 0);
    putParameterGroup(image, kParameterGroup0, model, s);
    putParameterGroup(image, kParameterGroup1, model, s);
    return image;
}

}  // namespace vidscope::sim
