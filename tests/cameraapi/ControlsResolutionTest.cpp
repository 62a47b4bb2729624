// SPDX-License-Identifier: MIT
// Resolution, resolution mode, ROI placement under mirror and rotation, and the stored keys.
#include <gtest/gtest.h>

#include <string>

#include "ControlFixture.h"
#include "cameraapi/device/RoiWindow.h"
#include "vidscope/camera_api.h"

namespace vidscope::api {
namespace {

using Window = RoiWindow;

// A camera that answers one request with a byte of its own choosing.
class RewrittenReply : public sim::VendorRequestHandler {
public:
    RewrittenReply(std::shared_ptr<sim::VendorRequestHandler> firmware, uint8_t request, size_t at,
                   uint8_t value)
        : firmware_(std::move(firmware)), request_(request), at_(at), value_(value) {}

    sim::ControlResult handleVendorRequest(const sim::ControlSetup& setup,
                                           std::span<uint8_t> data) override {
        const sim::ControlResult result = firmware_->handleVendorRequest(setup, data);
        if (setup.request == request_ && at_ < data.size())
            data[at_] = value_;
        return result;
    }

private:
    std::shared_ptr<sim::VendorRequestHandler> firmware_;
    uint8_t request_;
    size_t at_;
    uint8_t value_;
};

TEST(RoiWindowTest, ShownRegionsLandOnTheSensorUnderEveryOrientation) {
    const uint32_t w = 1280, h = 1024;
    const Window shown{300, 50, 640, 400};
    const uint32_t mx = w - 300 - 640, my = h - 50 - 400;
    struct Case {
        uint16_t flags;
        Window sensor;
    };
    const Case cases[] = {
        {0, {300, 50, 640, 400}},
        {kFlagMirrorX, {mx, 50, 640, 400}},
        {kFlagMirrorY, {300, my, 640, 400}},
        {kFlagMirrorX | kFlagMirrorY, {mx, my, 640, 400}},
        {kFlagRotate, {50, 300, 400, 640}},
        {kFlagRotate | kFlagMirrorX, {50, mx, 400, 640}},
        {kFlagRotate | kFlagMirrorY, {my, 300, 400, 640}},
        {kFlagRotate | kFlagMirrorX | kFlagMirrorY, {my, mx, 400, 640}},
    };
    for (const Case& c : cases) {
        const auto sensor = Window::toSensor(shown, c.flags, w, h);
        ASSERT_TRUE(sensor.has_value()) << "flags " << c.flags;
        EXPECT_EQ(*sensor, c.sensor) << "flags " << c.flags;
    }
    EXPECT_EQ(Window::toSensor({0, 0, 640, 480}, kFlagMirrorX, 1280, 960)->x, 640u);
    EXPECT_EQ(Window::toSensor({0, 0, 200, 100}, kFlagRotate, 1280, 960), (Window{0, 0, 100, 200}));
}

TEST(RoiWindowTest, RegionsOffTheSensorOrOffTheColourGridAreRefused) {
    EXPECT_TRUE(Window::toSensor({640, 0, 640, 960}, 0, 1280, 960)) << "ends on the edge";
    EXPECT_FALSE(Window::toSensor({642, 0, 640, 960}, 0, 1280, 960));
    EXPECT_FALSE(Window::toSensor({0, 2, 1280, 960}, 0, 1280, 960));
    // Mirrored, a region that overhangs the edge comes out at a negative offset.
    EXPECT_FALSE(Window::toSensor({0, 0, 1282, 960}, kFlagMirrorX, 1280, 960));
    EXPECT_FALSE(Window::toSensor({0, 0, 1000, 1000}, kFlagRotate, 1280, 960));
    for (const Window odd : {Window{1, 0, 8, 8}, Window{0, 3, 8, 8}, Window{0, 0, 9, 8},
                             Window{0, 0, 8, 7}, Window{0, 0, 0, 8}}) {
        EXPECT_FALSE(Window::toSensor(odd, 0, 1280, 960)) << odd.x << " " << odd.width;
    }
    EXPECT_FALSE(Window::toSensor({0xFFFFFFFE, 0, 4, 4}, 0, 1280, 960)) << "wrapped around";
}

class ResolutionControlsTest : public test::ControlFixture {
protected:
    static constexpr int kI = kIndex;
    size_t roiRequests() { return log().withCode(0xAD).size(); }
    // Installs a camera whose replies to `request` carry `value` at byte `at`.
    bool replyRewritten(uint8_t request, size_t at, uint8_t value) {
        for (const host::Driver::PortId id : host::Driver::instance().attachedPorts()) {
            auto port =
                std::dynamic_pointer_cast<host::VirtualPort>(host::Driver::instance().port(id));
            if (port == nullptr || port->firmware().get() != &firmware())
                continue;
            port->camera().setVendorHandler(std::make_shared<RewrittenReply>(
                port->firmware()->vendorHandler(), request, at, value));
            return true;
        }
        return false;
    }
    uint32_t settingOf(const char* key) {
        unsigned int value = 0;
        EXPECT_TRUE(CameraGetParam(kI, key, &value)) << key;
        return value;
    }
};

TEST_F(ResolutionControlsTest, TheListAndTheSelectionComeFromTheCamera) {
    ASSERT_TRUE(plug(0x0130));
    ASSERT_EQ(CameraGetResolutionCount(kI), static_cast<int>(firmware().resolutions().count()));
    unsigned int w = 0, h = 0, bpp = 0;
    ASSERT_TRUE(CameraGetResolution(kI, 1, &w, &h, &bpp));
    const sim::Resolution half = *firmware().resolutions().record(1);
    EXPECT_EQ(w, half.width);
    EXPECT_EQ(h, half.height);
    EXPECT_EQ(bpp, 1u);
    EXPECT_FALSE(CameraGetResolution(kI, 99, &w, nullptr, nullptr));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_READ_PIPE);

