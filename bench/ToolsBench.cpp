// SPDX-License-Identifier: MIT
// The diagnostic tools on a full 14-megapixel picture: histogram with statistics, and Auto Find.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QRandomGenerator>

#include "DeadPixelFinder.h"
#include "GrayStatistics.h"

namespace {

constexpr int kWidth = 4384;
constexpr int kHeight = 3288;

// A live-like colour frame: smooth areas with sensor noise, a few stuck pixels.
QImage colourFrame(int meanLevel) {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    QRandomGenerator random(42);
    for (int y = 0; y < kHeight; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < kWidth; ++x) {
            const int base = meanLevel + ((x / 512 + y / 512) % 3) * 20;
            const int n = int(random.bounded(16u)) - 8;
            row[x] = qRgb(std::clamp(base + n, 0, 255), std::clamp(base + 10 + n, 0, 255),
                          std::clamp(base - 10 + n, 0, 255));
        }
    }
    for (int k = 0; k < 5; ++k)
        image.setPixel(100 + 811 * k, 50 + 600 * k, qRgb(255, 255, 255));
    return image;
}

QImage greyFrame(int meanLevel) {
    QImage image(kWidth, kHeight, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int i = 0; i < 256; ++i)
        table << qRgb(i, i, i);
    image.setColorTable(table);
    QRandomGenerator random(7);
    for (int y = 0; y < kHeight; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < kWidth; ++x)
            row[x] = uchar(std::clamp(meanLevel + int(random.bounded(16u)) - 8, 0, 255));
    }
    for (int k = 0; k < 5; ++k)
        image.setPixel(100 + 811 * k, 50 + 600 * k, 255);
    return image;
}

void report(benchmark::State& state) {
    state.SetItemsProcessed(state.iterations() * int64_t{kWidth} * kHeight);
}

void BM_HistogramColour(benchmark::State& state) {
    const QImage image = colourFrame(100);
    for (auto _ : state)
        benchmark::DoNotOptimize(GrayLevels::compute(image));
    report(state);
}
BENCHMARK(BM_HistogramColour)->Unit(benchmark::kMillisecond);

void BM_HistogramGrey(benchmark::State& state) {
    const QImage image = greyFrame(100);
    for (auto _ : state)
        benchmark::DoNotOptimize(GrayLevels::compute(image));
    report(state);
}
BENCHMARK(BM_HistogramGrey)->Unit(benchmark::kMillisecond);

// Args: the scene's mean level and the threshold. A threshold above the scene (250) leaves
// only the five stuck pixels, so the whole picture is searched: the operator's usual case and
// the slowest. At 75 the hundred slots fill within the first rows and the rest is cut short.
void BM_AutoFindColour(benchmark::State& state) {
    const QImage image = colourFrame(int(state.range(0)));
    DeadPixelList list;
    for (auto _ : state) {
        DeadPixelFinder::find(image, int(state.range(1)), list);
        benchmark::DoNotOptimize(list.count());
    }
    report(state);
}
BENCHMARK(BM_AutoFindColour)->Args({100, 250})->Args({100, 75})->Unit(benchmark::kMillisecond);

void BM_AutoFindGrey(benchmark::State& state) {
    const QImage image = greyFrame(int(state.range(0)));
    DeadPixelList list;
    for (auto _ : state) {
        DeadPixelFinder::find(image, int(state.range(1)), list);
        benchmark::DoNotOptimize(list.count());
    }
    report(state);
}
BENCHMARK(BM_AutoFindGrey)->Args({100, 250})->Args({100, 75})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
