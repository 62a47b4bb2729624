// SPDX-License-Identifier: MIT
// How many bytes a caller's image buffer must hold for a frame query with given flags.
#include "cameraapi/device/OutputSize.h"

#include <algorithm>

#include "cameraapi/device/CameraContext.h"
#include "cameraapi/model/ModelTable.h"

namespace vidscope::api {

bool OutputSize::isYuv(const CameraContext& context) {
    const ModelRow* row = ModelTable::row(context.modelIndex);
    return row != nullptr && row->pipelineClass == PipelineClass::Yuv422;
}

uint32_t OutputSize::conversionBytesPerPixel(const CameraContext& context) {
    return isYuv(context) ? 2 : 1;
}

uint64_t OutputSize::forImage(bool yuv, uint32_t width, uint32_t height, uint32_t flags) {
    const uint64_t pixels = uint64_t{width} * height;
    // A YUV camera sends two bytes per pixel, but its conversion writes three (R, G, B)
    // whatever else the flags ask for: size the processed buffer for what is written.
    if (yuv)
        return pixels * ((flags & kFormatRaw) ? 2 : 3);
    if (flags & (kFormatRaw | kFormatGray))
        return pixels;
    return pixels * ((flags & kFormatFourBytes) ? 4 : 3);
}

uint64_t FrameShape::forQuery(uint32_t flags) const {
    const uint64_t size = OutputSize::forImage(yuv, outputWidth(), outputHeight(), flags);
    return (flags & kFormatRaw) ? std::max(size, frameBytes()) : size;
}

FrameShape OutputSize::shapeOf(const CameraContext& context) {
    const bool rotated =
        context.pipeline.read([](const ImageSettings& s) { return (s.flags & kFlagRotate) != 0; });
    return FrameShape{context.width, context.height, context.bytesPerPixel, rotated,
                      isYuv(context)};
}

uint64_t OutputSize::forQuery(const CameraContext& context, uint32_t flags) {
    return shapeOf(context).forQuery(flags);
}

uint64_t OutputSize::frameBytes(const CameraContext& context) {
    return shapeOf(context).frameBytes();
}

uint64_t OutputSize::conversionInputBytes(const CameraContext& context) {
    return shapeOf(context).conversionInputBytes();
}

}  // namespace vidscope::api
