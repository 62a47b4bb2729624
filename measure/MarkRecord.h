// SPDX-License-Identifier: MIT
// One line of the mark file split into its fields, with every hostile shape refused.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QVector>
#include <optional>

// The fields every record carries, and its coordinates in the order the mark writes them.
// A record is accepted only whole: a missing field, a coordinate that is not finite or lies
// absurdly far outside any picture, a width no pen can have, a colour name that names no
// colour or a polygon count that the pairs present cannot fill all reject the line, so that
// no mark is ever built from half a record.
struct MarkRecord {
    static constexpr int kMaxPolygonVertices = 50;
    // Far beyond any sensor, small enough that squares and products stay finite.
    static constexpr double kMaxCoordinate = 1.0e6;
    static constexpr int kMaxWidth = 1000;
    // Longer lines are not records any mark writes (a full polygon needs about 1.3 kB).
    static constexpr int kMaxLineLength = 4096;
    // More marks than anyone measures on one picture; the rest of a file is not read.
    static constexpr int kMaxRecords = 5000;

    QString keyword;
    QString colourName;
    int width = 1;
    bool show = true;
    QVector<double> coordinates;  // x y pairs

    int pointCount() const { return static_cast<int>(coordinates.size() / 2); }
    double x(int i) const { return coordinates[2 * i]; }
    double y(int i) const { return coordinates[2 * i + 1]; }

    // Parses one line (Latin-1, without or with its line end). Empty on anything malformed.
    static std::optional<MarkRecord> parse(QByteArrayView line);
    // Every line of a file's content that parses, in order, up to kMaxRecords; the count of
    // lines skipped goes to `skippedLines`.
    static QList<MarkRecord> parseLines(QByteArrayView content, int* skippedLines = nullptr);
    // The number of coordinates a keyword's record holds after its "|"; -1 for a polygon
    // (its count field says) and -2 for a keyword no mark has.
    static int coordinateCount(const QString& keyword);
    // Formats a coordinate the way every record writes it: 6 significant digits.
    static QString number(double value);
};
