// SPDX-License-Identifier: MIT
// The gain values the exposure loop may choose per sensor family, and what each one amplifies.
#include "cameraapi/isp/LoopGain.h"

#include <algorithm>
#include <initializer_list>

namespace vidscope::api {
namespace {

bool isOneOf(uint16_t code, std::initializer_list<uint16_t> codes) {
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

constexpr int32_t kCoarseLimit = 32;

bool coarseSteps(uint16_t sensorCode) {
    return isOneOf(sensorCode, {0x0E60, 0x0E6B, 0x0E70, 0x0E7B});
}

// The gain a written value amounts to. Below 32 the coarse family keeps only gain / 4; its
// coarse step 7 is also how 32 itself is written, so 28 to 31 already amplify as 32 does.
int32_t effective(uint16_t sensorCode, int32_t gain) {
    if (!coarseSteps(sensorCode) || gain >= kCoarseLimit)
        return gain;
    const int32_t coarse = gain / 4;
    return coarse == 7 ? kCoarseLimit : coarse * 4;
}

}  // namespace

int32_t LoopGain::unity(uint16_t sensorCode) {
    return isOneOf(sensorCode, {0x0130, 0x013B}) ? 8 : 16;
}

double LoopGain::amplification(uint16_t sensorCode, int32_t gain) {
    const int32_t one = unity(sensorCode);
    return static_cast<double>(std::max(effective(sensorCode, gain), one)) / one;
}

std::vector<int32_t> LoopGain::levels(uint16_t sensorCode) {
    std::vector<int32_t> result;
    for (int32_t g = unity(sensorCode); g <= kMax; ++g) {
        if (effective(sensorCode, g) == g)
            result.push_back(g);
    }
    return result;
}

}  // namespace vidscope::api
