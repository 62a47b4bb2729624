// SPDX-License-Identifier: MIT
// The scan for typed values in INI text, line by line.
#include "IniTextCheck.h"

#include <QList>

bool IniTextCheck::holdsTypedValues(const QByteArray& text) {
    for (const QByteArray& line : text.split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals < 0)
            continue;
        const QByteArray value = line.mid(equals + 1).trimmed();
        if (value.startsWith('@') && !value.startsWith("@@"))
            return true;
    }
    return false;
}
