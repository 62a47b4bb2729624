// SPDX-License-Identifier: MIT
// The dead-pixel list a camera keeps in its EEPROM, and its exchange with the pipeline.
#include "cameraapi/device/DeadPixelStore.h"

#include <array>

#include "cameraapi/device/CameraContext.h"
#include "cameraapi/device/EepromBlock.h"

namespace vidscope::api {
namespace {

constexpr size_t kBytesPerPixel = 4;

void makeCurrent(CameraContext& context, uint16_t count,
                 const std::array<DeadPixel, kMaxDeadPixels>& pixels) {
    context.pipeline.modify([&](ImageSettings& s) {
        s.deadPixelCount = count;
        s.deadPixels = pixels;
    });
}

}  // namespace

std::optional<std::vector<uint8_t>> DeadPixelStore::encode(const uint32_t* list) {
    const uint32_t count = list[0];
    if (count > kMaxDeadPixels)
        return std::nullopt;
    std::vector<uint8_t> bytes(2 + kBytesPerPixel * count);
    EepromBlock::put16(bytes, 0, static_cast<uint16_t>(count));
    for (size_t i = 0; i < 2 * count; ++i)
        EepromBlock::put16(bytes, 2 + 2 * i, static_cast<uint16_t>(list[1 + i]));
    return bytes;
}

int DeadPixelStore::save(CameraContext& context, const uint32_t* list) {
    const std::optional<std::vector<uint8_t>> bytes = encode(list);
    if (!bytes)
        return 0;  // the caller refuses such lists before
    const BlockResult written = EepromBlock::write(context, kCountAddress, *bytes);
    if (!written.ok())
        return written.error;
    std::array<DeadPixel, kMaxDeadPixels> pixels{};
    const uint16_t count = EepromBlock::get16(*bytes, 0);
    for (size_t i = 0; i < count; ++i) {
        pixels[i] = DeadPixel{static_cast<uint16_t>(list[1 + 2 * i]),
                              static_cast<uint16_t>(list[2 + 2 * i])};
    }
    makeCurrent(context, count, pixels);
    return 0;
}

int DeadPixelStore::load(CameraContext& context, uint32_t* list) {
    std::array<uint8_t, 2> countBytes{};
    const BlockResult countRead = EepromBlock::read(context, kCountAddress, countBytes);
    std::array<DeadPixel, kMaxDeadPixels> pixels{};
    if (!countRead.ok()) {
        makeCurrent(context, 0, pixels);
        return countRead.error;
    }
    const uint16_t count = usableCount(EepromBlock::get16(countBytes, 0));
    std::vector<uint8_t> bytes(kBytesPerPixel * count);
    const BlockResult read = EepromBlock::read(context, kListAddress, bytes);
    if (!read.ok()) {
        makeCurrent(context, 0, pixels);
        return read.error;
    }
    for (size_t i = 0; i < count; ++i) {
        pixels[i] = DeadPixel{EepromBlock::get16(bytes, kBytesPerPixel * i),
                              EepromBlock::get16(bytes, kBytesPerPixel * i + 2)};
    }
    makeCurrent(context, count, pixels);
    if (count == 0)
        return 0;
    list[0] = count;
    for (size_t i = 0; i < count; ++i) {
        list[1 + 2 * i] = pixels[i].x;
        list[2 + 2 * i] = pixels[i].y;
    }
    return 0;
}

}  // namespace vidscope::api
