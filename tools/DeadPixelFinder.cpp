// SPDX-License-Identifier: MIT
// The brightness search behind "Auto Find": stuck pixels of a still picture.
#include "DeadPixelFinder.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <queue>
#include <vector>

namespace {

struct Candidate {
    int x;
    int y;
    int brightness;
};

// Keeps the kSlots candidates that come first in column order.
class FirstInColumnOrder {
public:
    void offer(int x, int y, int brightness) {
        if (heap_.size() == size_t(DeadPixelList::kSlots)) {
            const Candidate& last = heap_.top();
            if (x > last.x || (x == last.x && y > last.y))
                return;
            heap_.pop();
        }
        heap_.push({x, y, brightness});
    }
    // The last column that can still hold a kept candidate: once the slots are full, nothing
    // right of the last kept one can enter any more.
    int lastUsefulColumn(int width) const {
        return heap_.size() == size_t(DeadPixelList::kSlots) ? heap_.top().x : width - 1;
    }
    // In column order.
    std::vector<Candidate> take() {
        std::vector<Candidate> out;
        while (!heap_.empty()) {
            out.push_back(heap_.top());
            heap_.pop();
        }
        std::reverse(out.begin(), out.end());
        return out;
    }

private:
    struct LaterFirst {
        bool operator()(const Candidate& a, const Candidate& b) const {
            return a.x != b.x ? a.x < b.x : a.y < b.y;
        }
    };
    std::priority_queue<Candidate, std::vector<Candidate>, LaterFirst> heap_;
};

// Readers of one picture layout: the brightest channel of a whole row, and whether one pixel
// is gray (R = G = B).
struct Rgb32Reader {
    const QImage& image;
    static int brightest(QRgb p) { return std::max({qRed(p), qGreen(p), qBlue(p)}); }
    void fillBrightest(int y, int columns, uint8_t* out) const {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < columns; ++x)
            out[x] = uint8_t(brightest(row[x]));
    }
    bool isGray(int x, int y) const {
        const QRgb p = reinterpret_cast<const QRgb*>(image.constScanLine(y))[x];
        return qRed(p) == qGreen(p) && qGreen(p) == qBlue(p);
    }
};

struct IndexedReader {
    const QImage& image;
    std::array<uint8_t, 256> brightestOf{};
    std::array<bool, 256> grayOf{};

    explicit IndexedReader(const QImage& img) : image(img) {
        const QList<QRgb> table = img.colorTable();
        const bool grayscale = img.format() == QImage::Format_Grayscale8;
        for (int i = 0; i < 256; ++i) {
            const QRgb c = grayscale ? qRgb(i, i, i) : (i < table.size() ? table[i] : 0);
            brightestOf[i] = uint8_t(Rgb32Reader::brightest(c));
            grayOf[i] = qRed(c) == qGreen(c) && qGreen(c) == qBlue(c);
        }
    }
    void fillBrightest(int y, int columns, uint8_t* out) const {
        const uchar* row = image.constScanLine(y);
        for (int x = 0; x < columns; ++x)
            out[x] = brightestOf[row[x]];
    }
    bool isGray(int x, int y) const { return grayOf[image.constScanLine(y)[x]]; }
};

// Three rows of brightest channels roll down the picture, so each pixel's channels are read
// once however many neighbour tests look at them; rows outside the picture are zeros.
template <typename Reader>
void scan(const Reader& reader, int width, int height, int threshold, FirstInColumnOrder& out) {
    std::vector<uint8_t> rows(size_t(width) * 3, 0);
    uint8_t* above = rows.data();
    uint8_t* row = above + width;
    uint8_t* below = row + width;
    reader.fillBrightest(0, width, row);
    for (int y = 0; y < height; ++y) {
        // Columns past the limit cannot be kept; one more is read for the right neighbour.
        const int end = std::min(width, out.lastUsefulColumn(width) + 1);
        const int read = std::min(width, end + 1);
        if (y + 1 < height)
            reader.fillBrightest(y + 1, read, below);
        else
            std::fill(below, below + width, 0);
        for (int x = 0; x < end; ++x) {
            const int m = row[x];
            // All three channels below the threshold is the same as the brightest one below it.
            if (m < threshold)
                continue;
            if (reader.isGray(x, y)) {
                out.offer(x, y, m);
                continue;
            }
            const int left = x > 0 ? row[x - 1] : 0;
            const int right = x + 1 < width ? row[x + 1] : 0;
            if (m > left && m > right && m > above[x] && m > below[x])
                out.offer(x, y, m);
        }
        // The row becomes the one above, the one below the current; the old above is reused.
        uint8_t* spare = above;
        above = row;
        row = below;
        below = spare;
    }
}

}  // namespace

void DeadPixelFinder::find(const QImage& image, int threshold, DeadPixelList& list) {
    list.clear();
    if (image.isNull())
        return;
    FirstInColumnOrder candidates;
    const QImage::Format format = image.format();
    if (format == QImage::Format_Indexed8 || format == QImage::Format_Grayscale8) {
        scan(IndexedReader(image), image.width(), image.height(), threshold, candidates);
    } else if (format == QImage::Format_RGB32 || format == QImage::Format_ARGB32) {
        scan(Rgb32Reader{image}, image.width(), image.height(), threshold, candidates);
    } else {
        const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
        scan(Rgb32Reader{rgb}, rgb.width(), rgb.height(), threshold, candidates);
    }
    for (const Candidate& c : candidates.take())
        list.append({c.x, c.y, c.brightness});
    list.sortByBrightness();
}
