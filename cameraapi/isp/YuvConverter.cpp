// SPDX-License-Identifier: MIT
// YUV 4:2:2 to RGB with the sensor vendor's coefficients.
#include "cameraapi/isp/YuvConverter.h"

#include <array>

namespace vidscope::api {
namespace {

// The products of each chroma value with its coefficients, as the per-pixel formula computes
// them; the sums below keep the formula's order so that every byte comes out the same.
struct ChromaProducts {
    std::array<double, 256> redFromV{};
    std::array<double, 256> greenFromV{};
    std::array<double, 256> greenFromU{};
    std::array<double, 256> blueFromU{};

    ChromaProducts() {
        for (int i = 0; i < 256; ++i) {
            const double c = i - 128;
            const auto k = static_cast<size_t>(i);
            redFromV[k] = 1.370705 * c;
            greenFromV[k] = 0.698001 * c;
            greenFromU[k] = 0.337633 * c;
            blueFromU[k] = 1.732446 * c;
        }
    }
};

uint8_t toByte(double value) {
    if (value <= 0.0)
        return 0;
    if (value >= 255.0)
        return 255;
    return static_cast<uint8_t>(value);
}

}  // namespace

void YuvConverter::convert(const uint8_t* raw, size_t pixels, uint8_t* out) {
    static const ChromaProducts products;
    for (size_t pair = 0; pair < pixels / 2; ++pair, raw += 4) {
        const uint8_t u = raw[0];
        const uint8_t v = raw[2];
        for (const uint8_t y : {raw[1], raw[3]}) {
            const int luma = y - 16;
            *out++ = toByte(luma + products.redFromV[v]);
            *out++ = toByte(luma - products.greenFromV[v] - products.greenFromU[u]);
            *out++ = toByte(luma + products.blueFromU[u]);
        }
    }
}

}  // namespace vidscope::api
