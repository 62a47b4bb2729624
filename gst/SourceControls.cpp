// SPDX-License-Identifier: MIT
// The camera controls vidscopesrc exposes as properties, set through the CLI's control table.
#include "gst/SourceControls.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "cli/ControlTable.h"
#include "vidscope/camera_api.h"

namespace vidscope::gst {
namespace {

enum class Kind {
    kInt,     // -1 keeps the camera's own value
    kReal,    // applied only once set
    kSwitch,  // applied only once set
    kTrigger  // a switch over the snap mode: 2 trigger, 1 continuous
};

struct Row {
    const char* property;
    const char* control;  // its name in the command line's control table
    Kind kind;
    bool changesSize;
    const char* blurb;
    double realDefault;
};

constexpr Row kRows[] = {
    {"resolution", "resolution", Kind::kInt, true,
     "Resolution number of the camera (vidscope-cli info lists them); -1 keeps the current one", 0},
    {"exposure", "exposure", Kind::kInt, false,
     "Exposure in sensor lines; -1 keeps the camera's own", 0},
    {"gain", "gain", Kind::kInt, false,
     "Gain in sixteenths (16 is unity), 1..255; -1 keeps the "
     "camera's own",
     0},
    {"gamma", "gamma", Kind::kReal, false, "Tone curve, 1.0 linear (applied once set)", 1.0},
    {"auto-exposure", "aec", Kind::kSwitch, false, "Automatic exposure (applied once set)", 0},
    {"auto-gain", "agc", Kind::kSwitch, false, "Automatic gain (applied once set)", 0},
    {"auto-white-balance", "awb", Kind::kSwitch, false,
     "Automatic white balance of colour cameras (applied once set)", 0},
    {"mirror-x", "mirror_x", Kind::kSwitch, false, "Mirror left to right (applied once set)", 0},
    {"mirror-y", "mirror_y", Kind::kSwitch, false, "Mirror top to bottom (applied once set)", 0},
    {"rotate", "rotate", Kind::kSwitch, true,
     "Turn a quarter clockwise; width and height swap (applied once set)", 0},
    {"trigger-mode", "snap_mode", Kind::kTrigger, false,
     "Send a frame only when triggered (software-trigger signal or the trigger input)", 0},
};
constexpr unsigned kRowCount = sizeof(kRows) / sizeof(kRows[0]);

const cli::Control& controlOf(const Row& row) {
    return *cli::ControlTable::find(row.control);
}

// The property's value as the control table's numbers; nothing for "keep the camera's own".
std::optional<std::vector<double>> valuesOf(const Row& row, const GValue* value) {
    switch (row.kind) {
        case Kind::kInt: {
            const int number = g_value_get_int(value);
            if (number < 0)
                return std::nullopt;
            return std::vector<double>{double(number)};
        }
        case Kind::kReal:
            return std::vector<double>{g_value_get_double(value)};
        case Kind::kSwitch:
            return std::vector<double>{g_value_get_boolean(value) ? 1.0 : 0.0};
        case Kind::kTrigger:
            return std::vector<double>{g_value_get_boolean(value) ? 2.0 : 1.0};
    }
    return std::nullopt;
}

void store(const Row& row, const std::vector<double>& values, GValue* value) {
    const double number = values.empty() ? -1 : values[0];
    switch (row.kind) {
        case Kind::kInt:
            g_value_set_int(value, int(number));
            break;
        case Kind::kReal:
            g_value_set_double(value, values.empty() ? row.realDefault : number);
            break;
        case Kind::kSwitch:
            g_value_set_boolean(value, number > 0);
            break;
        case Kind::kTrigger:
            g_value_set_boolean(value, number == 2);
            break;
    }
}

std::string numberText(double value) {
    char text[32];
    g_snprintf(text, sizeof text, "%g", value);
    return text;
}

}  // namespace

unsigned SourceControls::count() {
    return kRowCount;
}

void SourceControls::installProperties(GObjectClass* klass, unsigned firstPropertyId) {
    const auto flags =
        GParamFlags(G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS | GST_PARAM_MUTABLE_PLAYING);
    for (unsigned i = 0; i < kRowCount; ++i) {
        const Row& row = kRows[i];
        const cli::Control& control = controlOf(row);
        GParamSpec* param = nullptr;
        switch (row.kind) {
            case Kind::kInt:
                param = g_param_spec_int(row.property, row.property, row.blurb, -1,
                                         int(std::min(control.max, double(G_MAXINT))), -1, flags);
                break;
            case Kind::kReal:
                param = g_param_spec_double(row.property, row.property, row.blurb, control.min,
                                            control.max, row.realDefault, flags);
                break;
            case Kind::kSwitch:
            case Kind::kTrigger:
                param = g_param_spec_boolean(row.property, row.property, row.blurb, FALSE, flags);
                break;
        }
        g_object_class_install_property(klass, firstPropertyId + i, param);
    }
}

std::string SourceControls::set(unsigned propertyId, const GValue* value) {
    const unsigned index = propertyId - first_;
    const std::optional<std::vector<double>> values = valuesOf(kRows[index], value);
    std::lock_guard lock(mutex_);
    auto sameRow = [index](const Pending& p) { return p.index == index; };
    std::erase_if(requested_, sameRow);
    std::erase_if(deferred_, sameRow);
    if (!values)
        return {};
    requested_.push_back({index, *values});
    if (camera_ < 0)
        return {};
    if (kRows[index].changesSize) {
        deferred_.push_back({index, *values});
        return {};
    }
    return applyLocked(index, *values);
}

void SourceControls::get(unsigned propertyId, GValue* value) {
    const unsigned index = propertyId - first_;
    const Row& row = kRows[index];
    std::lock_guard lock(mutex_);
    std::vector<double> values;
    // Automatic loops move the exposure and gain: an open camera is asked.
    if (camera_ >= 0 && controlOf(row).get(camera_, values) && !values.empty()) {
        store(row, values, value);
        return;
    }
    for (const Pending& pending : requested_) {
        if (pending.index == index)
            values = pending.values;
    }
    store(row, values, value);
}

std::string SourceControls::attach(int camera) {
    std::lock_guard lock(mutex_);
    camera_ = camera;
    deferred_.clear();
    // Size first, so that a region or mirror applies to the frame size it will run at.
    std::vector<Pending> ordered = requested_;
    std::stable_partition(ordered.begin(), ordered.end(),
                          [](const Pending& p) { return kRows[p.index].changesSize; });
    for (const Pending& pending : ordered) {
        std::string refusal = applyLocked(pending.index, pending.values);
        if (!refusal.empty())
            return refusal;
    }
    return {};
}

void SourceControls::detach() {
    std::lock_guard lock(mutex_);
    camera_ = -1;
    deferred_.clear();
}

bool SourceControls::fireTrigger() {
    std::lock_guard lock(mutex_);
    return camera_ >= 0 && CameraTriggerShot(camera_);
}

std::string SourceControls::applyDeferred() {
    std::lock_guard lock(mutex_);
    std::string refusal;
    for (const Pending& pending : deferred_) {
        std::string message = applyLocked(pending.index, pending.values);
        if (refusal.empty())
            refusal = std::move(message);
    }
    deferred_.clear();
    return refusal;
}

std::string SourceControls::applyLocked(unsigned index, const std::vector<double>& values) {
    const Row& row = kRows[index];
    const cli::Control& control = controlOf(row);
    // The property's range admits -1 and the full integer range; the table's is the camera's.
    if (values[0] < control.min || values[0] > control.max)
        return std::string(row.property) + " must lie within " + numberText(control.min) + ".." +
               numberText(control.max) + ", not " + numberText(values[0]);
    try {
        if (control.set(camera_, values))
            return {};
    } catch (const std::exception& refusal) {
        // The table checks what only the camera knows (its number of resolutions).
        return std::string(row.property) + ": " + refusal.what();
    }
    return std::string(row.property) + " = " + numberText(values[0]) + " refused by the camera (" +
           CameraGetErrorName(CameraGetLastError()) + ")";
}

}  // namespace vidscope::gst
