// SPDX-License-Identifier: MIT
// How many bytes a caller's image buffer must hold for a frame query with given flags.
#pragma once

#include <cstdint>

namespace vidscope::api {

struct CameraContext;

// Format and query flags of the frame query and the buffer-size functions.
inline constexpr uint32_t kFormatRaw = 0x001;
inline constexpr uint32_t kFormatGray = 0x002;
inline constexpr uint32_t kFormatFourBytes = 0x200;
inline constexpr uint32_t kQueryResetStream = 0x10000;
inline constexpr uint32_t kQueryTrigger = 0x20000;

// The frame geometry at one moment. The resolution controls write width, height and bytes
// per pixel one by one under a shared lock, so a reader that takes them at different times
// may combine two geometries: a frame query sizes, checks and converts with one shape.
struct FrameShape {
    uint32_t width = 0;  // as transferred, in the sensor's orientation
    uint32_t height = 0;
    uint32_t bytesPerPixel = 0;
    bool rotated = false;
    bool yuv = false;

    uint32_t outputWidth() const { return rotated ? height : width; }
    uint32_t outputHeight() const { return rotated ? width : height; }
    uint64_t frameBytes() const { return uint64_t{bytesPerPixel} * width * height; }
    // What the conversion reads: two bytes per pixel for YUV, one otherwise.
    uint64_t conversionInputBytes() const { return uint64_t{yuv ? 2u : 1u} * width * height; }
    uint64_t forQuery(uint32_t flags) const;
    bool operator==(const FrameShape&) const = default;
};

class OutputSize {
public:
    static FrameShape shapeOf(const CameraContext& context);
    // The size for an output of width x height: two bytes per pixel for a YUV camera, one for
    // raw and grey output, otherwise four or three. 64 bits: 65535 x 65535 x 4 overflows 32.
    static uint64_t forImage(bool yuv, uint32_t width, uint32_t height, uint32_t flags);
    // The same for the camera's current output size. A raw query copies the whole frame as
    // the camera sends it, so for raw output the size is at least the frame's byte count
    // (they differ only when a mode delivers more than one byte per pixel on a non-YUV
    // camera).
    static uint64_t forQuery(const CameraContext& context, uint32_t flags);
    // bytesPerPixel x width x height of the frame the camera sends.
    static uint64_t frameBytes(const CameraContext& context);
    // Whether the camera's frames are YUV (converted from two bytes per pixel).
    static bool isYuv(const CameraContext& context);
    // What the conversion reads per pixel of a raw frame: two for a YUV camera, one otherwise,
    // whatever bytes per pixel the last resolution reply claimed.
    static uint32_t conversionBytesPerPixel(const CameraContext& context);
    // The same for the whole frame at the current output size.
    static uint64_t conversionInputBytes(const CameraContext& context);
};

}  // namespace vidscope::api
