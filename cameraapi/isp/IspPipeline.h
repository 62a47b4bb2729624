// SPDX-License-Identifier: MIT
// A camera's image pipeline: its settings guard, published table set and frame conversion.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

#include "cameraapi/isp/AutoExposure.h"
#include "cameraapi/isp/ImageSettings.h"
#include "cameraapi/isp/IspTables.h"
#include "cameraapi/isp/kernels/IspKernels.h"
#include "cameraapi/model/ModelTable.h"

namespace vidscope::api {

// One frame handed to the pipeline. width and height are the output image's: swapped under
// rotation.
struct IspFrame {
    uint8_t* raw = nullptr;
    uint8_t* out = nullptr;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t format = 0;  // CAMERA_FORMAT_* bits
};

// What the pipeline needs to know of the camera a frame came from.
struct IspCamera {
    PipelineClass pipelineClass = PipelineClass::Monochrome;
    uint16_t sensorCode = 0;
    uint32_t sensorWidth = 0;
    uint32_t sensorHeight = 0;
    uint32_t frameCount = 0;
};

// Setters on the user-interface thread and conversions on the processing threads all hold
// the camera's lock only shared, so the pipeline keeps its own order: every read or write of
// the settings goes through read() or update() under a short mutex, and every change
// publishes a complete new table set. A conversion takes the set in force when it starts and
// uses it to the end of the frame; it holds the mutex only at its start and end, never while
// pixels are converted or registers written.
class IspPipeline {
public:
    enum class Result {
        Done,
        Refused,              // the frame's size is not the one the pixel map was built for
        ExposureWriteFailed,  // converted, but the automatic exposure step could not write
    };

    explicit IspPipeline(ImageSettings& settings);

    std::shared_ptr<const IspTables> tables() const;

    template <class Reader>
    auto read(Reader&& reader) const {
        std::lock_guard lock(mutex_);
        return reader(static_cast<const ImageSettings&>(settings_));
    }
    // Changes settings that feed every table but the colour tables.
    template <class Change>
    void update(Change&& change) {
        std::lock_guard lock(mutex_);
        change(settings_);
        publish(false);
    }
    // Changes settings and rebuilds the colour tables from them as well.
    template <class Change>
    void updateColour(Change&& change) {
        std::lock_guard lock(mutex_);
        change(settings_);
        publish(true);
    }
    // Changes settings that feed no table (exposure, loop switches, pending requests): the
    // published set stays as it is.
    template <class Change>
    void modify(Change&& change) {
        std::lock_guard lock(mutex_);
        change(settings_);
    }

    // The map a camera starts with: no mirroring or rotation, whatever the flags say.
    void resetPixelMap(uint32_t width, uint32_t height);
    // The map of a width x height sensor image under the current mirror and rotate flags.
    void rebuildPixelMap(uint32_t width, uint32_t height);
    // Sets or clears mirror or rotate bits and rebuilds the map for a width x height image.
    void setGeometryFlag(uint16_t flag, bool on, uint32_t width, uint32_t height);

    Result process(const IspFrame& frame, const IspCamera& camera, const RegisterWriter& writer,
                   const IspKernels& kernels);
    Result process(const IspFrame& frame, const IspCamera& camera, const RegisterWriter& writer);

    // Bytes CameraISP writes for a width x height frame in `format`: nothing for RAW8 (or no
    // output bit), then GRAY8 before RGB24. YUV cameras give three bytes per pixel for RGB24
    // (their raw frame is two) and nothing for GRAY8.
    static uint64_t outputBytes(PipelineClass pipelineClass, uint32_t width, uint32_t height,
                                uint32_t format);

private:
    struct FrameStart;

    void publish(bool rebuildColour);
    FrameStart startFrame(const IspFrame& frame, const IspCamera& camera);
    void balanceWhite(FrameStart& start, const IspCamera& camera);
    static std::optional<int32_t> convert(const FrameStart& start, const IspCamera& camera,
                                          const IspKernels& kernels);
    ExposureWrites finishFrame(std::optional<int32_t> mean, const IspCamera& camera);

    mutable std::mutex mutex_;
    ImageSettings& settings_;
    PixelMap map_;
    std::shared_ptr<const IspTables> tables_;
};

}  // namespace vidscope::api
