// SPDX-License-Identifier: MIT
// The table of 256 camera slots, each owning the context of one open camera.
#pragma once

#include <memory>

namespace vidscope::api {

struct CameraContext;

// The slot index is the API's camera index. Slots are filled and emptied only by opening and
// closing a camera, which the application does while no other thread uses that camera; each
// entry is nevertheless an atomic pointer, so concurrent lookups of other slots (or of a slot
// that is being filled) are well-defined and two racing opens cannot both win one slot.
class CameraSlots {
public:
    static constexpr int kSlotCount = 256;

    static bool isValidIndex(int index) { return index >= 0 && index < kSlotCount; }

    // The context in the slot, or null when the index is invalid or the slot empty.
    static CameraContext* at(int index);
    // Moves the context into an empty slot. Fails, leaving `context` with the caller, when
    // the index is invalid or the slot occupied.
    static bool install(int index, std::unique_ptr<CameraContext>& context);
    // Empties the slot and hands its context back (null when it was empty).
    static std::unique_ptr<CameraContext> take(int index);
};

}  // namespace vidscope::api
