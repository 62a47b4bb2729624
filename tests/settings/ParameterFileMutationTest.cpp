// SPDX-License-Identifier: MIT
// Bounded mutation run of the parameter-file loader over the seed corpus and named regressions.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <random>

#include "ParameterFile.h"
#include "SettingsTestSupport.h"

namespace {

const QString kDataDir = QStringLiteral(VIDSCOPE_SETTINGS_DATA_DIR);
constexpr int kMutationsPerSeed = 150;
constexpr uint32_t kSeed = 0x5E771265;

QByteArray readAll(const QString& path) {
    QFile in(path);
    EXPECT_TRUE(in.open(QIODevice::ReadOnly)) << path.toStdString();
    return in.readAll();
}

QStringList filesIn(const QString& folder) {
    QStringList paths;
    const QDir dir(kDataDir + "/" + folder);
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name))
        paths << dir.filePath(name);
    return paths;
}

// Edits of the kinds that confuse an INI reader: brackets, separators, escapes, quotes,
// line ends, NUL bytes, numbers beyond their type, truncation and duplication.
QByteArray mutate(QByteArray text, std::mt19937& rng) {
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    static const char* const tokens[] = {"[",         "]",        "=",
                                         "\n",        "\r\n",     "\\",
                                         "\"",        "%",        ";",
                                         "@Variant(", "1e309",    "-1",
                                         "nan",       "true",     "[System]\nMeta=vtcam\n",
                                         "\0",        "\xff\xfe", "99999999999999999999"};
    const int at = text.isEmpty() ? 0 : pick(int(text.size()));
    switch (pick(5)) {
        case 0:
            if (!text.isEmpty())
                text[at] = char(rng());
            break;
        case 1: {
            const char* token = tokens[pick(int(std::size(tokens)))];
            text.insert(at, QByteArray(token, token[0] == '\0' ? 1 : int(qstrlen(token))));
            break;
        }
        case 2:
            text.truncate(at);
            break;
        case 3:
            text.append(text.mid(at));
            break;
        default:
            text.remove(at, pick(16) + 1);
            break;
    }
    return text;
}

class ParameterFileMutationTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(space_.open("0500")); }

    // Each input gets a file name of its own: the settings library caches files by name.
    ParameterFile::LoadResult loadBytes(const QByteArray& bytes) {
        const QString path = space_.path(QStringLiteral("m%1.txt").arg(counter_++));
        QFile out(path);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        out.close();
        ParameterFile file(
            0, [](const QString&, int error) { EXPECT_TRUE(error >= 1 && error <= 17) << error; });
        const auto result = file.load(path, [](int, int, int, int) {});
        // Whatever the file held, the camera is still there and answers.
        EXPECT_NE(CameraGetGamma(0), -1.0);
        QFile::remove(path);
        return result;
    }

    CameraWorkspace space_;
    int counter_ = 0;
};

TEST_F(ParameterFileMutationTest, SeedCorpusLoads) {
    const QStringList seeds = filesIn("corpus");
    ASSERT_GE(seeds.size(), 3);
    for (const QString& seed : seeds)
        EXPECT_EQ(loadBytes(readAll(seed)), ParameterFile::LoadResult::Applied)
            << seed.toStdString();
}

TEST_F(ParameterFileMutationTest, RegressionInputsKeepTheirOutcome) {
    const QStringList inputs = filesIn("regressions");
    ASSERT_FALSE(inputs.isEmpty());
    for (const QString& input : inputs) {
        const auto expected = input.endsWith("-applied.txt")
                                  ? ParameterFile::LoadResult::Applied
                                  : ParameterFile::LoadResult::NotParameterFile;
        EXPECT_EQ(loadBytes(readAll(input)), expected) << input.toStdString();
    }
}

TEST_F(ParameterFileMutationTest, MutatedFilesNeverCrashAndOnlyMagicOnesApply) {
    std::mt19937 rng(kSeed);
    int applied = 0;
    int refused = 0;
    for (const QString& seed : filesIn("corpus") + filesIn("regressions")) {
        const QByteArray original = readAll(seed);
        for (int i = 0; i < kMutationsPerSeed; ++i) {
            QByteArray bytes = original;
            for (int edits = 1 + int(rng() % 3); edits > 0; --edits)
                bytes = mutate(bytes, rng);
            const auto result = loadBytes(bytes);
            ASSERT_NE(result, ParameterFile::LoadResult::Unreadable);
            (result == ParameterFile::LoadResult::Applied ? applied : refused)++;
        }
    }
    // Both roads were taken, so the run exercised the appliers as well as the refusal.
    EXPECT_GT(applied, 100);
    EXPECT_GT(refused, 100);
}

}  // namespace
