// SPDX-License-Identifier: MIT
// What each sensor family's registers mean: power-on values, exposure, gain, timing, trigger.
#include "sim/SensorProfile.h"

#include <cmath>
#include <initializer_list>

namespace vidscope::sim {
namespace {

bool among(uint16_t code, std::initializer_list<uint16_t> codes) {
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

bool smallGlobal(uint16_t c) {
    return among(c, {0x0030, 0x003B});
}
bool classicRolling(uint16_t c) {
    return among(c, {0x0130, 0x013B, 0x0300, 0x0500, 0x050B});
}
bool largeRolling(uint16_t c) {
    return among(c, {0x0A00, 0x0A0B, 0x0E00});
}
bool hdrFamily(uint16_t c) {
    return among(c, {0x0120, 0x012B});
}
bool usb3Global(uint16_t c) {
    return among(c, {0x0E60, 0x0E6B, 0x0E70, 0x0E7B});
}
bool tonedYuv(uint16_t c) {
    return c == 0xC130;
}
bool eightBitYuv(uint16_t c) {
    return among(c, {0xC030, 0xC200, 0xC500});
}

constexpr uint16_t kTonePage = 1;
constexpr uint16_t kPageRegister = 0xF0;
constexpr double kFactoryExposureUs = 10000.0;
constexpr uint32_t kUnityGain = 16;  // gain in the host's units
// Inputs of the tone curve whose outputs the toned sensor keeps in its five curve registers.
constexpr std::array<int, 10> kCurveInputs = {0, 4, 9, 18, 36, 110, 146, 182, 219, 255};

FrameGeometry fullFrame(const VirtualModel& m) {
    FrameGeometry g;
    g.window = Window{0, 0, m.maxWidth, m.maxHeight};
    g.width = m.maxWidth;
    g.height = m.maxHeight;
    g.bytesPerPixel = m.layout == PixelLayout::Yuv422 ? 2 : 1;
    return g;
}

// The gain registers hold the encodings the camera API writes; these turn them back into
// gain in the API's units, where 16 is unity.
uint32_t classicGain(uint16_t code, uint16_t v) {
    if (among(code, {0x0130, 0x013B})) {
        if (v <= 32)
            return 2u * v;
        if (v < 80)
            return 64;
        if (v < 96)
            return (v - 80u) * 4 + 64;
        return (v - 96u) * 16 + 128;
    }
    // Analog gain in bits 0-5, a doubling stage in bit 6, digital gain in eighths above.
    const uint32_t analog = (v & 0x3Fu) * ((v & 0x40) ? 2 : 1);
    return analog * (8 + ((v >> 8) & 0x7Fu)) / 8;
}

uint32_t largeGain(uint16_t v) {
    if (v >= 0x1DC0)
        return (v - 0x1DC0u) * 2 + 128;
    if (v >= 0x1CC0)
        return v - 0x1C80u;
    if (v >= 0x1C00)
        return (v - 0x1C00u) / 2;
    if (v >= 0x1800)
        return (v - 0x1800u) / 4;
    if (v >= 0x1040)
        return (v - 0x1040u) / 4;
    return v & 0x7Fu;
}

uint32_t smallGlobalGain(uint16_t v) {
    if (v < 16)
        return 16;
    if (v <= 32)
        return v;
    return (v - 32u) * 7 + 32;
}

uint32_t usb3GlobalGain(uint16_t v) {
    const uint32_t coarse = v >> 8;
    return coarse >= 7 ? 32 + (v & 0xFFu) : coarse * 4;
}

double contrastOfStep(uint16_t step) {
    return step == 0 ? 0.0 : (std::min<uint16_t>(step, 7) - 1) * 0.25;
}

double saturationOfCode(uint16_t code) {
    switch (code & 0xFF) {
        case 0x30:
            return 0.0;
        case 0x20:
            return 0.25;
        case 0x18:
            return 0.375;
        case 0x10:
            return 0.5;
        case 0x08:
            return 0.75;
        case 0x28:
            return 1.5;
        default:
            return 1.0;
    }
}

}  // namespace

ToneSettings ToneSettings::identity() {
    ToneSettings t;
    for (int i = 0; i < 256; ++i)
        t.curve[i] = static_cast<uint8_t>(i);
    return t;
}

SensorProfile::SensorProfile(const VirtualModel& model, bool superSpeedLink)
    : model_(model), code_(model.sensorCode), superSpeedLink_(superSpeedLink) {
    SensorRegisters powerOn(layoutWithExposure(1));
    const double lineUs = timing(powerOn, fullFrame(model)).lineTimeUs();
    factoryExposureLines_ =
        std::max<uint32_t>(1, static_cast<uint32_t>(kFactoryExposureUs / lineUs));
}

RegisterLayout SensorProfile::registerLayout() const {
    return layoutWithExposure(factoryExposureLines_);
}

uint16_t SensorProfile::defaultBlanking(const FrameGeometry& g) const {
    if (code_ == 0x0E00)
        return static_cast<uint16_t>(g.height + 146);
    if (code_ == 0x0A00 || code_ == 0x0A0B)
        return static_cast<uint16_t>(g.height + 143);
    const bool slowLink = usb3Family() && !superSpeedLink_;
    return static_cast<uint16_t>(g.height + (slowLink ? 62 : 30));
}

RegisterLayout SensorProfile::layoutWithExposure(uint32_t lines) const {
    RegisterLayout layout;
    const auto exposure = static_cast<uint16_t>(std::min<uint32_t>(lines, 0xFFFE));
    const FrameGeometry full = fullFrame(model_);
    auto& p = layout.powerOn;
    if (smallGlobal(code_)) {
        // Blanking, read mode, exposure (+1 as the part counts it), strobe off, gain unity,
        // and the sensor's own exposure loop on until the host turns it off.
        p = {{0x00, code_},
             {0x05, 94},
             {0x06, 45},
             {0x07, 0x0188},
             {0x0B, uint16_t(exposure + 1)},
             {0x1B, 0x0001},
             {0x35, 16},
             {0xAF, 0x0003}};
    } else if (classicRolling(code_)) {
        const uint16_t unityGain = among(code_, {0x0130, 0x013B}) ? 8 : 16;
        p = {{0x00, code_},    {0x05, 45},     {0x06, 35},
             {0x09, exposure}, {0x1E, 0x4006}, {0x35, unityGain}};
    } else if (largeRolling(code_)) {
        const uint16_t lineLength =
            code_ == 0x0E00 ? static_cast<uint16_t>(full.width + 312)
                            : static_cast<uint16_t>(std::max(2 * full.width + 111, 1648));
        p = {{0x3000, code_},      {0x300A, defaultBlanking(full)},
             {0x300C, lineLength}, {0x3012, exposure},
             {0x301A, 0x10DC},     {0x305E, 0x1840}};
    } else if (hdrFamily(code_)) {
        p = {{0x3000, code_},  {0x300A, defaultBlanking(full)},
             {0x300C, 1650},   {0x3012, exposure},
             {0x301A, 0x01DC}, {0x3046, 0x0000},
             {0x305E, 16},     {0x30B0, 0x1300}};
    } else if (usb3Global(code_)) {
        const uint16_t vblank = among(code_, {0x0E60, 0x0E6B}) ? 112 : 122;
        p = {{0x00, code_},
             {0x04, uint16_t(0xF000 | vblank)},
             {0x0B, 0x0006},
             {0x0E, exposure},
             {0x11, 0x0400}};
    } else if (tonedYuv(code_)) {
        layout.pageRegister = kPageRegister;
        const ToneSettings id = ToneSettings::identity();
        auto pair = [&](int hi, int lo) { return uint16_t(id.curve[hi] << 8 | id.curve[lo]); };
        p = {{0x00, code_},
             {kPageRegister, 0},
             {SensorRegisters::key(kTonePage, 0xDC), pair(4, 0)},
             {SensorRegisters::key(kTonePage, 0xDD), pair(18, 9)},
             {SensorRegisters::key(kTonePage, 0xDE), pair(110, 36)},
             {SensorRegisters::key(kTonePage, 0xDF), pair(182, 146)},
             {SensorRegisters::key(kTonePage, 0xE0), pair(255, 219)},
             {SensorRegisters::key(kTonePage, 0x05), 5},
             {SensorRegisters::key(kTonePage, 0x25), 0x00},
             {SensorRegisters::key(kTonePage, 0x34), 0x0000}};
    } else {
        p = {{0x00, static_cast<uint16_t>(eightBitYuv(code_) ? code_ & 0xFF : code_)}};
    }
    layout.width = eightBitYuv(code_) ? RegisterWidth::Bits8 : RegisterWidth::Bits16;
    return layout;
}

SensorState SensorProfile::state(const SensorRegisters& r, const FrameGeometry& g) const {
    SensorState s;
    s.timing = timing(r, g);
    s.gain = gain(r);
    s.trigger = trigger(r);
    strobe(r, s);
    s.tone = tone(r);
    s.blackPedestal = model_.layout == PixelLayout::Yuv422 ? 0 : 4;
    return s;
}

SensorTiming SensorProfile::timing(const SensorRegisters& r, const FrameGeometry& g) const {
    SensorTiming t;
    t.pixelClockMHz = pixelClockMHz(r.highSpeed());
    t.lineClocks = std::max<uint32_t>(lineClocks(r, g), 1);
    t.activeLines = g.height;
    t.frameLines = std::max<uint32_t>(frameLines(r, g), g.height);
    t.exposureLines = exposureLines(r);
    return t;
}

uint32_t SensorProfile::lineClocks(const SensorRegisters& r, const FrameGeometry& g) const {
    const uint32_t w = g.width;
    const uint32_t h = g.height;
    const bool binning = g.mode == ResolutionMode::Binning;
    if (smallGlobal(code_))
        return w + r.value(0x05);
    if (code_ == 0x0300)
        return w + r.value(0x05) + ((binning && h <= 768) ? 695 : 369);
    if (among(code_, {0x0130, 0x013B}))
        return w + r.value(0x05) + 225;
    if (among(code_, {0x0500, 0x050B})) {
        if (binning && h < 481)
            return w + 2888;
        if (binning && h < 961)
            return w + 1506;
        return w + 894;
    }
    // The line length register cannot make a line shorter than its pixels.
    if (code_ == 0x0A00 || code_ == 0x0A0B)
        return std::max<uint32_t>(r.value(0x300C) >> 1, w + 16);
    if (code_ == 0x0E00 || hdrFamily(code_))
        return std::max<uint32_t>(r.value(0x300C), w + 16);
    if (among(code_, {0x0E60, 0x0E6B}))
        return std::max<uint32_t>(1786, w + 16);
    if (among(code_, {0x0E70, 0x0E7B}))
        return std::max<uint32_t>(1844, w + 16);
    return w + 160;
}

uint32_t SensorProfile::frameLines(const SensorRegisters& r, const FrameGeometry& g) const {
    const uint32_t h = g.height;
    if (smallGlobal(code_) || classicRolling(code_))
        return h + std::max<uint16_t>(r.value(0x06), 4);
    if (largeRolling(code_) || hdrFamily(code_))
        return std::max<uint32_t>(r.value(0x300A), h + 8);
    if (usb3Global(code_))
        return h + (r.value(0x04) & 0x0FFFu);
    return h + 24;
}

uint32_t SensorProfile::exposureLines(const SensorRegisters& r) const {
    if (smallGlobal(code_))
        return std::max(r.value(0x0B), uint16_t{1}) - 1u;
    if (classicRolling(code_))
        return r.value(0x09);
    if (largeRolling(code_) || hdrFamily(code_))
        return r.value(0x3012);
    if (usb3Global(code_))
        return r.value(0x0E);
    // The remaining sensors run their own exposure; the host has no register for it.
    return factoryExposureLines_;
}

double SensorProfile::pixelClockMHz(bool highSpeed) const {
    const uint16_t d = model_.productId;
    const bool ss = superSpeedLink_;
    if (among(d, {0x0030, 0x003B, 0x3030, 0x303B}))
        return 27.0;
    if (among(d, {0x0130, 0x013B, 0x0300, 0x0500, 0x050B, 0x0E00, 0x0120, 0x012B}))
        return highSpeed ? 48.0 : 24.0;
    if (among(d, {0x0A00, 0x0A0B}))
        return highSpeed ? 42.6667 : 24.0;
    if (among(d, {0x3500, 0x350B, 0x3E00}))
        return ss ? 96.0 : 48.0;
    if (among(d, {0x3A00, 0x3A0B}))
        return ss ? 80.0 : 40.0;
    if (among(d, {0x3120, 0x312B}))
        return ss ? 100.0 : 50.0;
    if (among(d, {0x3E60, 0x3E6B}))
        return ss ? 114.0 : 28.5;
    if (among(d, {0x3E70, 0x3E7B}))
        return ss ? 94.0 : 28.5;
    if (model_.superSpeed)
        return ss ? 96.0 : 48.0;
    return highSpeed ? 48.0 : 24.0;
}

double SensorProfile::gain(const SensorRegisters& r) const {
    uint32_t g = 16;
    if (smallGlobal(code_))
        g = smallGlobalGain(r.value(0x35));
    else if (classicRolling(code_))
        g = classicGain(code_, r.value(0x35));
    else if (largeRolling(code_))
        g = largeGain(r.value(0x305E));
    else if (hdrFamily(code_))
        g = r.value(0x305E) << ((r.value(0x30B0) >> 4) & 3);
    else if (usb3Global(code_))
        g = usb3GlobalGain(r.value(0x11));
    // The analog stage amplifies but cannot attenuate: settings below unity read as unity,
    // as the small global-shutter part's own encoding already shows.
    return std::max<uint32_t>(g, kUnityGain) / double{kUnityGain};
}

TriggerState SensorProfile::trigger(const SensorRegisters& r) const {
    auto bit = [](bool set) { return set ? TriggerState::Triggered : TriggerState::Continuous; };
    if (smallGlobal(code_))
        return bit(r.value(0x07) & 0x10);
    if (classicRolling(code_))
        return bit(r.value(0x1E) & 0x100);
    if (usb3Global(code_))
        return bit(r.value(0x0B) & 0x100);
    if (largeRolling(code_)) {
        if (r.externalTrigger())
            return TriggerState::Triggered;
        return (r.value(0x301A) & 0x0004) ? TriggerState::Continuous : TriggerState::Standby;
    }
    if (hdrFamily(code_)) {
        const uint16_t v = r.value(0x301A);
        if (v & 0x0004)
            return TriggerState::Continuous;
        return (v & 0x0100) ? TriggerState::Triggered : TriggerState::Standby;
    }
    return TriggerState::Continuous;
}

void SensorProfile::strobe(const SensorRegisters& r, SensorState& s) const {
    if (smallGlobal(code_)) {
        const uint16_t v = r.value(0x1B);
        s.strobeEnabled = !(v & 0x01);
        s.strobeInverted = v & 0x02;
    } else if (among(code_, {0x0500, 0x050B})) {
        s.strobeEnabled = r.value(0x1E) & 0x10;
        s.strobeInverted = r.value(0x1E) & 0x20;
    } else if (classicRolling(code_)) {
        s.strobeEnabled = (r.value(0x1E) & 0x600) != 0;
    } else if (hdrFamily(code_)) {
        s.strobeEnabled = r.value(0x3046) & 0x100;
        s.strobeInverted = r.value(0x3046) & 0x80;
    } else if (usb3Global(code_)) {
        s.strobeEnabled = r.value(0x0B) & 0x40;
    }
}

ToneSettings SensorProfile::tone(const SensorRegisters& r) const {
    ToneSettings t = ToneSettings::identity();
    if (!tonedYuv(code_))
        return t;
    std::array<int, 10> outputs{};
    const uint16_t curveRegisters[] = {0xDC, 0xDD, 0xDE, 0xDF, 0xE0};
    for (int k = 0; k < 5; ++k) {
        const uint16_t v = r.value(curveRegisters[k], kTonePage);
        outputs[2 * k] = v & 0xFF;
        outputs[2 * k + 1] = v >> 8;
    }
    const double contrast = contrastOfStep(r.value(0x05, kTonePage));
    const int black = r.value(0x34, kTonePage) & 0xFF;
    for (int i = 0; i < 256; ++i) {
        size_t seg = 0;
        while (seg + 2 < kCurveInputs.size() && i > kCurveInputs[seg + 1])
            ++seg;
        const int x0 = kCurveInputs[seg];
        const int x1 = kCurveInputs[seg + 1];
        const double y =
            outputs[seg] + double(outputs[seg + 1] - outputs[seg]) * (i - x0) / (x1 - x0);
        const double contrasted = (y - 128.0) * contrast + 128.0;
        const double lifted = (contrasted - black) * 255.0 / (255 - std::min(black, 254));
        t.curve[i] = static_cast<uint8_t>(std::clamp(lifted, 0.0, 255.0));
    }
    t.saturation = saturationOfCode(r.value(0x25, kTonePage));
    return t;
}

bool SensorProfile::restartsReadout(uint16_t address, uint16_t value) const {
    return classicRolling(code_) && address == 0x0B && (value & 1);
}

bool SensorProfile::takesTriggerRequest() const {
    return largeRolling(code_);
}

uint32_t SensorProfile::firmwareVersion() const {
    // Major.minor.patch.build, one byte each; the USB 3 cameras run a newer firmware line.
    return usb3Family() ? 0x03000102u : 0x02010007u;
}

}  // namespace vidscope::sim
