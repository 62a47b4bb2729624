// SPDX-License-Identifier: MIT
// Storage of the camera slot table.
#include "cameraapi/device/CameraSlots.h"

#include <array>
#include <mutex>

#include "cameraapi/device/CameraContext.h"

namespace vidscope::api {
namespace {

struct SlotTable {
    std::mutex mutex;
    std::array<std::shared_ptr<CameraContext>, CameraSlots::kSlotCount> slots;
};

// Never destroyed: a context still open at exit stays reachable here and is left to the OS,
// rather than being torn down while a worker thread may still use it.
SlotTable& table() {
    static SlotTable* slots = new SlotTable;
    return *slots;
}

}  // namespace

CameraContext* CameraSlots::at(int index) {
    return acquire(index).get();
}

std::shared_ptr<CameraContext> CameraSlots::acquire(int index) {
    if (!isValidIndex(index))
        return nullptr;
    SlotTable& t = table();
    std::lock_guard lock(t.mutex);
    return t.slots[static_cast<size_t>(index)];
}

bool CameraSlots::install(int index, std::unique_ptr<CameraContext>& context) {
    if (!isValidIndex(index) || !context)
        return false;
    SlotTable& t = table();
    std::lock_guard lock(t.mutex);
    std::shared_ptr<CameraContext>& slot = t.slots[static_cast<size_t>(index)];
    if (slot)
        return false;
    slot = std::move(context);
    return true;
}

std::shared_ptr<CameraContext> CameraSlots::take(int index) {
    if (!isValidIndex(index))
        return nullptr;
    SlotTable& t = table();
    std::lock_guard lock(t.mutex);
    return std::move(t.slots[static_cast<size_t>(index)]);
}

}  // namespace vidscope::api
