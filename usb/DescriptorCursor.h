// SPDX-License-Identifier: MIT
// Bounds-checked walk over a block of concatenated USB descriptors.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace vidscope::usb {

// Every descriptor starts with bLength and bDescriptorType. The cursor hands out a descriptor
// only when its bLength is at least 2 and it lies wholly inside the block, so callers never
// index past what the device actually sent.
class DescriptorCursor {
public:
    DescriptorCursor(std::span<const uint8_t> block, size_t offset)
        : block_(block), offset_(offset) {}

    bool atEnd() const { return offset_ >= block_.size(); }
    size_t offset() const { return offset_; }

    // The whole descriptor at the cursor, or null when it is malformed (bLength 0 or 1, or
    // reaching past the end of the block) or the cursor is at the end.
    std::optional<std::span<const uint8_t>> peek() const;
    void advance(size_t bytes) { offset_ += bytes; }

private:
    std::span<const uint8_t> block_;
    size_t offset_;
};

}  // namespace vidscope::usb