    ASSERT_TRUE(CameraSetRotate(kI, true));
    ASSERT_TRUE(CameraSetROI(kI, 0, 0, 64, 64));
    ASSERT_TRUE(CameraSetResolution(kI, 1, &w, &h, nullptr));
    EXPECT_EQ(w, half.height) << "rotation swaps the reported size";
    EXPECT_EQ(h, half.width);
    EXPECT_EQ(context().width, half.width);
    EXPECT_EQ(context().height, half.height);
    EXPECT_EQ(firmware().geometry().width, half.width) << "the camera did not switch";
    EXPECT_EQ(context().pipeline.tables()->map.width(), half.width);
    EXPECT_EQ(settingOf("resolution_index"), 1u);
    EXPECT_EQ(settingOf("enable_roi"), 0u);
    // The frame delay is re-applied for the new size: the blanking registers are written.
    EXPECT_FALSE(log().withCode(0xA6).empty());
}

TEST_F(ResolutionControlsTest, ARecordTooNarrowForTheConversionIsRefused) {
    ASSERT_TRUE(plug(0xC030));  // two bytes per pixel
    unsigned int bpp = 0;
    ASSERT_TRUE(CameraSetResolution(kI, 1, nullptr, nullptr, &bpp));
    ASSERT_EQ(bpp, 2u);
    const uint32_t width = context().width;
    ASSERT_TRUE(replyRewritten(0xAC, 4, 1));
    EXPECT_FALSE(CameraSetResolution(kI, 0, nullptr, nullptr, &bpp));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_READ_PIPE);
    EXPECT_EQ(context().bytesPerPixel, 2u) << "a conversion would read past the frame";
    EXPECT_EQ(context().width, width);
}

TEST_F(ResolutionControlsTest, TheModeIsKeptWhenTheCameraMissesItButNotWhenClosed) {
    ASSERT_TRUE(plug(0x0130));
    ASSERT_TRUE(CameraSetResolutionMode(kI, 2));
    EXPECT_EQ(firmware().resolutions().mode(), sim::ResolutionMode::Binning);
    log().failLater(0xAB, 0);
    EXPECT_FALSE(CameraSetResolutionMode(kI, 0));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_READ_PIPE);
    EXPECT_EQ(CameraGetResolutionMode(kI), 0);
    // A closed camera is refused before any work, so nothing is stored.
    context().device.reset();
    EXPECT_FALSE(CameraSetResolutionMode(kI, 1));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_USB_DISCONNECTED);
    EXPECT_EQ(CameraGetResolutionMode(kI), 0);
    EXPECT_EQ(CameraGetResolutionCount(kI), -1);
}

