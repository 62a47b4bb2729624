// SPDX-License-Identifier: MIT
// Counting, naming, opening and closing cameras, and the device commands, on virtual cameras.
#include <gtest/gtest.h>

#include <string>

#include "CameraRig.h"
#include "cameraapi/device/TransferRing.h"
#include "cameraapi/model/ModelTable.h"
#include "usb/UsbDevice.h"

namespace vidscope::api {
namespace {

constexpr uint8_t kBulkIn = 0x81;

struct Names {
    int position = -2;
    std::string display;
    std::string shortName;
    unsigned int model = 99;
    unsigned int code = 0;
};

Names nameOf(int index) {
    char display[CAMERA_NAME_BUFFER_SIZE] = "x";
    char shortName[CAMERA_NAME_BUFFER_SIZE] = "x";
    Names n;
    n.position = CameraGetName(index, display, shortName, &n.model, &n.code);
    n.display = display;
    n.shortName = shortName;
    return n;
}

void writeName(sim::CameraFirmware& firmware, uint8_t length, const std::string& text) {
    firmware.eeprom().write(0x1D50, length);
    for (size_t i = 0; i < text.size(); ++i)
        firmware.eeprom().write(static_cast<uint16_t>(0x1D51 + i), static_cast<uint8_t>(text[i]));
}

class LifecycleTest : public test::CameraRig {};

// A program that opens, plays and queries at once must get frames: the context has to agree
// with what the camera sends before anyone chose a resolution.
TEST_F(LifecycleTest, EveryModelStreamsFromOpenWithoutAResolutionChosen) {
    for (const ModelRow& row : ModelTable::rows()) {
        SCOPED_TRACE(row.name);
        std::shared_ptr<host::VirtualPort> port = plug(row.deviceCode);
        ASSERT_NE(port, nullptr);
        ASSERT_TRUE(open(0)) << CameraGetErrorName(CameraGetLastError());
        ASSERT_TRUE(CameraPlay(0));
        // The first frame of a large sensor is rendered slowly in the sanitizer builds.
        ASSERT_TRUE(CameraSetTimeout(0, 30000));
        unsigned int width = 0;
        unsigned int height = 0;
        ASSERT_TRUE(CameraGetImageSize(0, &width, &height));
        EXPECT_EQ(width, row.maxWidth);
        EXPECT_EQ(height, row.maxHeight);
        unsigned int size = 0;
        ASSERT_TRUE(CameraGetImageBufferSize(0, &size, CAMERA_FORMAT_RAW8));
        std::vector<uint8_t> image(size);
        EXPECT_TRUE(CameraQueryImage(0, image.data(), size, CAMERA_FORMAT_RAW8))
            << CameraGetErrorName(CameraGetLastError());
        EXPECT_TRUE(CameraFree(0));
        unplug(port);
    }
}

TEST_F(LifecycleTest, OnlyCameraVendorDevicesCountAndKeepTheirDriverPosition) {
    plugAs(0x0500, 0x1234, 0x0500);  // driver position 0: someone else's device
    plug(0x0500);                    // position 1: camera 0
    plugAs(0x012B, 0x04B4, 0x00F3);  // position 2
    EXPECT_EQ(CameraGetCount(), 1);

    const Names camera = nameOf(0);
    EXPECT_EQ(camera.position, 1);
    EXPECT_EQ(camera.code, 0x0500u);
    EXPECT_EQ(camera.model, ModelTable::findDeviceCode(0x0500));

    EXPECT_EQ(CameraGetName(1, nullptr, nullptr, nullptr, nullptr), -1);
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_NO_CAMERA_FOUND);
    EXPECT_FALSE(open(1));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_NO_CAMERA_FOUND);
    EXPECT_EQ(CameraSlots::at(1), nullptr);
    EXPECT_EQ(CameraGetName(256, nullptr, nullptr, nullptr, nullptr), -1);
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_INDEX_OUT_OF_RANGE);
}

