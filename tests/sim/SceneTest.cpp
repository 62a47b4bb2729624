// SPDX-License-Identifier: MIT
// The scene in the frames: mosaic order per layout, stuck sites, motion, noise, ruler, speed.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include "FirmwareTestSupport.h"

namespace vidscope::sim::test {
namespace {

struct Sites {
    int redX, redY, blueX, blueY;  // cell positions of the red and blue sites
};

void expectColourSites(uint16_t productId, Sites s, uint16_t resolution) {
    ScratchDirectory dir;
    auto fw = makeCamera(productId, dir);
    in(*fw, kSelectResolution, resolution, kResolutionRecord);
    auto source = fw->bulkSource();
    const Collected c = collectFrame(*source, 1 << 20);
    const int width = fw->geometry().width;
    const int scale = resolution == 1 ? 2 : 1;
    auto patch = [&](ScenePainter::Patch p) {
        Rect r = fw->scene().patch(p);
        return Rect{r.x / scale, r.y / scale, r.width / scale, r.height / scale};
    };
    const Rect red = patch(ScenePainter::Red);
    const double r = cellMean(c.frame, width, red, s.redX, s.redY);
    const double b = cellMean(c.frame, width, red, s.blueX, s.blueY);
    const double g = cellMean(c.frame, width, red, 1 - s.redX, s.redY);
    EXPECT_GT(r, 2 * g) << std::hex << productId;
    EXPECT_GT(r, 2 * b) << std::hex << productId;
    const Rect blue = patch(ScenePainter::Blue);
    EXPECT_GT(cellMean(c.frame, width, blue, s.blueX, s.blueY),
              2 * cellMean(c.frame, width, blue, s.redX, s.redY))
        << std::hex << productId;
}

TEST(Scene, BayerFramesCarryEachColourInItsOwnSites) {
    expectColourSites(0x0030, Sites{1, 1, 0, 0}, 0);  // B G / G R
    expectColourSites(0x0120, Sites{1, 0, 0, 1}, 0);  // G R / B G
    // Skipping and binning keep the cell order.
    expectColourSites(0x0120, Sites{1, 0, 0, 1}, 1);
}

TEST(Scene, BinningKeepsTheCellOrder) {
    ScratchDirectory dir;
    auto fw = makeCamera(0x0030, dir);
    in(*fw, kResolutionQuery, 2, kResolutionMode);
    in(*fw, kSelectResolution, 1, kResolutionRecord);
    auto source = fw->bulkSource();
    const Collected c = collectFrame(*source, 1 << 20);
    const Rect r = fw->scene().patch(ScenePainter::Red);
    const Rect half{r.x / 2, r.y / 2, r.width / 2, r.height / 2};
    EXPECT_GT(cellMean(c.frame, 376, half, 1, 1), 2 * cellMean(c.frame, 376, half, 0, 0));
}

TEST(Scene, MonochromeAndYuvFramesShowTheScene) {
    ScratchDirectory dir;
    auto mono = makeCamera(0x003B, dir);
    auto source = mono->bulkSource();
    const Collected m = collectFrame(*source, 1 << 20);
    auto level = [&](ScenePainter::Patch p) {
        return cellMean(m.frame, 752, mono->scene().patch(p), -1, 0);
    };
    EXPECT_GT(level(ScenePainter::White), level(ScenePainter::MidGrey) + 40);
    EXPECT_GT(level(ScenePainter::MidGrey), level(ScenePainter::Black) + 40);
    EXPECT_GT(level(ScenePainter::Green), level(ScenePainter::Blue));  // luma weights

    auto yuv = makeCamera(0xC030, dir);
    auto yuvSource = yuv->bulkSource();
    const Collected y = collectFrame(*yuvSource, 1 << 20);
    ASSERT_EQ(y.frame.size(), 640u * 480 * 2);
    const Rect red = yuv->scene().patch(ScenePainter::Red);
    const Rect blue = yuv->scene().patch(ScenePainter::Blue);
    // Pairs of pixels start at even x: U Y0 V Y1.
    EXPECT_GT(cellMean(y.frame, 640, red, 0, 0, 2, 2), 150.0);   // V
    EXPECT_LT(cellMean(y.frame, 640, red, 0, 0, 2, 0), 128.0);   // U
    EXPECT_GT(cellMean(y.frame, 640, blue, 0, 0, 2, 0), 150.0);  // U
}

// Sites at full scale, outside the frame stamp in the first row.
int saturatedSites(const std::vector<uint8_t>& frame, size_t rowBytes) {
    int n = 0;
    for (size_t i = rowBytes; i < frame.size(); ++i)
        n += frame[i] == 255;
    return n;
}

TEST(Scene, StuckSitesReadFullScaleInTheDark) {
    ScratchDirectory dir;
    auto fw = makeCamera(0x0030, dir);
    auto source = fw->bulkSource();
    fw->setIllumination(0.0);
    const auto& stuck = fw->stuckSites();
    ASSERT_FALSE(stuck.empty());

    const Collected full = collectFrame(*source, 1 << 20);
    EXPECT_EQ(saturatedSites(full.frame, 752), static_cast<int>(stuck.size()));
    for (const SensorSite& s : stuck)
        EXPECT_EQ(full.frame[size_t(s.y) * 752 + s.x], 255);

    // Binning reads every site, so each defect shows in the half-size frame.
    in(*fw, kResolutionQuery, 2, kResolutionMode);
    in(*fw, kSelectResolution, 1, kResolutionRecord);
    const Collected binned = collectFrame(*source, 1 << 20);
    EXPECT_EQ(saturatedSites(binned.frame, 376), static_cast<int>(stuck.size()));

    // Another camera of the same model has its own defects.
    FirmwareOptions second;
    second.instance = 2;
    auto other = makeCamera(0x0030, dir, second);
    EXPECT_NE(other->stuckSites()[0].x + 1000 * other->stuckSites()[0].y,
              stuck[0].x + 1000 * stuck[0].y);
}

TEST(Scene, TheTargetMovesAndTheRestOnlyFlickersWithNoise) {
    ScratchDirectory dir;
    auto fw = makeCamera(0x003B, dir);
    auto source = fw->bulkSource();
    const Collected a = collectFrame(*source, 1 << 20);
    const Collected b = collectFrame(*source, 1 << 20);
    const uint32_t n = SceneRenderer::readStamp(a.frame).value();
    const Rect before = fw->scene().movingTarget(n);
    const Rect after = fw->scene().movingTarget(n + 1);
    ASSERT_NE(before.x, after.x);

    // Columns that change strongly lie where the target was or is.
    const int left = std::min(before.x, after.x);
    const int right = std::max(before.x, after.x) + before.width;
    int moved = 0;
    for (int x = 0; x < 752; ++x) {
        double diff = 0;
        for (int y = before.y; y < before.y + before.height; ++y)
            diff += std::abs(int(a.frame[size_t(y) * 752 + x]) - int(b.frame[size_t(y) * 752 + x]));
        diff /= before.height;
        if (diff > 15) {
            ++moved;
            EXPECT_TRUE(x >= left && x < right) << "column " << x;
        }
    }
    EXPECT_GT(moved, 0);

    // Elsewhere the picture holds still apart from noise.
    const Rect grey = fw->scene().patch(ScenePainter::MidGrey);
    EXPECT_NEAR(cellMean(a.frame, 752, grey, -1, 0), cellMean(b.frame, 752, grey, -1, 0), 0.5);
    int changed = 0;
    for (int y = grey.y; y < grey.y + grey.height; ++y)
        changed += a.frame[size_t(y) * 752 + grey.x + 4] != b.frame[size_t(y) * 752 + grey.x + 4];
    EXPECT_GT(changed, 0);
}

TEST(Scene, RulerTicksAreOneMillimetreApart) {
    ScratchDirectory dir;
    auto fw = makeCamera(0x3E60, dir);  // 1280 wide
    auto source = fw->bulkSource();
    in(*fw, kStreamStart, 0, 0);
    const Collected c = collectFrame(*source, 1 << 21);
    const Rect ruler = fw->scene().ruler();
    std::vector<double> centres;
    const size_t row = size_t(ruler.y + 2) * 1280;
    int runStart = -1;
    for (int x = ruler.x; x < ruler.x + ruler.width; ++x) {
        const bool dark = c.frame[row + x] < 40;
        if (dark && runStart < 0)
            runStart = x;
        if (!dark && runStart >= 0) {
            centres.push_back((runStart + x - 1) / 2.0);
            runStart = -1;
        }
    }
    ASSERT_GE(centres.size(), 30u);
    const double spacing = (centres[20] - centres[0]) / 20;
    EXPECT_NEAR(spacing, fw->scene().pixelsPerMillimetre(), 0.5);
    EXPECT_NEAR(fw->scene().pixelsPerMillimetre(), 1280 / 40.0, 1e-9);
}

}  // namespace
}  // namespace vidscope::sim::test
