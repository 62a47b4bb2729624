// SPDX-License-Identifier: MIT
// The public pipeline functions over camera slots: prologue, refusals, mirror switches.
#include <gtest/gtest.h>

#include <vector>

#include "SlotFixture.h"
#include "cameraapi/api/LastError.h"
#include "vidscope/camera_api.h"

namespace vidscope::api::test {
namespace {

constexpr uint32_t kRow1400C = 12;  // Bayer, sensor family with exposure registers

class IspApi : public SlotFixture {};

TEST_F(IspApi, PrologueAndRefusal) {
    std::vector<uint8_t> raw(64 * 48, 35);
    std::vector<uint8_t> out(64 * 48 * 3, 0x11);
    EXPECT_FALSE(CameraISP(300, raw.data(), out.data(), 64, 48, CAMERA_FORMAT_RGB24));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_INDEX_OUT_OF_RANGE);
    EXPECT_FALSE(CameraISP(201, raw.data(), out.data(), 64, 48, CAMERA_FORMAT_RGB24));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_NOT_INITIALIZED);

    CameraContext* context = openSlot(201, kRow1400C);
    LastError::set(LastError::kNone);
    // No map built for this size: refused without an error code, nothing written.
    EXPECT_FALSE(CameraISP(201, raw.data(), out.data(), 64, 48, CAMERA_FORMAT_RGB24));
    EXPECT_EQ(CameraGetLastError(), LastError::kNone);
    EXPECT_EQ(out, std::vector<uint8_t>(64 * 48 * 3, 0x11));
    context->pipeline.resetPixelMap(64, 48);
    EXPECT_TRUE(CameraISP(201, raw.data(), out.data(), 64, 48, CAMERA_FORMAT_RGB24));
    EXPECT_NE(out[0], 0x11);
}

TEST_F(IspApi, ExposureWriteFailureFailsGreyOutputOnly) {
    CameraContext* context = openSlot(202, kRow1400C);
    context->pipeline.resetPixelMap(64, 48);
    context->frameCount = 4;
    std::vector<uint8_t> raw(64 * 48, 35);  // half the default target: the loop must act
    std::vector<uint8_t> out(64 * 48 * 3);
    LastError::set(LastError::kNone);
    // Default flags have the loop on; this camera has no device to write to.
    EXPECT_TRUE(CameraISP(202, raw.data(), out.data(), 64, 48, CAMERA_FORMAT_RGB24));
    EXPECT_EQ(CameraGetLastError(), LastError::kNone) << "no trace of the ignored failure";
    context->pipeline.update([](ImageSettings& s) { s.lastAeDelta = 0; });
    EXPECT_FALSE(CameraISP(202, raw.data(), out.data(), 64, 48, CAMERA_FORMAT_GRAY8));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_USB_DISCONNECTED);
}

TEST_F(IspApi, MirrorAndRotateSwitches) {
    CameraContext* context = openSlot(203, kRow1400C);
    context->width = 8;
    context->height = 6;
    EXPECT_EQ(CameraGetMirrorX(203), 0);
    EXPECT_TRUE(CameraSetMirrorX(203, true));
    EXPECT_TRUE(CameraSetRotate(203, true));
    EXPECT_EQ(CameraGetMirrorX(203), 1);
    EXPECT_EQ(CameraGetMirrorY(203), 0);
    EXPECT_EQ(CameraGetRotate(203), 1);
    std::shared_ptr<const IspTables> tables = context->pipeline.tables();
    EXPECT_EQ(tables->map.width(), 8u);
    EXPECT_TRUE(tables->map.mirrorX());
    EXPECT_TRUE(tables->map.rotated());
    EXPECT_TRUE(CameraSetMirrorX(203, false));
    EXPECT_FALSE(context->pipeline.tables()->map.mirrorX());
    EXPECT_EQ(CameraGetRotate(204), -1);
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_NOT_INITIALIZED);
    EXPECT_FALSE(CameraSetMirrorY(256, true));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_INDEX_OUT_OF_RANGE);
}

}  // namespace
}  // namespace vidscope::api::test