TEST_F(LifecycleTest, CustomNamesAndFallbackNames) {
    std::vector<std::shared_ptr<host::VirtualPort>> ports;
    for (uint16_t code : {0x0500, 0x3E00, 0x012B, 0x0030})
        ports.push_back(plug(code));
    writeName(*ports[0]->firmware(), 31, "TOO-LONG");  // out of range: no custom name
    writeName(*ports[1]->firmware(), 0, "IGNORED");
    writeName(*ports[2]->firmware(), 3, "ABC");
    writeName(*ports[3]->firmware(), 30, std::string(30, 'N'));

    const Names fallback = nameOf(0);
    EXPECT_EQ(fallback.display, std::string(ports[0]->description().deviceName) + "(0)");
    EXPECT_EQ(fallback.shortName, "VS-M500C(0)");
    EXPECT_EQ(nameOf(1).shortName, "VS-U1400C(1)");

    const Names custom = nameOf(2);
    EXPECT_EQ(custom.position, 2);
    EXPECT_EQ(custom.display, "Veltro ABC Camera(2)");
    EXPECT_EQ(custom.shortName, "ABC(2)");
    EXPECT_EQ(nameOf(3).shortName, std::string(30, 'N') + "(3)");
}

TEST_F(LifecycleTest, UnreadableCustomNameFailsTheLookupButNotTheOpen) {
    std::shared_ptr<host::VirtualPort> port = plug(0x0500);
    writeName(*port->firmware(), 3, "ABC");
    port->firmware()->faults().failVendorRequests(0xB0, 1);  // the length byte
    EXPECT_EQ(nameOf(0).position, -1);
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_READ_PIPE);

    port->firmware()->faults().failVendorRequests(0xB0, 1000);
    EXPECT_TRUE(open(0)) << CameraGetErrorName(CameraGetLastError());  // reads no name
    port->firmware()->faults().clear();
}

struct PlanCase {
    uint16_t code;
    int32_t buffers;
    int32_t bufferSize;
    uint32_t transferSize;
    unsigned int speed;
};

TEST_F(LifecycleTest, OpenArmsTheRingOfTheTransferPlan) {
    const PlanCase cases[] = {
        {0x3E00, 20, 1048576, 32768, 3},
        {0x0E00, 50, 307200, 307200, 2},
        {0x0A0B, 30, 307200, 307200, 2},
        {0x0500, 20, 307200, 307200, 2},
    };
    for (const PlanCase& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.code);
        std::shared_ptr<host::VirtualPort> port = plug(c.code);
        ASSERT_TRUE(open(0)) << CameraGetErrorName(CameraGetLastError());
        const CameraContext& context = this->context(0);
        EXPECT_EQ(context.bufferCount, c.buffers);
        EXPECT_EQ(context.bufferSize, c.bufferSize);
        EXPECT_EQ(port->transferSize(kBulkIn), c.transferSize);
        int queued = 0;
        for (int i = 0; i < context.bufferCount; ++i)
            queued += context.pendingTransfers[static_cast<size_t>(i)] != nullptr;
        EXPECT_EQ(queued, c.buffers);
        const ModelRow* row = ModelTable::row(context.modelIndex);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->deviceCode, c.code);

        unsigned int version = 0;
        unsigned int speed = 0;
        EXPECT_TRUE(CameraGetFirmVersion(0, &version));
        EXPECT_EQ(version, port->firmware()->profile().firmwareVersion());
        EXPECT_TRUE(CameraGetUSBSpeed(0, &speed));
        EXPECT_EQ(speed, c.speed);

        EXPECT_TRUE(CameraFree(0));
        EXPECT_EQ(CameraSlots::at(0), nullptr);
        EXPECT_EQ(port->pendingBulkTransfers(), 0u);
        EXPECT_FALSE(port->isOpen());
        unplug(port);
    }
}

