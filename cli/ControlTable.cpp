// SPDX-License-Identifier: MIT
// Every camera control the command line reads and writes, in one table for get and set.
#include "cli/ControlTable.h"

#include <climits>

#include "base/TerminalText.h"
#include "cli/CliArgs.h"
#include "cli/CliError.h"
#include "cli/TextEscape.h"
#include "vidscope/camera_api.h"

namespace vidscope::cli {
namespace {

// Integer getters return -1 and real ones -1.0 on failure; no control reads that legitimately.
template <int (*Get)(int)>
bool intGetter(int camera, std::vector<double>& values) {
    const int value = Get(camera);
    values = {double(value)};
    return value >= 0;
}

template <double (*Get)(int)>
bool realGetter(int camera, std::vector<double>& values) {
    const double value = Get(camera);
    values = {value};
    return value >= 0.0;
}

template <bool (*Set)(int, double)>
bool realSetter(int camera, const std::vector<double>& values) {
    return Set(camera, values[0]);
}

template <bool (*Set)(int, bool)>
bool switchSetter(int camera, const std::vector<double>& values) {
    return Set(camera, values[0] != 0);
}

template <typename Arg, bool (*Set)(int, Arg)>
bool intSetter(int camera, const std::vector<double>& values) {
    return Set(camera, static_cast<Arg>(values[0]));
}

bool getWb(int camera, std::vector<double>& values) {
    values.assign(3, 0.0);
    return CameraGetWBGain(camera, &values[0], &values[1], &values[2]);
}

bool setWb(int camera, const std::vector<double>& values) {
    return CameraSetWBGain(camera, values[0], values[1], values[2]);
}

bool getCcm(int camera, std::vector<double>& values) {
    values.assign(9, 0.0);
    return CameraGetCCM(camera, values.data());
}

// The matrix only takes effect with the next saturation or enhancement change; re-applying
// the saturation brings it into force at once, as a user setting it expects.
bool setCcm(int camera, const std::vector<double>& values) {
    if (!CameraSetCCM(camera, values.data()))
        return false;
    const double saturation = CameraGetSaturation(camera);
    return saturation >= 0.0 && CameraSetSaturation(camera, saturation);
}

bool getTimeout(int camera, std::vector<double>& values) {
    unsigned ms = 0;
    const bool ok = CameraGetTimeout(camera, &ms);
    values = {double(ms)};
    return ok;
}

bool setTimeout(int camera, const std::vector<double>& values) {
    return CameraSetTimeout(camera, static_cast<int>(values[0]));
}

bool getSize(int camera, std::vector<double>& values) {
    unsigned width = 0;
    unsigned height = 0;
    const bool ok = CameraGetImageSize(camera, &width, &height);
    values = {double(width), double(height)};
    return ok;
}

bool getParam(int camera, const char* key, double& value) {
    unsigned stored = 0;
    const bool ok = CameraGetParam(camera, key, &stored);
    value = stored;
    return ok;
}

// The camera reports no resolution number: the application key the GUI keeps it under is
// the record, so both stay in step.
bool getResolution(int camera, std::vector<double>& values) {
    values.assign(1, 0.0);
    return getParam(camera, "resolution_index", values[0]);
}

bool setResolution(int camera, const std::vector<double>& values) {
    const auto number = static_cast<unsigned short>(values[0]);
    const int count = CameraGetResolutionCount(camera);
    if (count < 0)
        return false;
    if (number >= count)
        throw UsageError("resolution must lie within 0.." + std::to_string(count - 1) +
                         " on this camera, not " + std::to_string(number));
    return CameraSetResolution(camera, number, nullptr, nullptr, nullptr) &&
           CameraSetParam(camera, "resolution_index", number) &&
           CameraSetParam(camera, "enable_roi", 0);
}

// 0,0,0,0 while no region is active.
bool getRoi(int camera, std::vector<double>& values) {
    values.assign(4, 0.0);
    double enabled = 0;
    if (!getParam(camera, "enable_roi", enabled))
        return false;
    if (enabled == 0)
        return true;
    return getParam(camera, "roi_offset_x", values[0]) &&
           getParam(camera, "roi_offset_y", values[1]) &&
           getParam(camera, "roi_width", values[2]) && getParam(camera, "roi_height", values[3]);
}

bool setRoi(int camera, const std::vector<double>& values) {
    const auto x = static_cast<unsigned short>(values[0]);
    const auto y = static_cast<unsigned short>(values[1]);
    const auto w = static_cast<unsigned short>(values[2]);
    const auto h = static_cast<unsigned short>(values[3]);
    return CameraSetROI(camera, x, y, w, h) && CameraSetParam(camera, "enable_roi", 1) &&
           CameraSetParam(camera, "roi_offset_x", x) && CameraSetParam(camera, "roi_offset_y", y) &&
           CameraSetParam(camera, "roi_width", w) && CameraSetParam(camera, "roi_height", h);
}

// Bit 0x02 is the input and reads only; 0x08 is the trigger pulse and 0x80 the output.
constexpr unsigned short kGpioWritable = 0x88;

bool setGpio(int camera, const std::vector<double>& values) {
    return CameraSetGPIO(camera, kGpioWritable, static_cast<unsigned short>(values[0])) >= 0;
}

bool setSnapMode(int camera, const std::vector<double>& values) {
    return CameraSetSnapMode(camera, static_cast<int>(values[0]));
}

bool setDelay(int camera, const std::vector<double>& values) {
    return CameraSetDelay(camera, static_cast<int>(values[0]));
}

bool setExposure(int camera, const std::vector<double>& values) {
    return CameraSetExposure(camera, static_cast<int>(values[0]));
}

bool setGain(int camera, const std::vector<double>& values) {
    return CameraSetGain(camera, static_cast<int>(values[0]));
}

bool setInterpolation(int camera, const std::vector<double>& values) {
    return CameraSetInterpolation(camera, static_cast<unsigned char>(values[0]));
}

bool setResolutionMode(int camera, const std::vector<double>& values) {
    return CameraSetResolutionMode(camera, static_cast<unsigned char>(values[0]));
}

constexpr double kIntMax = INT_MAX;

const std::vector<Control> kControls = {
    {"gamma", "tone curve, 1.0 linear", 1, 0.3, 2.0, false, realGetter<CameraGetGamma>,
     realSetter<CameraSetGamma>},
    {"contrast", "contrast stretch", 1, 0.3, 2.0, false, realGetter<CameraGetContrast>,
     realSetter<CameraSetContrast>},
    {"saturation", "colour saturation, 0 grey", 1, 0.0, 2.0, false, realGetter<CameraGetSaturation>,
     realSetter<CameraSetSaturation>},
    {"wb", "white-balance gains RED,GREEN,BLUE", 3, 0.0, 3.0, false, getWb, setWb},
    {"awb", "automatic white balance (on/off)", 1, 0, 1, true, intGetter<CameraGetAWB>,
     switchSetter<CameraSetAWB>},
    {"ccm", "colour matrix, 9 numbers row by row", 9, -100000, 100000, false, getCcm, setCcm},
    {"enhancement", "colour through the matrix (on/off)", 1, 0, 1, true,
     intGetter<CameraGetEnhancement>, switchSetter<CameraSetEnhancement>},
    {"interpolation", "stored interpolation choice", 1, 0, 255, true,
     intGetter<CameraGetInterpolation>, setInterpolation},
    {"exposure", "exposure in sensor lines", 1, 1, kIntMax, true, intGetter<CameraGetExposure>,
     setExposure},
    {"exposure_ms", "exposure in milliseconds (read only)", 1, 0, 0, false,
     realGetter<CameraGetExposureTime>, nullptr},
    {"gain", "gain in sixteenths, 16 unity", 1, 1, 255, true, intGetter<CameraGetGain>, setGain},
    {"advanced_gain", "extra digital gain stage", 1, 0, 255, true, intGetter<CameraGetAdvancedGain>,
     intSetter<unsigned, CameraSetAdvancedGain>},
    {"black_level", "black level", 1, 0, 255, true, intGetter<CameraGetBlackLevel>,
     intSetter<unsigned, CameraSetBlackLevel>},
    {"ae_target", "brightness target of AEC/AGC", 1, 0, 255, true, intGetter<CameraGetAETarget>,
     intSetter<unsigned, CameraSetAETarget>},
    {"brightness", "mean brightness of the last frame (read only)", 1, 0, 0, true,
     intGetter<CameraGetBrightness>, nullptr},
    {"aec", "automatic exposure (on/off)", 1, 0, 1, true, intGetter<CameraGetAEC>,
     switchSetter<CameraSetAEC>},
    {"agc", "automatic gain (on/off)", 1, 0, 1, true, intGetter<CameraGetAGC>,
     switchSetter<CameraSetAGC>},
    {"anti_flicker", "0 off, 1 50 Hz, 2 60 Hz", 1, 0, 2, true, intGetter<CameraGetAntiFlicker>,
     intSetter<unsigned, CameraSetAntiFlicker>},
    {"high_speed", "doubled readout clock (on/off)", 1, 0, 1, true, intGetter<CameraGetHighspeed>,
     switchSetter<CameraSetHighspeed>},
    {"delay", "extra blanking between frames", 1, 0, kIntMax, true, intGetter<CameraGetDelay>,
     setDelay},
    {"timeout", "frame wait in ms", 1, 500, 50000, true, getTimeout, setTimeout},
    {"mirror_x", "mirror left to right (on/off)", 1, 0, 1, true, intGetter<CameraGetMirrorX>,
     switchSetter<CameraSetMirrorX>},
    {"mirror_y", "mirror top to bottom (on/off)", 1, 0, 1, true, intGetter<CameraGetMirrorY>,
     switchSetter<CameraSetMirrorY>},
    {"rotate", "quarter turn clockwise (on/off)", 1, 0, 1, true, intGetter<CameraGetRotate>,
     switchSetter<CameraSetRotate>},
    {"resolution", "resolution number (see info)", 1, 0, 65535, true, getResolution, setResolution},
    {"size", "output WIDTH,HEIGHT (read only)", 2, 0, 0, true, getSize, nullptr},
    {"resolution_mode", "0 crop, 1 skip, 2 bin", 1, 0, 2, true, intGetter<CameraGetResolutionMode>,
     setResolutionMode},
    {"roi", "region X,Y,WIDTH,HEIGHT in sensor pixels, even", 4, 0, 65534, true, getRoi, setRoi},
    {"snap_mode", "1 continuous, 2 trigger", 1, 0, 2, true, intGetter<CameraGetSnapMode>,
     setSnapMode},
    {"gpio", "GPIO byte; writes bits 0x80 and 0x08", 1, 0, 255, true, intGetter<CameraGetGPIO>,
     setGpio},
    {"strobe", "strobe output (on/off, write only)", 1, 0, 1, true, nullptr,
     switchSetter<CameraEnableStrobe>},
    {"strobe_invert", "inverted strobe polarity (on/off, write only)", 1, 0, 1, true, nullptr,
     switchSetter<CameraSetStrobePolarity>},
};

std::vector<std::string> splitCommas(const std::string& text) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        const size_t comma = text.find(',', start);
        parts.push_back(text.substr(start, comma - start));
        if (comma == std::string::npos)
            return parts;
        start = comma + 1;
    }
}

}  // namespace

