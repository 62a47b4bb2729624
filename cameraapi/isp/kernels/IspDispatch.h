// SPDX-License-Identifier: MIT
// Run-time choice among the pipeline's row-loop sets by what the processor supports.
#pragma once

#include <string_view>
#include <vector>

#include "cameraapi/isp/kernels/IspKernels.h"

namespace vidscope::api {

class IspDispatch {
public:
    // The fastest set this processor runs; VIDSCOPE_ISP_KERNELS=<name> picks another one
    // (for comparisons), an unknown or unsupported name falls back to the fastest.
    static const IspKernels& best();
    // Every set this processor runs, the portable one first.
    static std::vector<const IspKernels*> available();
    static const IspKernels* find(std::string_view name);
};

}  // namespace vidscope::api
