// SPDX-License-Identifier: MIT
// The 40-byte parameter group record a camera keeps in its EEPROM, and its address.
#include "cameraapi/device/ParameterGroups.h"

#include <algorithm>
#include <cmath>

#include "cameraapi/device/EepromBlock.h"

namespace vidscope::api {
namespace {

constexpr uint16_t kGroupZeroAddress = 0x1F00;
constexpr uint16_t kGroupBlock = 64;
constexpr uint16_t kFirstNumberedBlock = 124;
constexpr int32_t kMinTimeoutMs = 500;
constexpr int32_t kMaxTimeoutMs = 50000;
constexpr uint16_t kUnprogrammed16 = 0xFFFF;
constexpr uint16_t kKnownFlags = 0x03FF;
// The ranges the gain, tone, saturation, white-balance and byte-sized setters accept.
constexpr int32_t kMaxGain = 255;
constexpr int32_t kMaxByteSetting = 255;
constexpr double kMinTone = 0.3;
constexpr double kMaxTone = 2.0;
constexpr double kMaxSaturation = 2.0;
constexpr double kMaxWhiteGain = 3.0;

// Offsets within the record.
enum Offset : size_t {
    kGain = 0,
    kExposure = 2,
    kGamma = 4,
    kContrast = 6,
    kFlags = 8,
    kWbRed = 10,
    kWbGreen = 12,
    kWbBlue = 14,
    kBlackLevel = 16,
    kAeTarget = 18,
    kSaturation = 20,
    kInterpolation = 22,
    kResolutionMode = 23,
    kFrameDelay = 24,
    kAdvancedGain = 26,
    kImageFormat = 27,
    kResolutionIndex = 28,
    kRoiEnabled = 29,
    kRoiX = 30,
    kRoiY = 32,
    kRoiWidth = 34,
    kRoiHeight = 36,
    kTimeout = 38,
};

// Values beyond 16 bits (a one-push gain can run far above the settable range) are kept at
// the nearest storable value rather than wrapped into a small one.
uint16_t clamp16(int64_t value) {
    return static_cast<uint16_t>(std::clamp<int64_t>(value, 0, 0xFFFF));
}

uint16_t hundredths(double value) {
    const double scaled = std::trunc(value * 100.0);
    if (!std::isfinite(scaled))
        return 0;
    return clamp16(static_cast<int64_t>(std::clamp(scaled, -1.0, 65536.0)));
}

}  // namespace

uint16_t ParameterGroups::address(int group) {
    const int g = clampGroup(group);
    if (g == 0)
        return kGroupZeroAddress;
    return static_cast<uint16_t>((g + kFirstNumberedBlock) * kGroupBlock);
}

ParameterGroups::Record ParameterGroups::encode(const ImageSettings& s) {
    Record r{};
    EepromBlock::put16(r, kGain, clamp16(s.gain));
    EepromBlock::put16(r, kExposure, clamp16(s.exposure));
    EepromBlock::put16(r, kGamma, hundredths(s.gamma));
    EepromBlock::put16(r, kContrast, hundredths(s.contrast));
    EepromBlock::put16(r, kFlags, s.flags);
    EepromBlock::put16(r, kWbRed, hundredths(s.wbGainR));
    EepromBlock::put16(r, kWbGreen, hundredths(s.wbGainG));
    EepromBlock::put16(r, kWbBlue, hundredths(s.wbGainB));
    EepromBlock::put16(r, kBlackLevel, clamp16(s.blackLevel));
    EepromBlock::put16(r, kAeTarget, clamp16(s.aeTarget));
    EepromBlock::put16(r, kSaturation, hundredths(s.saturation));
    r[kInterpolation] = s.interpolation;
    r[kResolutionMode] = s.resolutionMode;
    EepromBlock::put16(r, kFrameDelay, clamp16(s.frameDelay));
    r[kAdvancedGain] = static_cast<uint8_t>(s.advancedGain);
    r[kImageFormat] = s.storedImageFormat;
    r[kResolutionIndex] = s.resolutionIndex;
    r[kRoiEnabled] = s.roiEnabled;
    EepromBlock::put16(r, kRoiX, s.roiX);
    EepromBlock::put16(r, kRoiY, s.roiY);
    EepromBlock::put16(r, kRoiWidth, s.roiWidth);
    EepromBlock::put16(r, kRoiHeight, s.roiHeight);
    EepromBlock::put16(r, kTimeout, clamp16(s.timeoutMs));
    return r;
}

StoredParameters ParameterGroups::decode(const Record& r) {
    auto real = [&r](size_t at) { return EepromBlock::get16(r, at) / 100.0; };
    StoredParameters p;
    p.gain = EepromBlock::get16(r, kGain);
    p.exposure = EepromBlock::get16(r, kExposure);
    p.gamma = real(kGamma);
    p.contrast = real(kContrast);
    p.flags = EepromBlock::get16(r, kFlags);
    p.wbGainR = real(kWbRed);
    p.wbGainG = real(kWbGreen);
    p.wbGainB = real(kWbBlue);
    p.blackLevel = EepromBlock::get16(r, kBlackLevel);
    // The record holds the absolute target; the setter wants it above the black level.
    const int32_t target = EepromBlock::get16(r, kAeTarget);
    p.aeTarget = target > p.blackLevel ? target - p.blackLevel : 0;
    p.saturation = real(kSaturation);
    p.interpolation = r[kInterpolation];
    p.resolutionMode = r[kResolutionMode];
    p.frameDelay = EepromBlock::get16(r, kFrameDelay);
    p.advancedGain = r[kAdvancedGain];
    p.storedImageFormat = r[kImageFormat];
    p.resolutionIndex = r[kResolutionIndex];
    p.roiEnabled = r[kRoiEnabled] <= 1 ? r[kRoiEnabled] : 0;
    p.roiX = EepromBlock::get16(r, kRoiX);
    p.roiY = EepromBlock::get16(r, kRoiY);
    p.roiWidth = EepromBlock::get16(r, kRoiWidth);
    p.roiHeight = EepromBlock::get16(r, kRoiHeight);
    const uint16_t timeout = EepromBlock::get16(r, kTimeout);
    p.timeoutMs = timeout == kUnprogrammed16
                      ? kMinTimeoutMs
                      : std::clamp<int32_t>(timeout, kMinTimeoutMs, kMaxTimeoutMs);
    return p;
}

bool ParameterGroups::plausible(const StoredParameters& p) {
    auto within = [](double v, double lo, double hi) { return v >= lo && v <= hi; };
    return (p.flags & ~kKnownFlags) == 0 && within(p.gain, 1, kMaxGain) && p.exposure >= 1 &&
           within(p.gamma, kMinTone, kMaxTone) && within(p.contrast, kMinTone, kMaxTone) &&
           within(p.saturation, 0.0, kMaxSaturation) && within(p.wbGainR, 0.0, kMaxWhiteGain) &&
           within(p.wbGainG, 0.0, kMaxWhiteGain) && within(p.wbGainB, 0.0, kMaxWhiteGain) &&
           within(p.blackLevel, 0, kMaxByteSetting) && within(p.aeTarget, 0, kMaxByteSetting);
}

}  // namespace vidscope::api
