// SPDX-License-Identifier: MIT
// The camera models the API knows: device code, sensor family, pipeline and sensor size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace vidscope::api {

// Conversion path of the image pipeline for a model.
enum class PipelineClass : uint8_t {
    BayerBGGR = 2,   // colour, first row blue-green
    BayerGRBG = 3,   // colour, first row green-red
    Monochrome = 4,  // one grey byte per pixel
    Yuv422 = 5,      // two bytes per pixel
};

struct ModelRow {
    uint16_t deviceCode;  // the USB product id the model enumerates with
    uint16_t sensorCode;  // sensor family; selects the register handling
    PipelineClass pipelineClass;
    uint32_t maxWidth;
    uint32_t maxHeight;
    const char* name;  // display name, ASCII, at most kMaxNameLength characters
};

class ModelTable {
public:
    static constexpr uint32_t kRowCount = 32;
    // What a camera of an unknown product id gets as its model index: one past the table.
    static constexpr uint32_t kNoRow = kRowCount;
    static constexpr size_t kMaxNameLength = 9;

    static std::span<const ModelRow> rows();
    // The row of a model index, or null when it is kNoRow or beyond.
    static const ModelRow* row(uint32_t modelIndex);
    // The model index of a device code, or kNoRow.
    static uint32_t findDeviceCode(uint16_t deviceCode);

    // The two ways the USB 3 cameras are told apart; both pick the same rows. Transfer
    // buffer sizing uses the first, reset, reconnect and stream start/stop the second.
    static bool usesUsb3Buffers(uint16_t deviceCode) { return (deviceCode & 0xF000) == 0x3000; }
    static bool isUsb3Family(uint16_t deviceCode) { return (deviceCode & 0x3000) != 0; }
};

}  // namespace vidscope::api
