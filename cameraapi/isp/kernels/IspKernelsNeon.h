// SPDX-License-Identifier: MIT
// The ARM64 row-loop set of the image pipeline and its byte transpose.
#pragma once

#include <cstddef>
#include <cstdint>

#include "cameraapi/isp/kernels/IspKernels.h"

namespace vidscope::api {

// The NEON set, or null when it was not compiled in (not an ARM64 build).
const IspKernels* neonKernels();

#if defined(__aarch64__)
// As transposeBytesPortable, sixteen rows by sixteen columns at a time.
void transposeBytesNeon(const uint8_t* src, ptrdiff_t srcStride, uint32_t rows, uint32_t cols,
                        uint8_t* dst, ptrdiff_t dstStride);
#endif

}  // namespace vidscope::api
