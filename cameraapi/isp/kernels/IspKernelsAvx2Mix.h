// SPDX-License-Identifier: MIT
// The AVX2 colour and luminance mixing, one of the AVX2 set's row loops.
#pragma once

#include <cstdint>

#include "cameraapi/isp/kernels/IspKernels.h"

namespace vidscope::api::avx2 {

// As IspKernels::writeMatrix and writeGrey; only for processors with AVX2.
void writeMatrix(const uint8_t* r, const uint8_t* g, const uint8_t* b, uint32_t count,
                 const IspTables& tables, OutputLayout layout, uint8_t* dest);
void writeGrey(const uint8_t* r, const uint8_t* g, const uint8_t* b, uint32_t count, uint8_t* dest);

}  // namespace vidscope::api::avx2
