// SPDX-License-Identifier: MIT
// The caps vidscopesrc offers for a camera, and the camera query flags behind each format.
#pragma once

#include <gst/gst.h>

#include <optional>

namespace vidscope::gst {

enum class OutputFormat { kGray8, kRgb, kBgrx, kBayer };

// What a camera can deliver at its current output size.
struct CameraLayout {
    unsigned width = 0;
    unsigned height = 0;
    bool monochrome = false;
    // A YUV camera converts to RGB only (its grey output writes nothing) and sends no mosaic.
    bool yuv = false;
    // The mosaic's GStreamer name ("bggr", "grbg") when raw frames are a Bayer mosaic, else null.
    const char* bayer = nullptr;
};

// One negotiated output: format, size and how rows lie in the buffer.
struct OutputLayout {
    OutputFormat format = OutputFormat::kRgb;
    unsigned width = 0;
    unsigned height = 0;
    unsigned bytesPerPixel = 0;
    // Rows as the camera writes them (packed) and as the caps promise them without a video
    // meta (GStreamer's default: rounded up to four bytes).
    unsigned packedStride() const { return width * bytesPerPixel; }
    unsigned defaultStride() const { return (packedStride() + 3u) & ~3u; }
    unsigned queryFlags() const;
};

class SourceCaps {
public:
    // Every format (or only one) at any size: the pad template, and the caps before a camera
    // is open.
    static GstCaps* templateCaps(std::optional<OutputFormat> only);
    // What this camera produces now, in order of preference; `only` narrows it to one format.
    static GstCaps* forCamera(const CameraLayout& camera, std::optional<OutputFormat> only);
    // The output described by fixed caps, or nothing for caps this element cannot produce.
    static std::optional<OutputLayout> parse(const GstCaps* caps);
};

}  // namespace vidscope::gst
