// SPDX-License-Identifier: MIT
// Tests of the camera parameter file against virtual cameras: round trips, refusals, hostile files.
#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>

#include "CameraParameters.h"
#include "ModelDefaults.h"
#include "ParameterFile.h"
#include "SettingsTestSupport.h"

namespace {

// Moves every control away from its default, so that a round trip proves each key travels.
void tuneCamera(int camera) {
    const double matrix[9] = {1.5, -0.25, -0.25, -0.125, 1.25, -0.125, 0.0, -0.5, 1.5};
    ASSERT_TRUE(CameraSetGamma(camera, 0.75));
    ASSERT_TRUE(CameraSetSaturation(camera, 1.4));
    ASSERT_TRUE(CameraSetContrast(camera, 1.2));
    ASSERT_TRUE(CameraSetWBGain(camera, 1.3, 1.1, 0.9));
    ASSERT_TRUE(CameraSetExposure(camera, 1234));
    ASSERT_TRUE(CameraSetGain(camera, 40));
    ASSERT_TRUE(CameraSetAdvancedGain(camera, 2));
    ASSERT_TRUE(CameraSetBlackLevel(camera, 12));
    ASSERT_TRUE(CameraSetAETarget(camera, 80));
    ASSERT_TRUE(CameraSetDelay(camera, 100));
    ASSERT_TRUE(CameraSetTimeout(camera, 1500));
    ASSERT_TRUE(CameraSetAntiFlicker(camera, 2));
    ASSERT_TRUE(CameraSetInterpolation(camera, 1));
    ASSERT_TRUE(CameraSetResolutionMode(camera, 2));
    ASSERT_TRUE(CameraSetRotate(camera, true));
    ASSERT_TRUE(CameraSetHighspeed(camera, true));
    ASSERT_TRUE(CameraSetMirrorX(camera, true));
    ASSERT_TRUE(CameraSetEnhancement(camera, true));
    ASSERT_TRUE(CameraSetAGC(camera, true));
    ASSERT_TRUE(CameraSetCCM(camera, matrix));
    ASSERT_TRUE(CameraSetParam(camera, "image_format", 2));
    ASSERT_TRUE(CameraSetParam(camera, "resolution_index", 1));
}

class ParameterFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(space_.open("0500,012B")); }

    ParameterFile file() {
        return ParameterFile(currentCamera.load(),
                             [this](const QString& f, int e) { log_.add(f, e); });
    }
    // A valid file written from the camera's current values, then edited by `edit`.
    QString writeEdited(const QString& name, const std::function<void(QSettings&)>& edit) {
        const QString path = space_.path(name);
        EXPECT_TRUE(file().save(path));
        {
            QSettings ini(path, QSettings::IniFormat);
            edit(ini);
        }
        return path;
    }
    QString writeBytes(const QString& name, const QByteArray& bytes) {
        QFile out(space_.path(name));
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        return out.fileName();
    }
    ParameterFile::LoadResult load(const QString& path) {
        return file().load(path, [this](int x, int y, int w, int h) {
            roiCalls_.push_back({x, y, w, h});
        });
    }

    CameraWorkspace space_;
    ApiLog log_;
    std::vector<std::array<int, 4>> roiCalls_;
};

TEST_F(ParameterFileTest, RoundTripRestoresEveryValueOnColourAndMonochromeModels) {
    for (int camera : {0, 1}) {
        SCOPED_TRACE(camera);
        ASSERT_TRUE(space_.openIndex(camera));
        tuneCamera(camera);
        const CameraParameters tuned = CameraParameters::readFrom(camera, {});
        const QString path = space_.path(QStringLiteral("round%1.txt").arg(camera));
        ASSERT_TRUE(file().save(path));
        EXPECT_TRUE(log_.rows.isEmpty()) << log_.rows.join(", ").toStdString();

        // Defaults change every value the file holds.
        ModelDefaults::forDevice(CameraGetID(camera)).applyTo(camera, {});
        ASSERT_NE(CameraParameters::readFrom(camera, {}), tuned);

        ASSERT_EQ(load(path), ParameterFile::LoadResult::Applied);
        EXPECT_TRUE(log_.rows.isEmpty()) << log_.rows.join(", ").toStdString();
        EXPECT_EQ(CameraParameters::readFrom(camera, {}), tuned);
        EXPECT_TRUE(roiCalls_.empty());
    }
}