TEST_F(ResolutionControlsTest, AnAcceptedRoiResizesTheFrameAndRemembersTheRegion) {
    ASSERT_TRUE(plug(0x0130));
    ASSERT_TRUE(CameraSetMirrorX(kI, true));
    ASSERT_TRUE(CameraSetROI(kI, 0, 100, 640, 480));
    EXPECT_EQ(firmware().geometry().window, (sim::Window{640, 100, 640, 480}));
    EXPECT_EQ(context().width, 640u);
    EXPECT_EQ(context().height, 480u);
    EXPECT_EQ(context().pipeline.tables()->map.width(), 640u);
    EXPECT_EQ(settingOf("roi_offset_x"), 0u) << "the region is kept as the user gave it";
    EXPECT_EQ(settingOf("roi_offset_y"), 100u);
    EXPECT_EQ(settingOf("roi_width"), 640u);
    EXPECT_EQ(settingOf("enable_roi"), 1u);
    // The line timing followed the narrower frame.
    const double lineClocks = 640 + firmware().registers().value(0x05) + 225;
    context().pipeline.read([&](const ImageSettings& s) {
        EXPECT_EQ(s.flickerLines, static_cast<int32_t>(24e6 / 100 / lineClocks));
    });
}

TEST_F(ResolutionControlsTest, UnderRotationTheSensorWindowIsTheRegionTurned) {
    ASSERT_TRUE(plug(0x0130));
    ASSERT_TRUE(CameraSetRotate(kI, true));
    ASSERT_TRUE(CameraSetROI(kI, 0, 0, 200, 100));
    EXPECT_EQ(firmware().geometry().window, (sim::Window{0, 0, 100, 200}));
    unsigned int w = 0, h = 0;
    ASSERT_TRUE(CameraGetImageSize(kI, &w, &h));
    EXPECT_EQ(w, 200u);
    EXPECT_EQ(h, 100u);
}

TEST_F(ResolutionControlsTest, RefusedRegionsChangeNothing) {
    ASSERT_TRUE(plug(0x0130));
    ASSERT_TRUE(CameraSetROI(kI, 0, 0, 640, 480));
    EXPECT_FALSE(CameraSetROI(kI, 0, 0, 641, 480));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_PARAMETER_UNREASONABLE);
    EXPECT_EQ(roiRequests(), 2u) << "an odd region was sent";

    // Even and on the sensor, but smaller than the camera reads.
    EXPECT_FALSE(CameraSetROI(kI, 8, 8, 4, 4));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_READ_PIPE);
    log().failLater(0xAD, 0);
    EXPECT_FALSE(CameraSetROI(kI, 8, 8, 64, 64));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_WRITE_PIPE);
    EXPECT_EQ(context().width, 640u);
    EXPECT_EQ(settingOf("roi_offset_x"), 0u);
    EXPECT_EQ(firmware().geometry().width, 640u);
}

TEST_F(ResolutionControlsTest, StoredKeysMatchExactlyAndKeepTheFieldWidth) {
    ASSERT_TRUE(plug(0x0130));
    ASSERT_TRUE(CameraSetParam(kI, "image_format", 0x0104));
    EXPECT_EQ(settingOf("image_format"), 4u) << "a byte field keeps its low byte";
    ASSERT_TRUE(CameraSetParam(kI, "roi_height", 0xBEEF));
    EXPECT_EQ(settingOf("roi_height"), 0xBEEFu);

    EXPECT_FALSE(CameraSetGain(kI, 0));  // leaves a known last error
    unsigned int value = 7;
    EXPECT_FALSE(CameraGetParam(kI, "roi_Width", &value));
    EXPECT_FALSE(CameraSetParam(kI, "roi_width ", 1));
    EXPECT_FALSE(CameraSetParam(kI, nullptr, 1));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_PARAMETER_UNREASONABLE);
    EXPECT_EQ(value, 7u);
    EXPECT_FALSE(CameraGetParam(kI, "roi_width", nullptr));
}

}  // namespace
}  // namespace vidscope::api
