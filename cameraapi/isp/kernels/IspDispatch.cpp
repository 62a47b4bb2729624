// SPDX-License-Identifier: MIT
// Processor feature checks for the pipeline's row loops.
#include "cameraapi/isp/kernels/IspDispatch.h"

#include <cstdlib>

#if defined(__aarch64__)
#include <sys/auxv.h>
#endif

#include "cameraapi/ApiLog.h"
#include "cameraapi/isp/kernels/IspKernelsNeon.h"

namespace vidscope::api {
namespace {

bool supportsAvx2() {
#if defined(__x86_64__)
    return __builtin_cpu_supports("avx2") != 0;
#else
    return false;
#endif
}

bool supportsAvx512() {
#if defined(__x86_64__)
    return __builtin_cpu_supports("avx512bw") != 0 && __builtin_cpu_supports("avx512vbmi") != 0;
#else
    return false;
#endif
}

// Linux on ARM64 always has Advanced SIMD; the check guards against a kernel that hides it.
bool supportsNeon() {
#if defined(__aarch64__)
    return (getauxval(AT_HWCAP) & HWCAP_ASIMD) != 0;
#else
    return false;
#endif
}

const IspKernels& choose() {
    std::vector<const IspKernels*> sets = IspDispatch::available();
    const IspKernels* chosen = sets.back();
    if (const char* wanted = std::getenv("VIDSCOPE_ISP_KERNELS")) {
        if (const IspKernels* named = IspDispatch::find(wanted))
            chosen = named;
        else
            VS_LOG(apiLog(), Warning) << "image pipeline kernels '" << wanted
                                      << "' not available here, using " << chosen->name;
    }
    VS_LOG(apiLog(), Debug) << "image pipeline kernels: " << chosen->name;
    return *chosen;
}

}  // namespace

const IspKernels& IspDispatch::best() {
    static const IspKernels& chosen = choose();
    return chosen;
}

std::vector<const IspKernels*> IspDispatch::available() {
    std::vector<const IspKernels*> sets = {&portableKernels()};
    if (const IspKernels* avx2 = avx2Kernels(); avx2 != nullptr && supportsAvx2())
        sets.push_back(avx2);
    if (const IspKernels* avx512 = avx512Kernels(); avx512 != nullptr && supportsAvx512())
        sets.push_back(avx512);
    if (const IspKernels* neon = neonKernels(); neon != nullptr && supportsNeon())
        sets.push_back(neon);
    return sets;
}

const IspKernels* IspDispatch::find(std::string_view name) {
    for (const IspKernels* set : available()) {
        if (name == set->name)
            return set;
    }
    return nullptr;
}

}  // namespace vidscope::api
