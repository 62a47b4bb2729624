// SPDX-License-Identifier: MIT
// The dead-pixel editor's list: 100 slots of picture positions with a brightness for sorting.
#include "DeadPixelList.h"

#include <algorithm>
#include <utility>

bool DeadPixelList::contains(int x, int y) const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [&](const DeadPixelEntry& e) { return e.x == x && e.y == y; });
}

bool DeadPixelList::append(const DeadPixelEntry& entry) {
    if (isFull())
        return false;
    entries_.push_back(entry);
    return true;
}

void DeadPixelList::removeAt(int row) {
    if (row < 0 || row >= count())
        return;
    entries_.erase(entries_.begin() + row);
}

void DeadPixelList::sortByBrightness() {
    for (size_t i = 0; i < entries_.size(); ++i) {
        for (size_t j = i + 1; j < entries_.size(); ++j) {
            if (entries_[j].brightness > entries_[i].brightness)
                std::swap(entries_[i], entries_[j]);
        }
    }
}

std::vector<unsigned int> DeadPixelList::exchangeBuffer() const {
    std::vector<unsigned int> buffer(std::max<size_t>(kExchangeSize, 1 + 2 * entries_.size()), 0);
    buffer[0] = unsigned(entries_.size());
    for (size_t i = 0; i < entries_.size(); ++i) {
        buffer[1 + 2 * i] = unsigned(entries_[i].x);
        buffer[2 + 2 * i] = unsigned(entries_[i].y);
    }
    return buffer;
}
