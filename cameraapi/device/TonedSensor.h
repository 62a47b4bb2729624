// SPDX-License-Identifier: MIT
// Tone registers of the YUV sensor that applies gamma, contrast, saturation and black itself.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "cameraapi/device/ControlChannel.h"
#include "cameraapi/isp/IspTables.h"
#include "cameraapi/model/ExposureRegisters.h"

namespace vidscope::api {

struct CameraContext;

// The host-side tables do nothing for this sensor's YUV output, so every tone control has to
// reach the sensor as well. Its tone registers live in a second register bank selected by the
// page register.
class TonedSensor {
public:
    static constexpr uint16_t kSensorCode = 0xC130;
    static constexpr RegisterWrite kSelectTonePage{0xF0, 1};

    static bool applies(uint16_t sensorCode) { return sensorCode == kSensorCode; }

    // Ten samples of the gamma table, two per register, the higher input in the high byte.
    static std::array<RegisterWrite, 5> gammaCurve(const ByteTable& gammaLut);
    static RegisterWrite contrast(double contrast);
    static RegisterWrite saturation(double saturation);
    static RegisterWrite blackLevel(int32_t level);

    // Selects the tone bank, then makes the writes in order, all under one hold of the
    // control mutex so that no other register access lands in the wrong bank. Stops at the
    // first failure.
    static ControlResult write(CameraContext& context, std::span<const RegisterWrite> writes);
};

}  // namespace vidscope::api