TEST_F(LifecycleTest, SecondOpenIsRefusedAndLeavesTheFirstWorking) {
    std::shared_ptr<host::VirtualPort> port = plug(0x3E00);
    ASSERT_TRUE(open(0));
    CameraContext* first = CameraSlots::at(0);
    EXPECT_FALSE(open(0));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_INITIALIZED_ALREADY);
    EXPECT_EQ(CameraSlots::at(0), first);
    EXPECT_EQ(port->pendingBulkTransfers(), 20u);  // nothing of the refused open was queued

    EXPECT_TRUE(CameraPlay(0));
    EXPECT_TRUE(port->firmware()->streaming());
    EXPECT_TRUE(CameraStop(0));
    EXPECT_FALSE(port->firmware()->streaming());

    EXPECT_TRUE(CameraFree(0));
    EXPECT_FALSE(CameraFree(0));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_NOT_INITIALIZED);
    EXPECT_TRUE(open(0)) << "a closed camera opens again";
}

TEST_F(LifecycleTest, OpenRefusesUnknownModelsAndMissingEndpoints) {
    plugAs(0x0500, 0xA7B7, 0x1234);  // a camera of no known model
    Names unknown = nameOf(0);
    EXPECT_EQ(unknown.model, ModelTable::kNoRow);
    EXPECT_EQ(unknown.code, 0x1234u);
    EXPECT_EQ(unknown.shortName, "");
    EXPECT_FALSE(open(0));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_NO_CAMERA_FOUND);
    EXPECT_EQ(CameraSlots::at(0), nullptr);

    // Camera 1: a configuration whose only interface has no endpoint at all.
    std::shared_ptr<host::VirtualPort> port = plug(0x0500);
    std::vector<uint8_t> config = port->camera().descriptors().configuration(0);
    size_t at = config[0];
    while (at + 1 < config.size() && config[at + 1] != sim::kEndpointDescriptor)
        at += config[at];
    ASSERT_LT(at, config.size());
    config.erase(config.begin() + static_cast<long>(at),
                 config.begin() + static_cast<long>(at + config[at]));
    config[2] = static_cast<uint8_t>(config.size());
    config[3] = 0;
    config[9 + 4] = 0;  // bNumEndpoints of the interface after the 9-byte configuration
    port->camera().descriptors().replaceConfiguration(0, config);
    EXPECT_FALSE(open(1));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_DATA_PIPE);
    EXPECT_EQ(CameraSlots::at(1), nullptr);
    EXPECT_FALSE(port->isOpen());
}

TEST_F(LifecycleTest, DeviceCommandsReachTheCamera) {
    std::shared_ptr<host::VirtualPort> usb2 = plug(0x0500);
    std::shared_ptr<host::VirtualPort> usb3 = plug(0x3E00);
    ASSERT_TRUE(open(0));
    ASSERT_TRUE(open(1));
    const uint32_t usb3Cycles = usb3->cycleCount();  // opening resets its parent port

    EXPECT_TRUE(CameraReconnect(0));
    EXPECT_EQ(usb2->cycleCount(), 1u);
    EXPECT_TRUE(CameraReconnect(1));  // a restart request, not a port cycle
    EXPECT_EQ(usb3->cycleCount(), usb3Cycles);

    EXPECT_TRUE(CameraPlay(0)) << "USB 2 cameras stream without being asked";
    EXPECT_TRUE(CameraReset(1));
    EXPECT_EQ(usb3->cycleCount(), usb3Cycles + 1);
    EXPECT_TRUE(usb3->firmware()->streaming()) << "reset ends with the stream started";

    EXPECT_TRUE(CameraEraseFirmware(0));
    EXPECT_TRUE(usb2->firmware()->firmwareErased());
    usb3->firmware()->faults().failVendorRequests(0xC2, 1);
    EXPECT_FALSE(CameraEraseFirmware(1));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_WRITE_PIPE);
    EXPECT_FALSE(usb3->firmware()->firmwareErased());

    unsigned int version = 0;
    EXPECT_FALSE(CameraGetFirmVersion(0, nullptr));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_PARAMETER_UNREASONABLE);
    EXPECT_FALSE(CameraGetFirmVersion(2, &version));
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_NOT_INITIALIZED);

    unplug(usb2);
    EXPECT_FALSE(CameraReconnect(0)) << "no port to cycle";
    EXPECT_EQ(CameraGetLastError(), CAMERA_ERROR_RECONNECT_FAILURE);
}

}  // namespace
}  // namespace vidscope::api
