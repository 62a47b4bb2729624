// SPDX-License-Identifier: MIT
// The camera parameter file: a camera's set-up saved as INI text and loaded into any camera.
#include "ParameterFile.h"

#include "IniTextCheck.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <cmath>
#include <utility>

namespace {

constexpr const char* kMetaKey = "System/Meta";
constexpr const char* kCcmKeys[9] = {"Camera/CCM0", "Camera/CCM1", "Camera/CCM2",
                                     "Camera/CCM3", "Camera/CCM4", "Camera/CCM5",
                                     "Camera/CCM6", "Camera/CCM7", "Camera/CCM8"};

// A missing key, or one whose text is not a number, reads as 0: the setter then refuses what
// it cannot take and says so.
int intKey(const QSettings& file, const char* key) {
    bool ok = false;
    const int value = file.value(QLatin1String(key)).toInt(&ok);
    return ok ? value : 0;
}

// "nan" and "inf" parse as numbers, but no setter has a use for them and a range check
// written as two comparisons lets NaN through.
double realKey(const QSettings& file, const char* key) {
    bool ok = false;
    const double value = file.value(QLatin1String(key)).toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0.0;
}

// Booleans are written as "true" and "false"; a number counts by its value, anything else
// (missing, empty, text) as false.
int boolKey(const QSettings& file, const char* key) {
    const QString text = file.value(QLatin1String(key)).toString().trimmed().toLower();
    if (text == QLatin1String("true"))
        return 1;
    bool ok = false;
    const int number = text.toInt(&ok);
    return ok && number != 0 ? 1 : 0;
}

}  // namespace

ParameterFile::ParameterFile(int camera, ApiReport report)
    : camera_(camera), report_(std::move(report)) {}

void ParameterFile::write(QSettings& file, const CameraParameters& p) {
    file.setValue(kMetaKey, QString::fromLatin1(kMagic));
    file.setValue("Camera/Gamma", p.gamma);
    file.setValue("Camera/Saturation", p.saturation);
    file.setValue("Camera/Contrast", p.contrast);
    file.setValue("Camera/AWB_Red", p.wbRed);
    file.setValue("Camera/AWB_Green", p.wbGreen);
    file.setValue("Camera/AWB_Blue", p.wbBlue);
    file.setValue("Camera/Exposure", p.exposure);
    file.setValue("Camera/AdvancedGain", p.advancedGain);
    file.setValue("Camera/Gain", p.gain);
    file.setValue("Camera/Black", p.blackLevel);
    file.setValue("Camera/Target", p.aeTarget);
    file.setValue("Camera/Delay", p.delay);
    file.setValue("Camera/Timeout", p.timeout);
    file.setValue("Camera/AntiFlicker", p.antiFlicker);
    file.setValue("Camera/Interpolation", p.interpolation);
    file.setValue("Camera/ResolutionMode", p.resolutionMode);
    file.setValue("Camera/Rotate", p.rotate > 0);
    file.setValue("Camera/AWB", p.awb > 0);
    file.setValue("Camera/HighSpeed", p.highSpeed > 0);
    file.setValue("Camera/MirrorX", p.mirrorX > 0);
    file.setValue("Camera/MirrorY", p.mirrorY > 0);
    file.setValue("Camera/Enhancement", p.enhancement > 0);
    file.setValue("Camera/AEC", p.aec > 0);
    file.setValue("Camera/AGC", p.agc > 0);
    for (int i = 0; i < 9; ++i)
        file.setValue(kCcmKeys[i], p.ccm[std::size_t(i)]);
    file.setValue("Camera/PropImageFormat", p.imageFormat);
    file.setValue("Camera/PropResolutionIndex", p.resolutionIndex);
    file.setValue("Camera/PropEnableRoi", p.enableRoi);
    file.setValue("Camera/PropRoiOffsetX", p.roiOffsetX);
    file.setValue("Camera/PropRoiOffsetY", p.roiOffsetY);
    file.setValue("Camera/PropRoiWidth", p.roiWidth);
    file.setValue("Camera/PropRoiHeight", p.roiHeight);
}

