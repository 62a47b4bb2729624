// SPDX-License-Identifier: MIT
// Mark-file fuzzing helpers: the invariants of parsed records and the mutation step.
#include "MarkFuzzing.h"

#include <QColor>
#include <cmath>

namespace MarkFuzzing {

QString checkRecords(const QList<MarkRecord>& records) {
    if (records.size() > MarkRecord::kMaxRecords)
        return QStringLiteral("more records than the limit");
    for (const MarkRecord& r : records) {
        const int expected = MarkRecord::coordinateCount(r.keyword);
        if (expected == -2)
            return QStringLiteral("unknown keyword accepted: ") + r.keyword;
        const qsizetype n = r.coordinates.size();
        if (expected >= 0 ? n != expected
                          : (n % 2 != 0 || n < 4 || n > 2 * MarkRecord::kMaxPolygonVertices))
            return QStringLiteral("%1 with %2 coordinates").arg(r.keyword).arg(n);
        for (double v : r.coordinates) {
            if (!std::isfinite(v) || std::fabs(v) > MarkRecord::kMaxCoordinate)
                return QStringLiteral("coordinate %1").arg(v);
        }
        if (r.width < 0 || r.width > MarkRecord::kMaxWidth)
            return QStringLiteral("width %1").arg(r.width);
        if (!QColor::isValidColorName(r.colourName))
            return QStringLiteral("colour ") + r.colourName;
    }
    return {};
}

void mutate(QByteArray& input, const QByteArray& other, std::mt19937& random) {
    static const char* const tokens[] = {" ",   "|",       "-",       "1e308",      "nan",
                                         "inf", "\r\n",    "\n",      "51",         "0",
                                         "#",   "#00ff00", "Polygon", "9999999999", "."};
    const auto at = [&](qsizetype size) {
        return size == 0 ? 0 : static_cast<qsizetype>(random() % static_cast<unsigned>(size));
    };
    switch (random() % 6) {
        case 0:  // flip a byte
            if (!input.isEmpty())
                input[at(input.size())] = static_cast<char>(random());
            break;
        case 1:  // insert a token the parser has opinions about
            input.insert(at(input.size() + 1), tokens[random() % std::size(tokens)]);
            break;
        case 2: {  // delete a span
            const qsizetype from = at(input.size());
            input.remove(from, at(input.size() - from) + 1);
            break;
        }
        case 3:  // truncate
            input.truncate(at(input.size() + 1));
            break;
        case 4: {  // duplicate a span
            const qsizetype from = at(input.size());
            input.insert(from, input.mid(from, at(64) + 1));
            break;
        }
        default:  // splice another input in
            input = input.left(at(input.size() + 1)) + other.mid(at(other.size()));
            break;
    }
}

}  // namespace MarkFuzzing
