// SPDX-License-Identifier: MIT
// The table of 256 camera slots, each owning the context of one open camera.
#pragma once

#include <memory>

namespace vidscope::api {

struct CameraContext;

// The slot index is the API's camera index. Slots are filled and emptied only by opening and
// closing a camera, which the application does while no other thread uses that camera; the
// table nevertheless has a mutex of its own, so concurrent lookups are well-defined and two
// racing opens cannot both win one slot.
//
// Ownership: the slot shares its context with every API call in progress on it (acquire).
// Closing a camera empties the slot, but the context is destroyed by whoever lets go last,
// so a frame query that is still leaving its call (releasing the lock inside the context)
// when the close proceeds never touches freed memory.
class CameraSlots {
public:
    static constexpr int kSlotCount = 256;

    static bool isValidIndex(int index) { return index >= 0 && index < kSlotCount; }

    // The context in the slot, or null when the index is invalid or the slot empty. Only for
    // callers that know the slot stays filled (tests, benchmarks); API calls use acquire().
    static CameraContext* at(int index);
    // A share of the context in the slot, or null.
    static std::shared_ptr<CameraContext> acquire(int index);
    // Moves the context into an empty slot. Fails, leaving `context` with the caller, when
    // the index is invalid or the slot occupied.
    static bool install(int index, std::unique_ptr<CameraContext>& context);
    // Empties the slot and hands its share of the context back (null when it was empty).
    static std::shared_ptr<CameraContext> take(int index);
};

}  // namespace vidscope::api
