// SPDX-License-Identifier: MIT
// The caps vidscopesrc offers for a camera, and the camera query flags behind each format.
#include "gst/SourceCaps.h"

#include <climits>
#include <cstring>
#include <vector>

#include "vidscope/camera_api.h"

namespace vidscope::gst {
namespace {

// The camera has no fixed frame rate (it follows exposure and blanking): 0/1 says "variable".
void addCommonFields(GstStructure* s, unsigned width, unsigned height) {
    gst_structure_set(s, "width", G_TYPE_INT, int(width), "height", G_TYPE_INT, int(height),
                      "framerate", GST_TYPE_FRACTION, 0, 1, "pixel-aspect-ratio", GST_TYPE_FRACTION,
                      1, 1, nullptr);
}

GstStructure* rawStructure(const char* format, unsigned width, unsigned height) {
    GstStructure* s = gst_structure_new("video/x-raw", "format", G_TYPE_STRING, format, nullptr);
    addCommonFields(s, width, height);
    return s;
}

GstStructure* bayerStructure(const char* pattern, unsigned width, unsigned height) {
    GstStructure* s = gst_structure_new("video/x-bayer", "format", G_TYPE_STRING, pattern, nullptr);
    addCommonFields(s, width, height);
    return s;
}

const char* rawName(OutputFormat format) {
    switch (format) {
        case OutputFormat::kGray8:
            return "GRAY8";
        case OutputFormat::kRgb:
            return "RGB";
        case OutputFormat::kBgrx:
            return "BGRx";
        case OutputFormat::kBayer:
            break;
    }
    return nullptr;
}

bool cameraCanProduce(const CameraLayout& camera, OutputFormat format) {
    switch (format) {
        case OutputFormat::kGray8:
            return !camera.yuv;
        case OutputFormat::kRgb:
            return true;
        case OutputFormat::kBgrx:
            return !camera.yuv;
        case OutputFormat::kBayer:
            return camera.bayer != nullptr;
    }
    return false;
}

// Grey first for monochrome sensors, colour first for the others; the mosaic last, since
// most elements downstream want pictures.
std::vector<OutputFormat> preferenceOrder(const CameraLayout& camera) {
    if (camera.monochrome)
        return {OutputFormat::kGray8, OutputFormat::kRgb, OutputFormat::kBgrx};
    return {OutputFormat::kRgb, OutputFormat::kBgrx, OutputFormat::kGray8, OutputFormat::kBayer};
}

}  // namespace

unsigned OutputLayout::queryFlags() const {
    switch (format) {
        case OutputFormat::kGray8:
            return CAMERA_FORMAT_GRAY8;
        case OutputFormat::kRgb:
            return CAMERA_FORMAT_RGB24;
        case OutputFormat::kBgrx:
            return CAMERA_FORMAT_RGB24 | CAMERA_FORMAT_BLUE_FIRST | CAMERA_FORMAT_FOUR_BYTES;
        case OutputFormat::kBayer:
            return CAMERA_FORMAT_RAW8;
    }
    return 0;
}

GstCaps* SourceCaps::templateCaps(std::optional<OutputFormat> only) {
    GstCaps* caps = gst_caps_new_empty();
    const OutputFormat all[] = {OutputFormat::kRgb, OutputFormat::kBgrx, OutputFormat::kGray8,
                                OutputFormat::kBayer};
    for (OutputFormat format : all) {
        if (only && *only != format)
            continue;
        GstStructure* s =
            format == OutputFormat::kBayer
                ? gst_structure_from_string("video/x-bayer, format={bggr,grbg}", nullptr)
                : rawStructure(rawName(format), 1, 1);
        gst_structure_set(s, "width", GST_TYPE_INT_RANGE, 1, G_MAXINT, "height", GST_TYPE_INT_RANGE,
                          1, G_MAXINT, "framerate", GST_TYPE_FRACTION, 0, 1, "pixel-aspect-ratio",
                          GST_TYPE_FRACTION, 1, 1, nullptr);
        gst_caps_append_structure(caps, s);
    }
    // One structure per format reads poorly in gst-inspect: merge the raw ones into a list.
    return gst_caps_simplify(caps);
}

GstCaps* SourceCaps::forCamera(const CameraLayout& camera, std::optional<OutputFormat> only) {
    GstCaps* caps = gst_caps_new_empty();
    for (OutputFormat format : preferenceOrder(camera)) {
        if ((only && *only != format) || !cameraCanProduce(camera, format))
            continue;
        if (format == OutputFormat::kBayer)
            gst_caps_append_structure(caps,
                                      bayerStructure(camera.bayer, camera.width, camera.height));
        else
            gst_caps_append_structure(caps,
                                      rawStructure(rawName(format), camera.width, camera.height));
    }
    return caps;
}

std::optional<OutputLayout> SourceCaps::parse(const GstCaps* caps) {
    if (caps == nullptr || gst_caps_get_size(caps) != 1 || !gst_caps_is_fixed(caps))
        return std::nullopt;
    const GstStructure* s = gst_caps_get_structure(caps, 0);
    const char* format = gst_structure_get_string(s, "format");
    int width = 0;
    int height = 0;
    if (format == nullptr || !gst_structure_get_int(s, "width", &width) ||
        !gst_structure_get_int(s, "height", &height) || width <= 0 || height <= 0)
        return std::nullopt;
    OutputLayout layout;
    layout.width = unsigned(width);
    layout.height = unsigned(height);
    if (gst_structure_has_name(s, "video/x-bayer")) {
        layout.format = OutputFormat::kBayer;
        layout.bytesPerPixel = 1;
        return layout;
    }
    if (!gst_structure_has_name(s, "video/x-raw"))
        return std::nullopt;
    const struct {
        OutputFormat format;
        unsigned bytesPerPixel;
    } known[] = {{OutputFormat::kGray8, 1}, {OutputFormat::kRgb, 3}, {OutputFormat::kBgrx, 4}};
    for (const auto& candidate : known) {
        if (std::strcmp(format, rawName(candidate.format)) == 0) {
            layout.format = candidate.format;
            layout.bytesPerPixel = candidate.bytesPerPixel;
            return layout;
        }
    }
    return std::nullopt;
}

}  // namespace vidscope::gst
