// SPDX-License-Identifier: MIT
// Live frames as QImages: what the AVI writer and the picture files see of them.
#include "FrameImage.h"

#include <QtEndian>

namespace vidscope::record {

bool isGreyFrame(const QImage& image) {
    // The frame path lays grey frames over their bytes as 8-bit grey or as 8-bit indexed
    // with a grey table; both are one byte of grey per pixel.
    return image.format() == QImage::Format_Grayscale8 || image.format() == QImage::Format_Indexed8;
}

FrameView frameViewOf(const QImage& image, QImage& scratch) {
    const QImage* source = &image;
    PixelLayout layout = PixelLayout::kBgrx32;
    switch (image.format()) {
        case QImage::Format_RGB32:
        case QImage::Format_ARGB32:
            // 0xAARRGGBB words: blue first in memory on a little-endian machine.
            static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "32-bit pixels are read as BGRX");
            layout = PixelLayout::kBgrx32;
            break;
        case QImage::Format_RGB888:
            layout = PixelLayout::kRgb24;
            break;
        case QImage::Format_Grayscale8:
        case QImage::Format_Indexed8:
            layout = PixelLayout::kGray8;
            break;
        default:
            scratch = image.convertToFormat(QImage::Format_RGB32);
            source = &scratch;
            layout = PixelLayout::kBgrx32;
            break;
    }
    return {source->constBits(), source->width(), source->height(), source->bytesPerLine(), layout};
}

int logicalBytesPerPixel(const QImage& image) {
    return isGreyFrame(image) ? 1 : 3;
}

bool sameFileGeometry(const QImage& a, const QImage& b) {
    return a.size() == b.size() && isGreyFrame(a) == isGreyFrame(b);
}

}  // namespace vidscope::record
