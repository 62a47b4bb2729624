// SPDX-License-Identifier: MIT
// One line of the mark file split into its fields, with every hostile shape refused.
#include "MarkRecord.h"

#include <QColor>
#include <QStringList>
#include <cmath>

namespace {

// Text that is not a number reads as 0, as a hand-edited file expects; what does parse must be
// a coordinate a picture can have.
std::optional<double> coordinate(const QString& text) {
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok)
        return 0.0;
    if (!std::isfinite(value) || std::fabs(value) > MarkRecord::kMaxCoordinate)
        return std::nullopt;
    return value;
}

int integerOrZero(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? value : 0;
}

// A width: text reads as 0 like any field, but a number too large for any pen (even one too
// large for an int) refuses the record.
std::optional<int> penWidth(const QString& text) {
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok)
        return 0;
    if (!(value >= 0 && value <= MarkRecord::kMaxWidth))
        return std::nullopt;
    return static_cast<int>(value);
}

}  // namespace

int MarkRecord::coordinateCount(const QString& keyword) {
    if (keyword == QLatin1String("Line") || keyword == QLatin1String("Rectangle"))
        return 4;
    if (keyword == QLatin1String("VLine") || keyword == QLatin1String("HLine") ||
        keyword == QLatin1String("Coordinates"))
        return 2;
    if (keyword == QLatin1String("Arc") || keyword == QLatin1String("Circle"))
        return 6;
    if (keyword == QLatin1String("Polygon"))
        return -1;
    return -2;
}

QString MarkRecord::number(double value) {
    return QString::number(value, 'g', 6);
}

std::optional<MarkRecord> MarkRecord::parse(QByteArrayView line) {
    if (line.size() > kMaxLineLength)
        return std::nullopt;
    QString text = QString::fromLatin1(line.data(), line.size());
    while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r')))
        text.chop(1);
    const qsizetype space = text.indexOf(QLatin1Char(' '));
    if (space <= 0)
        return std::nullopt;
    MarkRecord record;
    record.keyword = text.left(space);
    const int expected = coordinateCount(record.keyword);
    if (expected == -2)
        return std::nullopt;
    const QStringList parts = text.mid(space + 1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const bool polygon = expected == -1;
    const int firstCoordinate = polygon ? 5 : 4;
    if (parts.size() < firstCoordinate)
        return std::nullopt;

    record.colourName = parts[0].trimmed();
    if (!QColor::isValidColorName(record.colourName))
        return std::nullopt;
    const std::optional<int> pen = penWidth(parts[1]);
    if (!pen)
        return std::nullopt;
    record.width = *pen;
    record.show = integerOrZero(parts[2]) > 0;

    int count = expected;
    if (polygon) {
        const int vertices = integerOrZero(parts[3]);
        if (vertices < 2 || vertices > kMaxPolygonVertices)
            return std::nullopt;
        count = 2 * vertices;
    }
    if (parts.size() - firstCoordinate < count)
        return std::nullopt;
    record.coordinates.reserve(count);
    for (int i = 0; i < count; ++i) {
        const std::optional<double> value = coordinate(parts[firstCoordinate + i]);
        if (!value)
            return std::nullopt;
        record.coordinates.append(*value);
    }
    return record;
}

QList<MarkRecord> MarkRecord::parseLines(QByteArrayView content, int* skippedLines) {
    QList<MarkRecord> records;
    int skipped = 0;
    qsizetype start = 0;
    while (start < content.size() && records.size() < kMaxRecords) {
        qsizetype end = content.indexOf('\n', start);
        if (end < 0)
            end = content.size();
        const QByteArrayView line = content.sliced(start, end - start);
        start = end + 1;
        if (line.trimmed().isEmpty())
            continue;
        if (std::optional<MarkRecord> record = MarkRecord::parse(line))
            records.append(std::move(*record));
        else
            ++skipped;
    }
    if (skippedLines != nullptr)
        *skippedLines = skipped;
    return records;
}
