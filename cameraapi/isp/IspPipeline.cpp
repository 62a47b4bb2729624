// SPDX-License-Identifier: MIT
// The steps of one frame through the pipeline, and the publication of table sets.
#include "cameraapi/isp/IspPipeline.h"

#include <utility>

#include "cameraapi/isp/BayerInterpolator.h"
#include "cameraapi/isp/DeadPixelRepair.h"
#include "cameraapi/isp/MonoConverter.h"
#include "cameraapi/isp/WhiteBalance.h"
#include "cameraapi/isp/YuvConverter.h"
#include "cameraapi/isp/kernels/IspDispatch.h"
#include "vidscope/camera_api.h"

namespace vidscope::api {
namespace {

enum class Output { None, Grey, Colour };

Output outputOf(uint32_t format) {
    if ((format & CAMERA_FORMAT_RAW8) != 0)
        return Output::None;
    if ((format & CAMERA_FORMAT_GRAY8) != 0)
        return Output::Grey;
    if ((format & CAMERA_FORMAT_RGB24) != 0)
        return Output::Colour;
    return Output::None;
}

OutputLayout layoutOf(uint32_t format) {
    OutputLayout layout;
    layout.bytesPerPixel = (format & CAMERA_FORMAT_FOUR_BYTES) != 0 ? 4 : 3;
    layout.redOffset = (format & CAMERA_FORMAT_BLUE_FIRST) != 0 ? 2 : 0;
    layout.blueOffset = 2 - layout.redOffset;
    return layout;
}

bool isBayer(PipelineClass pipelineClass) {
    return pipelineClass == PipelineClass::BayerBGGR || pipelineClass == PipelineClass::BayerGRBG;
}

}  // namespace

// What a frame took from the settings when it started.
struct IspPipeline::FrameStart {
    std::shared_ptr<const IspTables> tables;
    uint32_t width = 0;  // of the sensor image
    uint32_t height = 0;
    Output output = Output::None;
    bool onePush = false;
    bool estimateWhite = false;
    int32_t previousMean = 0;
    FrameWindow window;
    uint16_t deadPixelCount = 0;
    std::array<DeadPixel, kMaxDeadPixels> deadPixels{};
    uint8_t* raw = nullptr;
    uint8_t* out = nullptr;
    OutputLayout layout;
};

IspPipeline::IspPipeline(ImageSettings& settings) : settings_(settings) {
    // Every table is ready from the start, gains included, so that a frame converted before
    // the camera's stored parameters arrive already shows a picture.
    std::lock_guard lock(mutex_);
    publish(true);
}

std::shared_ptr<const IspTables> IspPipeline::tables() const {
    std::lock_guard lock(mutex_);
    return tables_;
}

void IspPipeline::publish(bool rebuildColour) {
    tables_ = IspTables::build(settings_, map_, rebuildColour ? nullptr : tables_.get());
}

void IspPipeline::resetPixelMap(uint32_t width, uint32_t height) {
    std::lock_guard lock(mutex_);
    map_ = PixelMap::build(width, height, 0);
    publish(false);
}

void IspPipeline::rebuildPixelMap(uint32_t width, uint32_t height) {
    std::lock_guard lock(mutex_);
    map_ = PixelMap::build(width, height, settings_.flags);
    publish(false);
}

void IspPipeline::setGeometryFlag(uint16_t flag, bool on, uint32_t width, uint32_t height) {
    std::lock_guard lock(mutex_);
    settings_.flags = static_cast<uint16_t>(on ? settings_.flags | flag : settings_.flags & ~flag);
    map_ = PixelMap::build(width, height, settings_.flags);
    publish(false);
}

uint64_t IspPipeline::outputBytes(PipelineClass pipelineClass, uint32_t width, uint32_t height,
                                  uint32_t format) {
    const uint64_t pixels = uint64_t{width} * height;
    switch (outputOf(format)) {
        case Output::None:
            return 0;
        case Output::Grey:
            return pipelineClass == PipelineClass::Yuv422 ? 0 : pixels;
        case Output::Colour:
            if (pipelineClass == PipelineClass::Yuv422)
                return pixels * 3;
            return pixels * layoutOf(format).bytesPerPixel;
    }
    return 0;
}

IspPipeline::Result IspPipeline::process(const IspFrame& frame, const IspCamera& camera,
                                         const RegisterWriter& writer) {
    return process(frame, camera, writer, IspDispatch::best());
}

IspPipeline::Result IspPipeline::process(const IspFrame& frame, const IspCamera& camera,
                                         const RegisterWriter& writer, const IspKernels& kernels) {
    FrameStart start = startFrame(frame, camera);
    if (!start.tables)
        return Result::Refused;
    DeadPixelRepair::apply(frame.raw, start.window, start.deadPixels, start.deadPixelCount);
    if (start.output == Output::None)
        return Result::Done;
    if (start.onePush || start.estimateWhite)
        balanceWhite(start, camera);
    std::optional<int32_t> mean = convert(start, camera, kernels);
    ExposureWrites writes = finishFrame(mean, camera);
    const bool written = writes.perform(writer);
    // Grey output feeds measurement, where a picture taken at a wrong exposure must not pass
    // unnoticed; the live colour view just carries on.
    if (!written && start.output == Output::Grey)
        return Result::ExposureWriteFailed;
    return Result::Done;
}

IspPipeline::FrameStart IspPipeline::startFrame(const IspFrame& frame, const IspCamera& camera) {
    std::lock_guard lock(mutex_);
    FrameStart start;
    const PixelMap& map = tables_->map;
    start.width = map.rotated() ? frame.height : frame.width;
    start.height = map.rotated() ? frame.width : frame.height;
    if (start.width == 0 || start.height == 0 || start.width != map.width() ||
        start.height != map.height() || frame.raw == nullptr) {
        return start;
    }
    start.output = outputOf(frame.format);
    if (start.output != Output::None && frame.out == nullptr)
        return start;
    start.tables = tables_;
    start.raw = frame.raw;
    start.out = frame.out;
    start.layout = layoutOf(frame.format);
    const ImageSettings& s = settings_;
    start.window = FrameWindow{
        start.width, start.height, camera.sensorWidth, camera.sensorHeight, s.roiEnabled != 0,
        s.roiX,      s.roiY,       s.resolutionMode};
    start.deadPixelCount = s.deadPixelCount;
    start.deadPixels = s.deadPixels;
    start.previousMean = s.meanBrightness;
    if (start.output != Output::None) {
        // Taken (and cleared) by this frame so that a second processing thread does not
        // measure the same request again.
        start.onePush = s.onePushPending != 0 && isBayer(camera.pipelineClass);
        settings_.onePushPending = 0;
        if (isBayer(camera.pipelineClass)) {
            start.estimateWhite = s.awbPending != 0;
            settings_.awbPending = 0;
        }
    }
    return start;
}

void IspPipeline::balanceWhite(FrameStart& start, const IspCamera& camera) {
    std::optional<WhiteBalanceGains> gains;
    if (start.onePush) {
        gains = WhiteBalance::onePush(start.raw, start.width, start.height, camera.pipelineClass);
    }
    if (start.estimateWhite) {
        if (auto estimated = WhiteBalance::estimate(start.raw, start.width, start.height,
                                                    camera.pipelineClass, start.previousMean))
            gains = estimated;
    }
    if (!gains)
        return;
    std::lock_guard lock(mutex_);
    settings_.wbGainR = gains->red;
    settings_.wbGainG = gains->green;
    settings_.wbGainB = gains->blue;
    publish(false);
    // The frame is converted with the new gains, and with whatever else is in force now.
    if (tables_->map.width() == start.width && tables_->map.height() == start.height)
        start.tables = tables_;
}

std::optional<int32_t> IspPipeline::convert(const FrameStart& start, const IspCamera& camera,
                                            const IspKernels& kernels) {
    const IspTables& tables = *start.tables;
    const bool colour = start.output == Output::Colour;
    switch (camera.pipelineClass) {
        case PipelineClass::BayerBGGR:
        case PipelineClass::BayerGRBG: {
            BayerInterpolator bayer(camera.pipelineClass, tables, kernels);
            return bayer.convert(
                start.raw, colour ? IspRowWriter::Mode::Colour : IspRowWriter::Mode::GreyFromColour,
                start.layout, start.out);
        }
        case PipelineClass::Monochrome: {
            MonoConverter mono(tables, kernels);
            if (colour)
                mono.convertColour(start.raw, start.layout, start.out);
            else
                mono.convertGrey(start.raw, start.out);
            return mono.meanBrightness(start.raw);
        }
        case PipelineClass::Yuv422:
            if (colour)
                YuvConverter::convert(start.raw, size_t{start.width} * start.height, start.out);
            return std::nullopt;
    }
    return std::nullopt;
}

ExposureWrites IspPipeline::finishFrame(std::optional<int32_t> mean, const IspCamera& camera) {
    std::lock_guard lock(mutex_);
    if (mean)
        settings_.meanBrightness = *mean;
    if (isBayer(camera.pipelineClass))
        WhiteBalance::schedule(settings_, camera.frameCount);
    return AutoExposure::step(settings_, camera.frameCount, camera.sensorCode);
}

}  // namespace vidscope::api
