// SPDX-License-Identifier: MIT
// Mark-file fuzzing helpers: the invariants of parsed records and the mutation step.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <random>

#include "MarkRecord.h"

namespace MarkFuzzing {

// Empty when every record is one a mark can be built from; else what is wrong.
QString checkRecords(const QList<MarkRecord>& records);

// Changes `input` in one of several ways, taking material from `other` for splices.
void mutate(QByteArray& input, const QByteArray& other, std::mt19937& random);

}  // namespace MarkFuzzing
