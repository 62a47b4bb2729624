// SPDX-License-Identifier: MIT
// Storage of the camera slot table.
#include "cameraapi/CameraSlots.h"

#include <array>
#include <atomic>

#include "cameraapi/CameraContext.h"

namespace vidscope::api {
namespace {

// Each non-null entry owns its context: install() releases a unique_ptr into it and take()
// wraps it back. A context still open at exit stays reachable here and is left to the OS.
constinit std::array<std::atomic<CameraContext*>, CameraSlots::kSlotCount> gSlots{};

}  // namespace

CameraContext* CameraSlots::at(int index) {
    if (!isValidIndex(index))
        return nullptr;
    return gSlots[static_cast<size_t>(index)].load(std::memory_order_acquire);
}

bool CameraSlots::install(int index, std::unique_ptr<CameraContext>& context) {
    if (!isValidIndex(index) || !context)
        return false;
    CameraContext* expected = nullptr;
    if (!gSlots[static_cast<size_t>(index)].compare_exchange_strong(expected, context.get(),
                                                                    std::memory_order_acq_rel)) {
        return false;
    }
    context.release();
    return true;
}

std::unique_ptr<CameraContext> CameraSlots::take(int index) {
    if (!isValidIndex(index))
        return nullptr;
    return std::unique_ptr<CameraContext>(
        gSlots[static_cast<size_t>(index)].exchange(nullptr, std::memory_order_acq_rel));
}

}  // namespace vidscope::api