const std::vector<Control>& ControlTable::all() {
    return kControls;
}

const Control* ControlTable::find(const std::string& name) {
    for (const Control& control : kControls) {
        if (name == control.name)
            return &control;
    }
    return nullptr;
}

std::vector<double> ControlTable::parseValues(const Control& control, const std::string& text) {
    const std::vector<std::string> parts = splitCommas(text);
    if (int(parts.size()) != control.arity)
        throw UsageError(std::string(control.name) + " takes " + std::to_string(control.arity) +
                         (control.arity == 1 ? " value" : " comma-separated values") + ", not \"" +
                         base::printableText(text) + "\"");
    std::vector<double> values;
    for (const std::string& part : parts) {
        const bool isSwitch = control.integer && control.min == 0 && control.max == 1;
        if (isSwitch && (part == "on" || part == "true"))
            values.push_back(1);
        else if (isSwitch && (part == "off" || part == "false"))
            values.push_back(0);
        else if (control.integer)
            values.push_back(
                double(CliArgs::integer(part, static_cast<long long>(control.min),
                                        static_cast<long long>(control.max), control.name)));
        else
            values.push_back(CliArgs::real(part, control.min, control.max, control.name));
    }
    return values;
}

std::pair<const Control*, std::vector<double>> ControlTable::parseAssignment(
    const std::string& word) {
    const size_t equals = word.find('=');
    if (equals == std::string::npos)
        throw UsageError("expected CONTROL=VALUE, not \"" + base::printableText(word) + "\"");
    const std::string name = word.substr(0, equals);
    const Control* control = find(name);
    if (control == nullptr)
        throw UsageError("unknown control \"" + base::printableText(name) +
                         "\"; see: vidscope-cli get --help");
    if (control->set == nullptr)
        throw UsageError(name + " is read only");
    return {control, parseValues(*control, word.substr(equals + 1))};
}

void ControlTable::apply(int camera, const std::vector<std::string>& assignments) {
    // All words are checked before the first one reaches the camera, so that a typo in the
    // last one does not leave the camera half set.
    std::vector<std::pair<const Control*, std::vector<double>>> parsed;
    for (const std::string& word : assignments)
        parsed.push_back(parseAssignment(word));
    for (const auto& [control, values] : parsed) {
        if (!control->set(camera, values))
            throw ApiError::fromLastError(std::string("setting ") + control->name);
    }
}

std::string ControlTable::format(const Control& control, const std::vector<double>& values) {
    std::string text;
    for (size_t i = 0; i < values.size(); ++i) {
        if (i > 0)
            text += ',';
        text += control.integer ? std::to_string(static_cast<long long>(values[i]))
                                : formatNumber(values[i]);
    }
    return text;
}

}  // namespace vidscope::cli
