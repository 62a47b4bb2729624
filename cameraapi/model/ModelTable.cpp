// SPDX-License-Identifier: MIT
// The 32 rows of the model table.
#include "cameraapi/model/ModelTable.h"

namespace vidscope::api {
namespace {

using enum PipelineClass;

// Names: family letter (M for USB 2, U for USB 3, Y for YUV), megapixel class, C colour or
// M/N monochrome. Rows 13 to 27 are the USB 3 cameras.
constexpr ModelRow kRows[ModelTable::kRowCount] = {
    {0x0030, 0x0030, BayerBGGR, 752, 480, "VS-M030C"},
    {0x003B, 0x003B, Monochrome, 752, 480, "VS-M030M"},
    {0x0100, 0x0100, BayerBGGR, 1280, 800, "VS-M100C"},
    {0x0120, 0x0120, BayerGRBG, 1280, 960, "VS-M120C"},
    {0x012B, 0x012B, Monochrome, 1280, 960, "VS-M120M"},
    {0x0130, 0x0130, BayerGRBG, 1280, 1024, "VS-M130C"},
    {0x013B, 0x013B, Monochrome, 1280, 1024, "VS-M130M"},
    {0x0300, 0x0300, BayerGRBG, 2048, 1536, "VS-M300C"},
    {0x0500, 0x0500, BayerGRBG, 2592, 1944, "VS-M500C"},
    {0x050B, 0x050B, Monochrome, 2592, 1944, "VS-M500M"},
    {0x0A00, 0x0A00, BayerGRBG, 3664, 2748, "VS-M1000C"},
    {0x0A0B, 0x0A0B, Monochrome, 3664, 2748, "VS-M1000M"},
    {0x0E00, 0x0E00, BayerGRBG, 4384, 3288, "VS-M1400C"},
    {0x3030, 0x0030, BayerBGGR, 752, 480, "VS-U030C"},
    {0x303B, 0x003B, Monochrome, 752, 480, "VS-U030M"},
    {0x350B, 0x050B, Monochrome, 2592, 1944, "VS-U500M"},
    {0x3500, 0x0500, BayerGRBG, 2592, 1944, "VS-U500C"},
    {0x3A00, 0x0A00, BayerGRBG, 3664, 2748, "VS-U1000C"},
    {0x3A0B, 0x0A0B, Monochrome, 3664, 2748, "VS-U1000M"},
    {0x3E00, 0x0E00, BayerGRBG, 4384, 3288, "VS-U1400C"},
    {0x3120, 0x0120, BayerGRBG, 1280, 960, "VS-U120C"},
    {0x312B, 0x012B, Monochrome, 1280, 960, "VS-U120M"},
    {0x3E60, 0x0E60, BayerBGGR, 1280, 1024, "VS-U130C"},
    {0x3E6B, 0x0E6B, Monochrome, 1280, 1024, "VS-U130M"},
    {0x3E70, 0x0E70, BayerBGGR, 1600, 1200, "VS-U200C"},
    {0x3E7B, 0x0E7B, Monochrome, 1600, 1200, "VS-U200M"},
    {0x32C0, 0x32C0, Monochrome, 2048, 1088, "VS-U230M"},
    {0x32CB, 0x32CB, Monochrome, 2048, 1088, "VS-U230N"},
    {0xC030, 0xC030, Yuv422, 640, 480, "VS-Y030"},
    {0xC130, 0xC130, Yuv422, 1280, 1024, "VS-Y130"},
    {0xC200, 0xC200, Yuv422, 1600, 1200, "VS-Y200"},
    {0xC500, 0xC500, Yuv422, 2592, 1944, "VS-Y500"},
};

}  // namespace

std::span<const ModelRow> ModelTable::rows() {
    return kRows;
}

const ModelRow* ModelTable::row(uint32_t modelIndex) {
    return modelIndex < kRowCount ? &kRows[modelIndex] : nullptr;
}

uint32_t ModelTable::findDeviceCode(uint16_t deviceCode) {
    for (uint32_t i = 0; i < kRowCount; ++i) {
        if (kRows[i].deviceCode == deviceCode)
            return i;
    }
    return kNoRow;
}

}  // namespace vidscope::api
