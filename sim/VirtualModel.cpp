// SPDX-License-Identifier: MIT
// Catalogue of the 32 camera models the virtual camera can impersonate.
#include "sim/VirtualModel.h"

namespace vidscope::sim {
namespace {

using enum PixelLayout;

// Which Bayer order each colour family has is a property of the sensor; rows 13 to 27 are
// the USB 3 family.
constexpr VirtualModel kModels[] = {
    {0x0030, 0x0030, BayerBGGR, 752, 480, false, "VS-M030C"},
    {0x003B, 0x003B, Monochrome, 752, 480, false, "VS-M030M"},
    {0x0100, 0x0100, BayerBGGR, 1280, 800, false, "VS-M100C"},
    {0x0120, 0x0120, BayerGRBG, 1280, 960, false, "VS-M120C"},
    {0x012B, 0x012B, Monochrome, 1280, 960, false, "VS-M120M"},
    {0x0130, 0x0130, BayerGRBG, 1280, 1024, false, "VS-M130C"},
    {0x013B, 0x013B, Monochrome, 1280, 1024, false, "VS-M130M"},
    {0x0300, 0x0300, BayerGRBG, 2048, 1536, false, "VS-M300C"},
    {0x0500, 0x0500, BayerGRBG, 2592, 1944, false, "VS-M500C"},
    {0x050B, 0x050B, Monochrome, 2592, 1944, false, "VS-M500M"},
    {0x0A00, 0x0A00, BayerGRBG, 3664, 2748, false, "VS-M1000C"},
    {0x0A0B, 0x0A0B, Monochrome, 3664, 2748, false, "VS-M1000M"},
    {0x0E00, 0x0E00, BayerGRBG, 4384, 3288, false, "VS-M1400C"},
    {0x3030, 0x0030, BayerBGGR, 752, 480, true, "VS-U030C"},
    {0x303B, 0x003B, Monochrome, 752, 480, true, "VS-U030M"},
    {0x350B, 0x050B, Monochrome, 2592, 1944, true, "VS-U500M"},
    {0x3500, 0x0500, BayerGRBG, 2592, 1944, true, "VS-U500C"},
    {0x3A00, 0x0A00, BayerGRBG, 3664, 2748, true, "VS-U1000C"},
    {0x3A0B, 0x0A0B, Monochrome, 3664, 2748, true, "VS-U1000M"},
    {0x3E00, 0x0E00, BayerGRBG, 4384, 3288, true, "VS-U1400C"},
    {0x3120, 0x0120, BayerGRBG, 1280, 960, true, "VS-U120C"},
    {0x312B, 0x012B, Monochrome, 1280, 960, true, "VS-U120M"},
    {0x3E60, 0x0E60, BayerBGGR, 1280, 1024, true, "VS-U130C"},
    {0x3E6B, 0x0E6B, Monochrome, 1280, 1024, true, "VS-U130M"},
    {0x3E70, 0x0E70, BayerBGGR, 1600, 1200, true, "VS-U200C"},
    {0x3E7B, 0x0E7B, Monochrome, 1600, 1200, true, "VS-U200M"},
    {0x32C0, 0x32C0, Monochrome, 2048, 1088, true, "VS-U230M"},
    {0x32CB, 0x32CB, Monochrome, 2048, 1088, true, "VS-U230N"},
    {0xC030, 0xC030, Yuv422, 640, 480, false, "VS-Y030"},
    {0xC130, 0xC130, Yuv422, 1280, 1024, false, "VS-Y130"},
    {0xC200, 0xC200, Yuv422, 1600, 1200, false, "VS-Y200"},
    {0xC500, 0xC500, Yuv422, 2592, 1944, false, "VS-Y500"},
};

}  // namespace

std::span<const VirtualModel> virtualModels() {
    return kModels;
}

const VirtualModel* findVirtualModel(uint16_t productId) {
    for (const VirtualModel& m : kModels) {
        if (m.productId == productId)
            return &m;
    }
    return nullptr;
}

}  // namespace vidscope::sim
