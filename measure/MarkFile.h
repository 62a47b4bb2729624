// SPDX-License-Identifier: MIT
// The mark file: one record per mark, Latin-1, CR LF, read back line by line.
#pragma once

#include <QList>
#include <QString>

#include "MarkRecord.h"

class Mark;

// Writing is the marks' own records; reading splits a file into the records that parse and
// skips every other line. Lines are read with a bounded length so that a file without line
// ends cannot make one line of it the whole file, and files beyond the size limit are
// refused outright.
class MarkFile {
public:
    static constexpr qint64 kMaxBytes = 4 * 1024 * 1024;

    explicit MarkFile(QString fileName) : fileName_(std::move(fileName)) {}

    // Writes every enabled mark in order. False with a reason when the file cannot be written.
    bool save(const QList<Mark*>& marks, QString* error) const;
    // The records that parse, in file order. A missing file gives none and no error; a file
    // that is too large or unreadable gives none and a reason.
    QList<MarkRecord> load(QString* error) const;

private:
    QString fileName_;
};
