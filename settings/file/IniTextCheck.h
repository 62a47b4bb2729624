// SPDX-License-Identifier: MIT
// Checks INI text before Qt's settings reader is let loose on it.
#pragma once

#include <QByteArray>

class IniTextCheck {
public:
    // Qt's INI reader turns values such as "@Variant(...)" into objects of any registered type
    // through its binary stream format; a file from elsewhere could make it build arbitrary
    // objects or ask for gigabytes. Our files hold numbers and text only, and Qt writes a
    // literal "@" at the start of a value as "@@", so any other "@" there means a file we
    // did not write.
    static bool holdsTypedValues(const QByteArray& text);
};
