// SPDX-License-Identifier: MIT
// Bounds-checked walk over a block of concatenated USB descriptors.
#include "usb/DescriptorCursor.h"

namespace vidscope::usb {

std::optional<std::span<const uint8_t>> DescriptorCursor::peek() const {
    if (offset_ + 2 > block_.size())
        return std::nullopt;
    const size_t length = block_[offset_];
    if (length < 2 || length > block_.size() - offset_)
        return std::nullopt;
    return block_.subspan(offset_, length);
}

}  // namespace vidscope::usb
