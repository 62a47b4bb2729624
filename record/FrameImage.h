// SPDX-License-Identifier: MIT
// Live frames as QImages: what the AVI writer and the picture files see of them.
#pragma once

#include <QImage>

#include "AviWriter.h"

namespace vidscope::record {

// The writer's view of an image, without a copy for the formats the frame path produces
// (32-bit RGB, 24-bit RGB, 8-bit grey). Any other format is converted into `scratch`, which
// must outlive the view.
FrameView frameViewOf(const QImage& image, QImage& scratch);

// Whether the frame path made this a grey frame (8-bit grey, or 8-bit indexed with grey).
bool isGreyFrame(const QImage& image);

// 3 for colour, 1 for grey: the logical bytes per pixel of the memory limit and of the file.
int logicalBytesPerPixel(const QImage& image);

// Whether two frames can share one AVI file: same size and both colour or both grey.
bool sameFileGeometry(const QImage& a, const QImage& b);

}  // namespace vidscope::record
