// SPDX-License-Identifier: MIT
// The mark file: one record per mark, Latin-1, CR LF, read back line by line.
#include "MarkFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>

#include "Mark.h"

namespace {

void setError(QString* error, const QString& text) {
    if (error != nullptr)
        *error = text;
}

}  // namespace

bool MarkFile::save(const QList<Mark*>& marks, QString* error) const {
    // Written whole or not at all: a failed save must not leave half of the old marks.
    QSaveFile file(fileName_);
    if (!file.open(QIODevice::WriteOnly)) {
        setError(error, QCoreApplication::translate("MarkFile", "Cannot write %1: %2")
                            .arg(fileName_, file.errorString()));
        return false;
    }
    for (const Mark* mark : marks) {
        if (!mark->isEnabled())
            continue;
        file.write(mark->toRecord().toLatin1());
        file.write("\r\n");
    }
    if (!file.commit()) {
        setError(error, QCoreApplication::translate("MarkFile", "Cannot write %1: %2")
                            .arg(fileName_, file.errorString()));
        return false;
    }
    return true;
}

QList<MarkRecord> MarkFile::load(QString* error) const {
    QFile file(fileName_);
    if (!file.exists())
        return {};
    if (file.size() > kMaxBytes) {
        setError(error,
                 QCoreApplication::translate("MarkFile",
                                             "%1 is %2 MB, too large to be a mark file; no marks "
                                             "were loaded. Check that it is the right file.")
                     .arg(fileName_)
                     .arg(file.size() / (1024 * 1024)));
        return {};
    }
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, QCoreApplication::translate("MarkFile", "Cannot read %1: %2")
                            .arg(fileName_, file.errorString()));
        return {};
    }
    return MarkRecord::parseLines(file.readAll());
}
