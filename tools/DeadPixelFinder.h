// SPDX-License-Identifier: MIT
// The brightness search behind "Auto Find": stuck pixels of a still picture.
#pragma once

#include <QImage>

#include "DeadPixelList.h"

// A pixel whose three channels are all below the threshold is never a candidate. A gray pixel
// (R = G = B) at or above it is one, with brightness R. A colour pixel is one only when its
// brightest channel beats the brightest channel of each of its four neighbours (outside the
// picture they count as 0), so that the edges of bright colour areas are not taken for defects.
//
// The list keeps the first candidates in column order (x, then y), as many as it has slots,
// then sorts them by brightness. The picture is read row by row for speed: a bounded heap keeps
// the column-order first candidates, so the result is the same as a column walk.
class DeadPixelFinder {
public:
    static void find(const QImage& image, int threshold, DeadPixelList& list);
};
