// SPDX-License-Identifier: MIT
// The frame sizes a model offers, the selected one, the resolution mode and the ROI window.
#include "sim/ResolutionTable.h"

#include <algorithm>

namespace vidscope::sim {
namespace {

uint16_t roundDown(uint32_t value, uint32_t step) {
    return static_cast<uint16_t>(value / step * step);
}

Window centred(const VirtualModel& m, uint16_t width, uint16_t height) {
    return Window{static_cast<uint16_t>((m.maxWidth - width) / 2 & ~1u),
                  static_cast<uint16_t>((m.maxHeight - height) / 2 & ~1u), width, height};
}

}  // namespace

ResolutionTable::ResolutionTable(const VirtualModel& model) : model_(model) {
    const uint16_t bpp = model.layout == PixelLayout::Yuv422 ? 2 : 1;
    const uint16_t w = model.maxWidth;
    const uint16_t h = model.maxHeight;
    // Half size keeps whole 2 x 2 colour cells when skipping.
    const uint16_t halfW = roundDown(w / 2, 2);
    const uint16_t halfH = roundDown(h / 2, 2);
    const uint16_t threeQuarterW = roundDown(w * 3 / 4, 8);
    const uint16_t threeQuarterH = roundDown(h * 3 / 4, 8);
    const bool vgaFits = w >= 1280 && h >= 960;
    const uint16_t smallW = vgaFits ? 640 : roundDown(w / 4, 8);
    const uint16_t smallH = vgaFits ? 480 : roundDown(h / 4, 8);

    records_ = {{w, h, bpp},
                {halfW, halfH, bpp},
                {threeQuarterW, threeQuarterH, bpp},
                {smallW, smallH, bpp}};
    windows_ = {Window{0, 0, w, h}, centred(model, halfW, halfH),
                centred(model, threeQuarterW, threeQuarterH), centred(model, smallW, smallH)};
}

std::optional<Resolution> ResolutionTable::record(size_t index) const {
    if (index >= records_.size())
        return std::nullopt;
    return records_[index];
}

std::optional<Resolution> ResolutionTable::select(size_t index) {
    if (index >= records_.size())
        return std::nullopt;
    std::lock_guard lock(mutex_);
    selected_ = index;
    roi_.reset();
    return records_[index];
}

bool ResolutionTable::setMode(uint8_t mode) {
    if (mode > static_cast<uint8_t>(ResolutionMode::Binning))
        return false;
    std::lock_guard lock(mutex_);
    mode_ = static_cast<ResolutionMode>(mode);
    return true;
}

ResolutionMode ResolutionTable::mode() const {
    std::lock_guard lock(mutex_);
    return mode_;
}

bool ResolutionTable::windowFits(const Window& w) const {
    const bool even = ((w.x | w.y | w.width | w.height) & 1) == 0;
    return even && w.width >= kMinimumWindow && w.height >= kMinimumWindow &&
           uint32_t{w.x} + w.width <= model_.maxWidth &&
           uint32_t{w.y} + w.height <= model_.maxHeight;
}

bool ResolutionTable::applyWindow(const Window& window) {
    if (!windowFits(window))
        return false;
    std::lock_guard lock(mutex_);
    roi_ = window;
    return true;
}

FrameGeometry ResolutionTable::geometry() const {
    std::lock_guard lock(mutex_);
    FrameGeometry g;
    g.mode = mode_;
    g.bytesPerPixel = records_[0].bytesPerPixel;
    if (roi_) {
        g.window = *roi_;
        g.width = roi_->width;
        g.height = roi_->height;
        return g;
    }
    const Resolution& r = records_[selected_];
    g.width = r.width;
    g.height = r.height;
    g.window = windows_[selected_];
    if (selected_ == 1 && mode_ != ResolutionMode::Cropping) {
        g.window = windows_[0];
        g.sampling = mode_ == ResolutionMode::Binning ? Sampling::Bin : Sampling::Skip;
    }
    return g;
}

void ResolutionTable::reset() {
    std::lock_guard lock(mutex_);
    selected_ = 0;
    mode_ = ResolutionMode::Skipping;
    roi_.reset();
}

}  // namespace vidscope::sim