CameraParameters ParameterFile::read(const QSettings& file) {
    CameraParameters p;
    p.gamma = realKey(file, "Camera/Gamma");
    p.saturation = realKey(file, "Camera/Saturation");
    p.contrast = realKey(file, "Camera/Contrast");
    p.wbRed = realKey(file, "Camera/AWB_Red");
    p.wbGreen = realKey(file, "Camera/AWB_Green");
    p.wbBlue = realKey(file, "Camera/AWB_Blue");
    p.exposure = intKey(file, "Camera/Exposure");
    p.advancedGain = intKey(file, "Camera/AdvancedGain");
    p.gain = intKey(file, "Camera/Gain");
    p.blackLevel = intKey(file, "Camera/Black");
    p.aeTarget = intKey(file, "Camera/Target");
    p.delay = intKey(file, "Camera/Delay");
    p.timeout = intKey(file, "Camera/Timeout");
    p.antiFlicker = intKey(file, "Camera/AntiFlicker");
    p.interpolation = intKey(file, "Camera/Interpolation");
    p.resolutionMode = intKey(file, "Camera/ResolutionMode");
    p.rotate = boolKey(file, "Camera/Rotate");
    p.awb = boolKey(file, "Camera/AWB");
    p.highSpeed = boolKey(file, "Camera/HighSpeed");
    p.mirrorX = boolKey(file, "Camera/MirrorX");
    p.mirrorY = boolKey(file, "Camera/MirrorY");
    p.enhancement = boolKey(file, "Camera/Enhancement");
    p.aec = boolKey(file, "Camera/AEC");
    p.agc = boolKey(file, "Camera/AGC");
    for (int i = 0; i < 9; ++i)
        p.ccm[std::size_t(i)] = realKey(file, kCcmKeys[i]);
    p.imageFormat = intKey(file, "Camera/PropImageFormat");
    p.resolutionIndex = intKey(file, "Camera/PropResolutionIndex");
    p.enableRoi = intKey(file, "Camera/PropEnableRoi");
    p.roiOffsetX = intKey(file, "Camera/PropRoiOffsetX");
    p.roiOffsetY = intKey(file, "Camera/PropRoiOffsetY");
    p.roiWidth = intKey(file, "Camera/PropRoiWidth");
    p.roiHeight = intKey(file, "Camera/PropRoiHeight");
    return p;
}

bool ParameterFile::hasMagic(const QSettings& file) {
    return file.value(kMetaKey).toString().toLower() == QLatin1String(kMagic);
}

bool ParameterFile::save(const QString& path) {
    error_.clear();
    const CameraParameters values = CameraParameters::readFrom(camera_, report_);
    QSettings file(path, QSettings::IniFormat);
    // Saving over another file must not leave its keys behind among ours.
    file.clear();
    write(file, values);
    file.sync();
    if (file.status() != QSettings::NoError) {
        error_ = QObject::tr(
                     "The file \"%1\" could not be written. Check that the folder "
                     "is writable and the disk has room, then save again.")
                     .arg(path);
        return false;
    }
    return true;
}

ParameterFile::LoadResult ParameterFile::load(const QString& path, const RoiApply& applyRoi) {
    error_.clear();
    QFile probe(path);
    if (!probe.open(QIODevice::ReadOnly)) {
        error_ =
            QObject::tr("The file \"%1\" could not be read: %2").arg(path, probe.errorString());
        return LoadResult::Unreadable;
    }
    if (probe.size() > kMaxFileSize || IniTextCheck::holdsTypedValues(probe.read(kMaxFileSize)))
        return LoadResult::NotParameterFile;
    probe.close();

    const QSettings file(path, QSettings::IniFormat);
    if (file.status() == QSettings::AccessError) {
        error_ = QObject::tr("The file \"%1\" could not be read.").arg(path);
        return LoadResult::Unreadable;
    }
    if (!hasMagic(file))
        return LoadResult::NotParameterFile;

    const CameraParameters values = read(file);
    values.storeParams(camera_, report_);
    if (values.enableRoi != 0 && applyRoi)
        applyRoi(values.roiOffsetX, values.roiOffsetY, values.roiWidth, values.roiHeight);
    values.applyTo(camera_, report_);
    return LoadResult::Applied;
}
