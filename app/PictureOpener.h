// SPDX-License-Identifier: MIT
// "Open": a picture file chosen by the operator, read for display in place of the live image.
#pragma once

#include <QCoreApplication>
#include <QImage>
#include <QString>

class QWidget;

// Accepts BMP, JPEG and PNG files by their extension in any letter case. A refused extension
// and a file that cannot be read (corrupt, truncated, empty, vanished, or too large to hold)
// are told to the operator in a box titled "Open Image".
class PictureOpener {
    Q_DECLARE_TR_FUNCTIONS(PictureOpener)

public:
    // Asks for a file and reads it; null when cancelled or refused (the operator was told).
    static QImage open(QWidget* parent);
    // Reads one file; null when refused (the operator was told).
    static QImage read(QWidget* parent, const QString& fileName);
    // Whether the name ends in bmp, jpg or png, compared in lower case.
    static bool hasPictureExtension(const QString& fileName);
};
