// SPDX-License-Identifier: MIT
// Bounded mutation test of the mark-file record parser: seeds, named hostile files, mutants.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <cmath>
#include <random>

#include "MarkFuzzing.h"
#include "MarkRecord.h"

namespace {

QByteArray readFile(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

QList<QByteArray> filesIn(const char* folder) {
    QList<QByteArray> contents;
    const QDir dir(QStringLiteral(VIDSCOPE_FUZZ_DATA_DIR "/") + folder);
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name))
        contents << readFile(dir.filePath(name));
    return contents;
}

// What every named regression input must give: the records that survive, by keyword.
struct Expected {
    const char* file;
    QStringList keywords;
};

TEST(MarkRecordFuzz, RegressionInputsGiveTheirKnownOutcome) {
    const Expected cases[] = {
        {"polygon-count-above-50.txt", {}},
        {"polygon-count-above-pairs.txt", {}},
        {"truncated-line.txt", {}},
        {"missing-bar-and-geometry.txt", {}},
        {"nan-inf-huge.txt", {"Line"}},
        {"huge-width.txt", {}},
        // A colour name the toolkit knows is a colour; "#zzzzzz" is none.
        {"unknown-colour.txt", {"HLine"}},
        {"binary-garbage.txt", {}},
        {"lf-and-crlf-mixed.txt", {"VLine", "HLine"}},
    };
    const QDir dir(QStringLiteral(VIDSCOPE_FUZZ_DATA_DIR "/mark-regressions"));
    EXPECT_EQ(dir.entryList(QDir::Files).size(), static_cast<qsizetype>(std::size(cases)))
        << "a regression file without its expected outcome here";
    for (const Expected& c : cases) {
        QStringList keywords;
        for (const MarkRecord& record :
             MarkRecord::parseLines(readFile(dir.filePath(QString::fromLatin1(c.file)))))
            keywords << record.keyword;
        EXPECT_EQ(keywords, c.keywords) << c.file;
    }
    // A line of a megabyte: refused without being read as a record, the next line loads.
    const QByteArray longLine =
        "Line #00ffff 1 1 | 1 2 3 4" + QByteArray(1 << 20, '5') + "\r\nVLine #00ff00 1 1 | 5 6\n";
    const QList<MarkRecord> records = MarkRecord::parseLines(longLine);
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records[0].keyword, "VLine");
}

TEST(MarkRecordFuzz, SeedCorpusParsesCompletely) {
    const QList<QByteArray> seeds = filesIn("mark-corpus");
    ASSERT_GE(seeds.size(), 4);
    for (const QByteArray& seed : seeds) {
        int skipped = -1;
        const QList<MarkRecord> records = MarkRecord::parseLines(seed, &skipped);
        EXPECT_EQ(skipped, 0) << seed.constData();
        EXPECT_EQ(records.size(), seed.count('\n')) << seed.constData();
        EXPECT_TRUE(MarkFuzzing::checkRecords(records).isEmpty());
    }
}

// About 60 000 mutants with a fixed seed: byte flips, inserted digits and signs, deleted and
// duplicated spans, truncations and splices between seeds. Every record that survives must
// be one a mark can be built from.
TEST(MarkRecordFuzz, MutantsNeverYieldAnImpossibleRecord) {
    const QList<QByteArray> seeds = filesIn("mark-corpus") + filesIn("mark-regressions");
    ASSERT_FALSE(seeds.isEmpty());
    std::mt19937 random(20261206);
    int parsedRecords = 0;
    for (int round = 0; round < 60000; ++round) {
        QByteArray input = seeds[round % seeds.size()];
        MarkFuzzing::mutate(input, seeds[random() % seeds.size()], random);
        const QList<MarkRecord> records = MarkRecord::parseLines(input);
        const QString fault = MarkFuzzing::checkRecords(records);
        ASSERT_TRUE(fault.isEmpty())
            << fault.toStdString() << "\ninput: " << input.toHex().constData();
        parsedRecords += static_cast<int>(records.size());
    }
    // The mutants must still reach the parser's accepting paths, not only its refusals.
    EXPECT_GT(parsedRecords, 20000);
}

}  // namespace