TEST_F(ParameterFileTest, MagicIsComparedLowerCasedAndAFileWithoutItIsRefused) {
    const QString upper = writeEdited("upper.txt", [](QSettings& ini) {
        ini.setValue("System/Meta", "VTCAM");
        ini.setValue("Camera/Gamma", 1.5);
    });
    EXPECT_EQ(load(upper), ParameterFile::LoadResult::Applied);
    EXPECT_DOUBLE_EQ(CameraGetGamma(0), 1.5);

    const QString none = writeEdited("none.txt", [](QSettings& ini) {
        ini.remove("System/Meta");
        ini.setValue("Camera/Gamma", 0.5);
    });
    const QString wrong = writeEdited("wrong.txt", [](QSettings& ini) {
        ini.setValue("System/Meta", "vtcam2");
        ini.setValue("Camera/Gamma", 0.5);
    });
    EXPECT_EQ(load(none), ParameterFile::LoadResult::NotParameterFile);
    EXPECT_EQ(load(wrong), ParameterFile::LoadResult::NotParameterFile);
    EXPECT_DOUBLE_EQ(CameraGetGamma(0), 1.5) << "a refused file changed the camera";
}

TEST_F(ParameterFileTest, MissingGammaIsRejectedWithErrorTwoAndTheRestStillApplies) {
    const QString path = writeEdited("nogamma.txt", [](QSettings& ini) {
        ini.remove("Camera/Gamma");
        ini.setValue("Camera/Exposure", 777);
        ini.setValue("Camera/Gain", 24);
        ini.setValue("Camera/MirrorY", true);
    });
    ASSERT_TRUE(CameraSetGamma(0, 0.8));
    log_.rows.clear();
    ASSERT_EQ(load(path), ParameterFile::LoadResult::Applied);
    EXPECT_EQ(log_.rows, QStringList{"CameraSetGamma:2"});
    EXPECT_DOUBLE_EQ(CameraGetGamma(0), 0.8);
    EXPECT_EQ(CameraGetExposure(0), 777);
    EXPECT_EQ(sensorRegister(0x09), 777u) << "exposure register of the 0x0500 sensor";
    EXPECT_EQ(CameraGetGain(0), 24);
    EXPECT_EQ(CameraGetMirrorY(0), 1);
}

TEST_F(ParameterFileTest, OutOfRangeAndNonNumericValuesAreRefusedBySettersOneByOne) {
    const QString path = writeEdited("hostile.txt", [](QSettings& ini) {
        ini.setValue("Camera/Gamma", "abc");
        ini.setValue("Camera/Saturation", "nan");
        ini.setValue("Camera/AWB_Red", "inf");
        ini.setValue("Camera/Gain", 999);
        ini.setValue("Camera/Black", -5);
        // 300 must not reach the byte-wide setter as its low byte (44).
        ini.setValue("Camera/ResolutionMode", 300);
        ini.setValue("Camera/Exposure", "99999999999999999999");
        ini.setValue("Camera/CCM4", 1e7);
        ini.setValue("Camera/Contrast", 1.7);
        ini.setValue("Camera/PropImageFormat", 70000);
    });
    ASSERT_TRUE(CameraSetResolutionMode(0, 1));
    log_.rows.clear();
    ASSERT_EQ(load(path), ParameterFile::LoadResult::Applied);
    for (const char* refused :
         {"CameraSetGamma:2", "CameraSetGain:2", "CameraSetBlackLevel:2",
          "CameraSetResolutionMode:2", "CameraSetExposure:2", "CameraSetCCM:2"})
        EXPECT_TRUE(log_.rows.contains(refused))
            << refused << " in " << log_.rows.join(", ").toStdString();
    EXPECT_EQ(CameraGetResolutionMode(0), 1);
    EXPECT_DOUBLE_EQ(CameraGetContrast(0), 1.7);
    // "nan" and "inf" count as missing: 0, which these two setters happen to accept.
    EXPECT_DOUBLE_EQ(CameraGetSaturation(0), 0.0);
    double red = -1;
    ASSERT_TRUE(CameraGetWBGain(0, &red, nullptr, nullptr));
    EXPECT_DOUBLE_EQ(red, 0.0);
    unsigned int format = 99;
    ASSERT_TRUE(CameraGetParam(0, "image_format", &format));
    EXPECT_EQ(format, 0u) << "a value beyond 16 bits is not cut to its low bits";
}

TEST_F(ParameterFileTest, BrokenFilesAreRefusedWithoutTouchingTheCamera) {
    ASSERT_TRUE(CameraSetGamma(0, 1.25));
    QByteArray binary;
    for (int i = 0; i < 4096; ++i)
        binary.append(char((i * 151 + 7) & 0xFF));
    QByteArray valid;
    {
        const QString path = space_.path("valid.txt");
        ASSERT_TRUE(file().save(path));
        QFile in(path);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        valid = in.readAll();
    }
    // Padding after a valid file: a parameter file is never this large.
    const QByteArray huge = valid + QByteArray(50 * 1024 * 1024, ' ');
    const std::pair<const char*, QByteArray> broken[] = {
        {"empty.txt", QByteArray()},
        {"binary.txt", binary},
        {"huge.txt", huge},
        {"nul.txt", QByteArray("[System]\nMeta=vt\0cam\n", 22)},
        // A typed value, which Qt would decode through its binary stream into any object.
        {"typed.txt", valid + "\n[Extra]\nObject=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x5QRect)\n"},
    };
    for (const auto& [name, bytes] : broken) {
        SCOPED_TRACE(name);
        EXPECT_EQ(load(writeBytes(name, bytes)), ParameterFile::LoadResult::NotParameterFile);
    }
    EXPECT_DOUBLE_EQ(CameraGetGamma(0), 1.25);
    EXPECT_TRUE(log_.rows.isEmpty());

    ParameterFile unreadable = file();
    EXPECT_EQ(unreadable.load(space_.path(""), {}), ParameterFile::LoadResult::Unreadable);
    EXPECT_FALSE(unreadable.errorString().isEmpty());
    EXPECT_EQ(unreadable.load(space_.path("absent.txt"), {}),
              ParameterFile::LoadResult::Unreadable);
}

