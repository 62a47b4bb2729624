// SPDX-License-Identifier: MIT
// The dead-pixel editor's list: 100 slots of picture positions with a brightness for sorting.
#pragma once

#include <cstddef>
#include <vector>

struct DeadPixelEntry {
    int x = 0;
    int y = 0;
    int brightness = 0;
};

// Positions are those of the picture as displayed; SensorGeometry converts them for the camera.
class DeadPixelList {
public:
    static constexpr int kSlots = 100;
    // What the camera's store takes.
    static constexpr int kCameraLimit = 63;
    // Count plus 63 pairs: the exchange buffer the camera API reads and fills.
    static constexpr int kExchangeSize = 1 + 2 * kCameraLimit;

    int count() const { return int(entries_.size()); }
    bool isFull() const { return count() >= kSlots; }
    const DeadPixelEntry& at(int i) const { return entries_.at(std::size_t(i)); }
    bool contains(int x, int y) const;

    // False (and nothing stored) when all slots are taken.
    bool append(const DeadPixelEntry& entry);
    // Ignores a row outside the list.
    void removeAt(int row);
    void clear() { entries_.clear(); }
    // Highest brightness first: each position takes the brightest of the entries after it, so
    // entries of equal brightness keep no particular order.
    void sortByBrightness();

    // Count and coordinates in entry order, as the camera API exchanges them.
    std::vector<unsigned int> exchangeBuffer() const;

private:
    std::vector<DeadPixelEntry> entries_;
};
