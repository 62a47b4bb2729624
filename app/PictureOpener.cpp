// SPDX-License-Identifier: MIT
// "Open": a picture file chosen by the operator, read for display in place of the live image.
#include "PictureOpener.h"

#include <QImageReader>

#include "UserPrompts.h"

bool PictureOpener::hasPictureExtension(const QString& fileName) {
    const QString lower = fileName.toLower();
    return lower.endsWith(QLatin1String("bmp")) || lower.endsWith(QLatin1String("jpg")) ||
           lower.endsWith(QLatin1String("png"));
}

QImage PictureOpener::open(QWidget* parent) {
    const QString fileName = UserPrompts::instance().openFileName(
        parent, tr("Open Image"), QString(), tr("Images (*.png *.bmp *.jpg)"));
    if (fileName.isEmpty())
        return {};
    return read(parent, fileName);
}

QImage PictureOpener::read(QWidget* parent, const QString& fileName) {
    if (!hasPictureExtension(fileName)) {
        UserPrompts::instance().warning(parent, tr("Open Image"),
                                        tr("File format does not support!"));
        return {};
    }
    // The reader refuses pictures above its allocation limit before allocating anything, so
    // a 20000 x 20000 file is a message, not an exhausted memory.
    QImageReader reader(fileName);
    QImage image = reader.read();
    if (image.isNull()) {
        UserPrompts::instance().warning(
            parent, tr("Open Image"),
            tr("The picture %1 could not be read: %2").arg(fileName, reader.errorString()));
        return {};
    }
    // The view, the pixel readout and the snapshots expect the live frames' layouts.
    return image.convertToFormat(image.isGrayscale() ? QImage::Format_Grayscale8
                                                     : QImage::Format_RGB32);
}