TEST_F(ParameterFileTest, TruncatedFileAppliesWhatItHoldsAndReportsTheRest) {
    const QString path = space_.path("full.txt");
    ASSERT_TRUE(CameraSetExposure(0, 555));
    ASSERT_TRUE(file().save(path));
    QFile in(path);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    QByteArray text = in.readAll();
    // Keep the [Camera] group up to the exposure line, and the magic at the end.
    const int cut = text.indexOf("Exposure=555");
    ASSERT_GT(cut, 0);
    text = text.left(cut + 12) + "\n[System]\nMeta=vtcam\nGa";
    ASSERT_TRUE(CameraSetExposure(0, 300));
    log_.rows.clear();
    ASSERT_EQ(load(writeBytes("cut.txt", text)), ParameterFile::LoadResult::Applied);
    EXPECT_EQ(CameraGetExposure(0), 555);
    EXPECT_FALSE(log_.rows.isEmpty()) << "the missing keys read as 0 and are refused";
}

TEST_F(ParameterFileTest, DuplicateKeysApplyOneOfTheirValues) {
    const QByteArray text = "[System]\nMeta=vtcam\n[Camera]\nGamma=0.5\nGamma=1.5\nGain=20\n";
    ASSERT_EQ(load(writeBytes("dup.txt", text)), ParameterFile::LoadResult::Applied);
    const double gamma = CameraGetGamma(0);
    EXPECT_TRUE(gamma == 0.5 || gamma == 1.5) << gamma;
    EXPECT_EQ(CameraGetGain(0), 20);
}

TEST_F(ParameterFileTest, EnabledRegionGoesToTheCallerBeforeTheSetters) {
    const QString path = writeEdited("roi.txt", [](QSettings& ini) {
        ini.setValue("Camera/PropEnableRoi", 1);
        ini.setValue("Camera/PropRoiOffsetX", 64);
        ini.setValue("Camera/PropRoiOffsetY", 32);
        ini.setValue("Camera/PropRoiWidth", 640);
        ini.setValue("Camera/PropRoiHeight", 480);
    });
    ASSERT_EQ(load(path), ParameterFile::LoadResult::Applied);
    ASSERT_EQ(roiCalls_.size(), 1u);
    EXPECT_EQ(roiCalls_[0], (std::array<int, 4>{64, 32, 640, 480}));
    unsigned int width = 0;
    ASSERT_TRUE(CameraGetParam(0, "roi_width", &width));
    EXPECT_EQ(width, 640u);
}

TEST_F(ParameterFileTest, SaveReportsAnUnwritableFileAndLeavesNoForeignKeys) {
    // A path below a regular file cannot be created, whoever runs the test.
    const QString blocker = writeBytes("plain", "x");
    ParameterFile saver = file();
    EXPECT_FALSE(saver.save(blocker + "/vtcam.txt"));
    EXPECT_TRUE(saver.errorString().contains("vtcam.txt"));

    const QString path = writeBytes("other.txt", "[Other]\nKey=1\n[Camera]\nStray=2\n");
    ASSERT_TRUE(saver.save(path));
    const QSettings ini(path, QSettings::IniFormat);
    EXPECT_FALSE(ini.contains("Other/Key"));
    EXPECT_FALSE(ini.contains("Camera/Stray"));
    EXPECT_TRUE(ParameterFile::hasMagic(ini));
    EXPECT_EQ(ini.allKeys().size(), 41);
}

TEST_F(ParameterFileTest, SavingAClosedCameraReportsEveryGetterAndStillWritesTheFile) {
    space_.closeAll();
    const QString path = space_.path("closed.txt");
    EXPECT_TRUE(file().save(path));
    EXPECT_TRUE(log_.rows.contains("CameraGetGamma:3"));
    EXPECT_TRUE(log_.rows.contains("CameraGetCCM:3"));
    EXPECT_TRUE(log_.rows.contains("CameraGetParam:3"));
    const QSettings ini(path, QSettings::IniFormat);
    EXPECT_EQ(ini.value("Camera/Exposure").toInt(), -1);
}

}  // namespace
