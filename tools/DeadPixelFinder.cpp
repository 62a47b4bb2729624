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

// Per-pixel readers: the brightest channel and whether the pixel is gray.
struct Rgb32Reader {
    const QImage& image;
    const QRgb* row(int y) const { return reinterpret_cast<const QRgb*>(image.constScanLine(y)); }
    static int brightest(QRgb p) { return std::max({qRed(p), qGreen(p), qBlue(p)}); }
    static bool isGray(QRgb p) { return qRed(p) == qGreen(p) && qGreen(p) == qBlue(p); }
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
            grayOf[i] = Rgb32Reader::isGray(c);
        }
    }
    const uchar* row(int y) const { return image.constScanLine(y); }
    int brightest(uchar p) const { return brightestOf[p]; }
    bool isGray(uchar p) const { return grayOf[p]; }
};

template <typename Reader>
void scan(const Reader& reader, int width, int height, int threshold, FirstInColumnOrder& out) {
    for (int y = 0; y < height; ++y) {
        const auto* row = reader.row(y);
        const auto* above = y > 0 ? reader.row(y - 1) : nullptr;
        const auto* below = y + 1 < height ? reader.row(y + 1) : nullptr;
        for (int x = 0; x < width; ++x) {
            const int m = reader.brightest(row[x]);
            // All three channels below the threshold is the same as the brightest one below it.
            if (m < threshold)
                continue;
            if (reader.isGray(row[x])) {
                out.offer(x, y, m);
                continue;
            }
            const int left = x > 0 ? reader.brightest(row[x - 1]) : 0;
            const int right = x + 1 < width ? reader.brightest(row[x + 1]) : 0;
            const int up = above ? reader.brightest(above[x]) : 0;
            const int down = below ? reader.brightest(below[x]) : 0;
            if (m > left && m > right && m > up && m > down)
                out.offer(x, y, m);
        }
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
